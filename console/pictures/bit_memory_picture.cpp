#include "bit_memory_picture.h"

#include <QFile>

#include "jpeg_decoder.h"

QByteArray BitMemoryPictureJpeg() {
  QFile picture(":/pictures/bit_memory_picture.jpg");
  return picture.open(QIODevice::ReadOnly) ? picture.readAll() : QByteArray();
}

QImage BitMemoryPicture() {
  const QByteArray jpeg = BitMemoryPictureJpeg();
  return decodeJpeg(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                    static_cast<std::size_t>(jpeg.size()));
}
