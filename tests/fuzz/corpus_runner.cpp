// Stands in for libFuzzer's main where the compiler has no libFuzzer: feeds
// every file of the directories (or the files) named on the command line to
// the target once, in name order, so that the seed corpus checks the target's
// properties in every build. A failed property aborts the process.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> inputFiles(int argc, char** argv) {
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const fs::path named(argv[i]);
    if (fs::is_directory(named)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(named)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
      }
    } else {
      files.push_back(named);
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The input in a heap block of exactly its size, so that a read past its end
// is caught by AddressSanitizer as it would be under libFuzzer.
bool runFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
  std::unique_ptr<uint8_t[]> exact(new uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), exact.get());
  LLVMFuzzerTestOneInput(exact.get(), bytes.size());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
  const std::vector<fs::path> files = inputFiles(argc, argv);
  if (files.empty()) {
    std::fprintf(stderr, "no inputs found\n");
    return 1;
  }
  for (const fs::path& file : files) {
    if (!runFile(file)) {
      std::fprintf(stderr, "cannot read %s\n", file.c_str());
      return 1;
    }
  }
  std::printf("%zu inputs passed\n", files.size());
  return 0;
}
