#include "jpeg_decoder.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error through error_exit, which must not return:
// it jumps back to decodeRgb, whose frame holds nothing with a destructor.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

void jumpOnError(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

void ignoreMessage(j_common_ptr) {}

struct RgbPixels {
  unsigned char* bytes;  // malloc'd, 3 bytes per pixel, rows packed
  unsigned width;
  unsigned height;
};

bool decodeRgb(const unsigned char* data, unsigned long size, RgbPixels* out) {
  jpeg_decompress_struct cinfo;
  ErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = jumpOnError;
  errors.base.output_message = ignoreMessage;
  out->bytes = nullptr;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&cinfo);
    std::free(out->bytes);
    out->bytes = nullptr;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  out->width = cinfo.output_width;
  out->height = cinfo.output_height;
  const std::size_t stride = static_cast<std::size_t>(out->width) * 3;
  out->bytes = static_cast<unsigned char*>(std::malloc(stride * out->height));
  if (!out->bytes) {
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = out->bytes + stride * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  // A corrupt or cut stream only warns (libjpeg fills in grey); it is no picture.
  const bool whole = errors.base.num_warnings == 0;
  jpeg_destroy_decompress(&cinfo);
  if (!whole) {
    std::free(out->bytes);
    out->bytes = nullptr;
  }
  return whole;
}

}  // namespace

QImage decodeJpeg(const unsigned char* data, std::size_t size) {
  RgbPixels pixels;
  if (!data || size == 0 || !decodeRgb(data, static_cast<unsigned long>(size), &pixels)) {
    return QImage();
  }
  QImage image(static_cast<int>(pixels.width), static_cast<int>(pixels.height),
               QImage::Format_RGB888);
  const std::size_t stride = static_cast<std::size_t>(pixels.width) * 3;
  for (unsigned y = 0; y < pixels.height && !image.isNull(); ++y) {
    std::memcpy(image.scanLine(static_cast<int>(y)), pixels.bytes + stride * y, stride);
  }
  std::free(pixels.bytes);
  return image;
}
