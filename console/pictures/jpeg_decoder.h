// Turns JPEG bytes into a QImage with libjpeg's own decoder (not Qt's image
// plugins). Grey-scale and colour pictures both come out as RGB888. Bytes that
// libjpeg cannot decode, or decodes only with warnings (a corrupt or cut
// stream), give a null image; nothing is printed.
#pragma once
#include <QImage>
#include <cstddef>

QImage decodeJpeg(const unsigned char* data, std::size_t size);
