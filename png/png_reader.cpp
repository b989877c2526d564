#include "png/png_reader.h"

#define ZLIB_CONST  // next_in points at the file, which is never written
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <new>
#include <string>
#include <utility>

namespace ambrelix {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;

[[noreturn]] void Damaged(const std::string& detail) {
  throw PngError("The picture is damaged: " + detail);
}

[[noreturn]] void Unsupported(const std::string& detail) {
  throw PngError("The picture's format is not supported: " + detail);
}

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
         std::uint32_t{p[3]};
}

struct Chunk {
  std::string type;
  std::span<const std::uint8_t> data;
};

// Critical chunks have an upper-case first letter; a reader must understand
// every critical chunk it meets, and may skip the others.
bool IsCritical(const std::string& type) { return type[0] >= 'A' && type[0] <= 'Z'; }

// Walks the chunks after the signature, checking each one's length against
// the bytes that are left and its CRC before handing it out.
class ChunkReader {
 public:
  explicit ChunkReader(std::span<const std::uint8_t> chunks) : rest_(chunks) {}

  bool AtEnd() const { return rest_.empty(); }

  Chunk Next() {
    if (rest_.size() < 8) Damaged("the file is cut short inside a chunk header");
    const std::uint32_t length = ReadBigEndian32(rest_.data());
    const auto type_bytes = rest_.subspan(4, 4);
    if (!std::all_of(type_bytes.begin(), type_bytes.end(), [](std::uint8_t c) {
          return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        })) {
      Damaged("a chunk has an invalid type");
    }
    Chunk chunk{std::string(type_bytes.begin(), type_bytes.end()), {}};
    if (length > kMaxChunkLength) Damaged("chunk " + chunk.type + " has an invalid length");
    // Type, data and CRC must all lie within the file.
    if (std::uint64_t{length} + 4 > rest_.size() - 8) {
      Damaged("chunk " + chunk.type + " runs past the end of the file");
    }
    chunk.data = rest_.subspan(8, length);
    const auto stored_crc = ReadBigEndian32(rest_.data() + 8 + length);
    const auto crc = crc32(0L, rest_.data() + 4, static_cast<uInt>(length + 4));
    if (crc != stored_crc) Damaged("bad CRC in chunk " + chunk.type);
    rest_ = rest_.subspan(std::size_t{length} + 12);
    return chunk;
  }

 private:
  std::span<const std::uint8_t> rest_;
};

struct Header {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::size_t channels = 0;  // 3 for RGB, 4 for RGBA
};

Header ReadHeader(const Chunk& ihdr) {
  if (ihdr.type != "IHDR") Damaged("the first chunk is " + ihdr.type + ", not IHDR");
  if (ihdr.data.size() != 13) {
    Damaged("the IHDR chunk is " + std::to_string(ihdr.data.size()) + " bytes long, not 13");
  }
  const std::uint8_t* d = ihdr.data.data();
  Header header{ReadBigEndian32(d), ReadBigEndian32(d + 4), 0};
  const int depth = d[8], colour_type = d[9], compression = d[10], filter = d[11],
            interlace = d[12];

  if (header.width == 0 || header.height == 0) Damaged("the width or height is zero");
  if (header.width > kMaxChunkLength || header.height > kMaxChunkLength) {
    Damaged("the width or height is out of range");
  }
  const std::string size_text =
      std::to_string(header.width) + " x " + std::to_string(header.height);
  if (header.width > kMaxPngDimension || header.height > kMaxPngDimension) {
    Unsupported(size_text + " pixels is too large");
  }

  // The combinations the PNG format defines; of these only 8-bit RGB and
  // RGBA are read.
  auto depth_in = [depth](std::initializer_list<int> allowed) {
    return std::find(allowed.begin(), allowed.end(), depth) != allowed.end();
  };
  bool defined = false;
  switch (colour_type) {
    case 0:
      defined = depth_in({1, 2, 4, 8, 16});
      break;
    case 3:
      defined = depth_in({1, 2, 4, 8});
      break;
    case 2:
    case 4:
    case 6:
      defined = depth_in({8, 16});
      break;
    default:
      break;
  }
  const std::string format_text =
      "colour type " + std::to_string(colour_type) + " with bit depth " + std::to_string(depth);
  if (!defined) Damaged("IHDR gives the undefined " + format_text);
  if (depth != 8 || (colour_type != 2 && colour_type != 6)) {
    Unsupported(format_text + " (only 8-bit RGB and RGBA pictures are read)");
  }
  header.channels = colour_type == 6 ? 4 : 3;

  if (compression != 0) Damaged("unknown compression method " + std::to_string(compression));
  if (filter != 0) Damaged("unknown filter method " + std::to_string(filter));
  if (interlace == 1) Unsupported("interlaced pictures are not read");
  if (interlace != 0) Damaged("unknown interlace method " + std::to_string(interlace));

  const std::uint64_t decoded = std::uint64_t{header.height} * header.width * header.channels;
  if (decoded > kMaxPngBytes) Unsupported(size_text + " pixels is too large");
  return header;
}

// Inflates the zlib stream spread over the IDAT chunks into a buffer that
// grows with the data, up to one byte more than the filtered rows need, so
// that surplus data shows as a full buffer rather than going unnoticed. The
// header's size alone allocates nothing: a few bytes of file claiming a
// quarter-gigabyte picture cost what their data inflates to.
class Inflater {
 public:
  explicit Inflater(std::size_t expected) : expected_(expected) {
    if (inflateInit(&stream_) != Z_OK) throw std::bad_alloc();
  }
  ~Inflater() { inflateEnd(&stream_); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  void Feed(std::span<const std::uint8_t> data) {
    stream_.next_in = data.data();
    stream_.avail_in = static_cast<uInt>(data.size());
    while (stream_.avail_in > 0) {
      if (ended_) Damaged("there is data after the end of the compressed image data");
      if (stream_.avail_out == 0) Grow();
      const int result = inflate(&stream_, Z_NO_FLUSH);
      if (stream_.total_out > expected_) Damaged("too much image data for its size");
      switch (result) {
        case Z_OK:
          break;
        case Z_STREAM_END:
          ended_ = true;
          break;
        case Z_BUF_ERROR:  // no room for output: the next round grows the buffer
          if (stream_.avail_out != 0) Damaged("the compressed image data is corrupt");
          break;
        case Z_MEM_ERROR:
          throw std::bad_alloc();
        default:
          Damaged("the compressed image data is corrupt");
      }
    }
  }

  std::vector<std::uint8_t> Finish() {
    if (stream_.total_out < expected_) Damaged("too little image data for its size");
    if (!ended_) Damaged("the compressed image data is incomplete");
    out_.resize(expected_);
    return std::move(out_);
  }

 private:
  // Doubles the buffer, from 64 KiB up to expected_ + 1 bytes.
  void Grow() {
    const std::size_t used = out_.size();
    const std::size_t wanted = std::min(expected_ + 1, std::max<std::size_t>(used * 2, 1 << 16));
    out_.resize(wanted);
    stream_.next_out = out_.data() + used;
    stream_.avail_out = static_cast<uInt>(wanted - used);
  }

  std::size_t expected_;
  std::vector<std::uint8_t> out_;
  z_stream stream_{};
  bool ended_ = false;
};

std::uint8_t Paeth(int left, int up, int up_left) {
  const int estimate = left + up - up_left;
  const int to_left = std::abs(estimate - left);
  const int to_up = std::abs(estimate - up);
  const int to_up_left = std::abs(estimate - up_left);
  if (to_left <= to_up && to_left <= to_up_left) return static_cast<std::uint8_t>(left);
  if (to_up <= to_up_left) return static_cast<std::uint8_t>(up);
  return static_cast<std::uint8_t>(up_left);
}

// Undoes the per-row filters in place. Each row starts with its filter type;
// the bytes before the first pixel and above the first row count as zero.
void Unfilter(std::vector<std::uint8_t>& rows, const Header& header) {
  const std::size_t bpp = header.channels;
  const std::size_t row_bytes = std::size_t{header.width} * bpp;
  const std::uint8_t* prior = nullptr;
  for (std::uint32_t y = 0; y < header.height; ++y) {
    std::uint8_t* line = rows.data() + y * (row_bytes + 1);
    std::uint8_t* cur = line + 1;
    auto left = [&](std::size_t i) -> int { return i >= bpp ? cur[i - bpp] : 0; };
    auto up = [&](std::size_t i) -> int { return prior ? prior[i] : 0; };
    auto up_left = [&](std::size_t i) -> int { return prior && i >= bpp ? prior[i - bpp] : 0; };
    auto add = [&](std::size_t i, int predictor) {
      cur[i] = static_cast<std::uint8_t>(cur[i] + predictor);
    };
    switch (line[0]) {
      case 0:
        break;
      case 1:
        for (std::size_t i = 0; i < row_bytes; ++i) add(i, left(i));
        break;
      case 2:
        for (std::size_t i = 0; i < row_bytes; ++i) add(i, up(i));
        break;
      case 3:
        for (std::size_t i = 0; i < row_bytes; ++i) add(i, (left(i) + up(i)) / 2);
        break;
      case 4:
        for (std::size_t i = 0; i < row_bytes; ++i) add(i, Paeth(left(i), up(i), up_left(i)));
        break;
      default:
        Damaged("row " + std::to_string(y) + " has the unknown filter type " +
                std::to_string(line[0]));
    }
    prior = cur;
  }
}

}  // namespace

DecodedImage DecodePng(std::span<const std::uint8_t> file) {
  if (file.size() < kSignature.size() ||
      !std::equal(kSignature.begin(), kSignature.end(), file.begin())) {
    Damaged("it does not start with the PNG signature");
  }
  ChunkReader chunks(file.subspan(kSignature.size()));
  if (chunks.AtEnd()) Damaged("the file ends after the signature");
  const Header header = ReadHeader(chunks.Next());
  const std::size_t row_bytes = std::size_t{header.width} * header.channels;
  Inflater inflater((row_bytes + 1) * header.height);

  // IDAT chunks must follow one another; a palette may only come before them.
  bool seen_idat = false, idat_over = false;
  for (;;) {
    if (chunks.AtEnd()) Damaged("the IEND chunk is missing");
    const Chunk chunk = chunks.Next();
    if (chunk.type == "IDAT") {
      if (idat_over) Damaged("the IDAT chunks are not consecutive");
      seen_idat = true;
      inflater.Feed(chunk.data);
      continue;
    }
    idat_over = seen_idat;
    if (chunk.type == "IEND") {
      if (!chunk.data.empty()) Damaged("the IEND chunk is not empty");
      break;
    }
    if (chunk.type == "IHDR") Damaged("there is a second IHDR chunk");
    if (chunk.type == "PLTE") {
      // A suggested palette for truecolour pictures; the pixels do not use it.
      if (seen_idat) Damaged("the PLTE chunk follows the image data");
      continue;
    }
    if (IsCritical(chunk.type)) Unsupported("the chunk " + chunk.type + " is not known");
  }
  if (!seen_idat) Damaged("there is no IDAT chunk");

  std::vector<std::uint8_t> rows = inflater.Finish();
  Unfilter(rows, header);

  DecodedImage image;
  image.width = header.width;
  image.height = header.height;
  image.bitsPerPixel = static_cast<int>(header.channels * 8);
  image.stride = (row_bytes + 3) & ~std::size_t{3};
  image.pixels.assign(image.stride * header.height, 0);
  for (std::uint32_t y = 0; y < header.height; ++y) {
    const std::uint8_t* from = rows.data() + y * (row_bytes + 1) + 1;
    std::uint8_t* to = image.pixels.data() + y * image.stride;
    for (std::size_t x = 0; x < row_bytes; x += header.channels) {
      to[x] = from[x + 2];
      to[x + 1] = from[x + 1];
      to[x + 2] = from[x];
      if (header.channels == 4) to[x + 3] = from[x + 3];
    }
  }
  return image;
}

}  // namespace ambrelix
