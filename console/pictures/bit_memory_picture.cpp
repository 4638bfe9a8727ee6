#include "bit_memory_picture.h"

#include <QFile>

QByteArray BitMemoryPictureJpeg() {
  QFile picture(":/pictures/bit_memory_picture.jpg");
  return picture.open(QIODevice::ReadOnly) ? picture.readAll() : QByteArray();
}
