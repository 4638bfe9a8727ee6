// Draws the picture of the "Read Bit Memory" page (a card with its three
// tracks, the flux changes of a few bit cells, and the four 200-bit windows of
// the bit memory) and codes it as a JPEG file with libjpeg. Its output,
// bit_memory_picture.jpg, is committed and built into the program as a Qt
// resource; to change the picture, change this drawing and run it again:
//   <build>/console/pictures/make_bit_memory_picture console/pictures/bit_memory_picture.jpg

// jpeglib.h needs size_t and FILE declared before it.
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 150;

struct Rgb {
  unsigned char r, g, b;
};

constexpr Rgb kBackground = {238, 242, 247};
constexpr Rgb kCardFace = {255, 255, 255};
constexpr Rgb kOutline = {60, 70, 90};
constexpr Rgb kStripe = {70, 55, 45};
constexpr Rgb kTrackLine = {150, 130, 110};
constexpr Rgb kWave = {20, 90, 170};
constexpr Rgb kCellTick = {170, 180, 195};
constexpr Rgb kInk = {30, 35, 45};
constexpr Rgb kWindowA = {200, 220, 245};
constexpr Rgb kWindowB = {220, 235, 205};
constexpr Rgb kWholeWindow = {245, 225, 200};

class Canvas {
 public:
  Canvas() : pixels_(kWidth * kHeight, kBackground) {}

  void fill(int x0, int y0, int x1, int y1, Rgb colour) {
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) put(x, y, colour);
  }
  void frame(int x0, int y0, int x1, int y1, Rgb colour) {
    fill(x0, y0, x1, y0 + 1, colour);
    fill(x0, y1 - 1, x1, y1, colour);
    fill(x0, y0, x0 + 1, y1, colour);
    fill(x1 - 1, y0, x1, y1, colour);
  }
  // Digits and '-' from a 5x7 font, each dot drawn `scale` pixels wide.
  void text(int x, int y, const std::string& s, int scale, Rgb colour) {
    for (char c : s) {
      const unsigned char* glyph = glyphOf(c);
      for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
          if (glyph[row] & (0x10 >> col))
            fill(x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale,
                 colour);
      x += 6 * scale;
    }
  }
  const std::vector<Rgb>& pixels() const { return pixels_; }

 private:
  void put(int x, int y, Rgb colour) {
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) pixels_[y * kWidth + x] = colour;
  }
  static const unsigned char* glyphOf(char c) {
    static const unsigned char kDigits[10][7] = {
        {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}, {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E},
        {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}, {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E},
        {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}, {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E},
        {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}, {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},
        {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}, {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}};
    static const unsigned char kDash[7] = {0, 0, 0, 0x1F, 0, 0, 0};
    static const unsigned char kBlank[7] = {0, 0, 0, 0, 0, 0, 0};
    if (c >= '0' && c <= '9') return kDigits[c - '0'];
    return c == '-' ? kDash : kBlank;
  }

  std::vector<Rgb> pixels_;
};

void drawCard(Canvas& canvas) {
  canvas.fill(20, 12, 210, 132, kCardFace);
  canvas.frame(20, 12, 210, 132, kOutline);
  canvas.fill(21, 24, 209, 66, kStripe);
  for (int track = 0; track < 3; ++track) {
    canvas.fill(21, 33 + track * 12, 209, 34 + track * 12, kTrackLine);
  }
  // an arrow from the card to the bits read off it
  canvas.fill(214, 45, 238, 47, kOutline);
  for (int i = 0; i < 5; ++i) canvas.fill(232 + i, 41 + i, 233 + i, 51 - i, kOutline);
}

// Two-frequency recording: a flux change at every cell edge, and one more in
// the middle of a cell that holds a one.
void drawFluxChanges(Canvas& canvas) {
  const std::string bits = "00110100111010";
  const int left = 250, cell = 27, high = 30, low = 62;
  bool up = true;
  for (size_t i = 0; i < bits.size(); ++i) {
    const int x = left + static_cast<int>(i) * cell;
    canvas.fill(x, 20, x + 1, 72, kCellTick);
    canvas.text(x + 9, 6, std::string(1, bits[i]), 2, kInk);
    auto level = [&](int from, int to) {
      canvas.fill(from, up ? high : low, to + 1, (up ? high : low) + 2, kWave);
    };
    canvas.fill(x, high, x + 2, low + 2, kWave);
    if (bits[i] == '1') {
      level(x, x + cell / 2);
      up = !up;
      canvas.fill(x + cell / 2, high, x + cell / 2 + 2, low + 2, kWave);
      level(x + cell / 2, x + cell);
    } else {
      level(x, x + cell);
    }
    up = !up;
  }
}

void drawWindows(Canvas& canvas) {
  const char* const labels[] = {"001-200", "201-400", "401-600", "601-800"};
  const int left = 250, width = 96;
  for (int i = 0; i < 4; ++i) {
    const int x = left + i * width;
    canvas.fill(x, 84, x + width - 2, 106, i % 2 ? kWindowB : kWindowA);
    canvas.text(x + 5, 88, labels[i], 2, kInk);
  }
  canvas.fill(left, 112, left + 4 * width - 2, 134, kWholeWindow);
  canvas.text(left + 4 * width / 2 - 42, 116, "001-800", 2, kInk);
}

std::vector<unsigned char> encodeJpeg(const Canvas& canvas) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(kWidth * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    for (int x = 0; x < kWidth; ++x) {
      const Rgb& p = canvas.pixels()[cinfo.next_scanline * kWidth + x];
      row[x * 3] = p.r;
      row[x * 3 + 1] = p.g;
      row[x * 3 + 2] = p.b;
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  std::vector<unsigned char> bytes(out, out + outSize);
  std::free(out);
  return bytes;
}

bool writeFile(const char* path, const std::vector<unsigned char>& bytes) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
    return 2;
  }
  Canvas canvas;
  drawCard(canvas);
  drawFluxChanges(canvas);
  drawWindows(canvas);
  if (!writeFile(argv[1], encodeJpeg(canvas))) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
