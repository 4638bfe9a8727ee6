// The picture of the "Read Bit Memory" page as JPEG bytes, made by
// make_bit_memory_picture.cpp and stored in the program.
#pragma once
#include <cstddef>

extern const unsigned char kBitMemoryPicture[];
extern const std::size_t kBitMemoryPictureSize;
