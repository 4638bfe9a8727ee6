// The picture of the "Read Bit Memory" page: bit_memory_picture.jpg, drawn by
// make_bit_memory_picture.cpp and stored in the program as a Qt resource.
#pragma once
#include <QByteArray>

// The JPEG bytes of the picture.
QByteArray BitMemoryPictureJpeg();
