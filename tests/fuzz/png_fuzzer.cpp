// Fuzzes the PNG reader with any bytes. Before reading, every chunk whose
// length fits the input gets its CRC repaired, so the fuzzer's changes reach
// the header, the compressed data and the filters instead of stopping at
// the checksum.
//
// Checks: the reader either gives a PngError or a picture whose size,
// layout and row padding are what its header says.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "png/png_reader.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "violated: %s\n", what);
  std::abort();
}

std::uint32_t BigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void RepairCrcs(std::vector<std::uint8_t>& file) {
  std::size_t at = 8;
  while (at + 12 <= file.size()) {
    const std::uint32_t length = BigEndian32(file.data() + at);
    if (length > file.size() - at - 12) return;
    const auto crc =
        static_cast<std::uint32_t>(crc32(0L, file.data() + at + 4, static_cast<uInt>(length + 4)));
    std::uint8_t* stored = file.data() + at + 8 + length;
    for (int k = 0; k < 4; ++k) stored[k] = static_cast<std::uint8_t>(crc >> (24 - 8 * k));
    at += std::size_t{length} + 12;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> file(data, data + size);
  RepairCrcs(file);
  ambrelix::DecodedImage image;
  try {
    image = ambrelix::DecodePng(file);
  } catch (const ambrelix::PngError&) {
    return 0;
  }
  Require(image.width > 0 && image.height > 0 && image.width <= ambrelix::kMaxPngDimension &&
              image.height <= ambrelix::kMaxPngDimension,
          "a picture size the reader does not accept");
  Require(image.bitsPerPixel == 24 || image.bitsPerPixel == 32, "an unknown pixel size");
  const std::size_t rowBytes = std::size_t{image.width} * image.bitsPerPixel / 8;
  Require(image.stride % 4 == 0 && image.stride >= rowBytes && image.stride < rowBytes + 4,
          "rows not laid out as a DIB's");
  Require(image.pixels.size() == image.stride * image.height, "the pixels do not fill the rows");
  for (std::uint32_t y = 0; y < image.height; ++y)
    for (std::size_t pad = rowBytes; pad < image.stride; ++pad)
      Require(image.pixels[y * image.stride + pad] == 0, "row padding that is not zero");
  return 0;
}
