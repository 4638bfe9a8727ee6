// The picture of the "Read Bit Memory" page: bit_memory_picture.jpg, drawn by
// make_bit_memory_picture.cpp and stored in the program as a Qt resource.
#pragma once
#include <QByteArray>
#include <QImage>

// The JPEG bytes of the picture.
QByteArray BitMemoryPictureJpeg();
// The picture, decoded with libjpeg.
QImage BitMemoryPicture();
