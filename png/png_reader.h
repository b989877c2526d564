// Reads the PNG pictures the program carries as resources (the drawing and
// the coil picture) into pixels a Windows DIB section can take as they are.
// Portable: no Windows types, so it is tested natively as well.
//
// Only what those pictures need is read: 8 bits per channel, colour type 2
// (RGB) or 6 (RGBA), not interlaced. Everything else, and every kind of
// damage, is a PngError; the reader never reads outside the bytes it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace ambrelix {

class PngError : public std::runtime_error {
 public:
  explicit PngError(const std::string& message) : std::runtime_error(message) {}
};

// Rows run top-down, `stride` bytes apart: `width` pixels of blue, green, red
// (and alpha, straight rather than premultiplied, for RGBA files), then zero
// bytes up to a multiple of four. That is the bottom-up DIB layout turned
// over, so it fills a CreateDIBSection bitmap whose BITMAPINFOHEADER has
// biBitCount = bitsPerPixel and biHeight = -height with one memcpy.
struct DecodedImage {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitsPerPixel = 0;  // 24 (from RGB) or 32 (from RGBA)
  std::size_t stride = 0;
  std::vector<std::uint8_t> pixels;  // stride * height bytes
};

// Largest width or height accepted, and largest decoded buffer: far beyond
// the program's own pictures, small enough to allocate in a 32-bit process.
inline constexpr std::uint32_t kMaxPngDimension = 16384;
inline constexpr std::uint64_t kMaxPngBytes = std::uint64_t{1} << 28;

DecodedImage DecodePng(std::span<const std::uint8_t> file);

}  // namespace ambrelix
