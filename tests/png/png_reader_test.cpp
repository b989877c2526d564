#include "png/png_reader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cctype>
#include <cstdint>
#include <fstream>
#include <functional>
#include <iterator>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/heap_meter.h"

namespace ambrelix {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << path;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Compares a decoded picture with tightly packed RGB or RGBA bytes, pixel by
// pixel, and checks the row padding is zero.
void ExpectPixels(const DecodedImage& image, const Bytes& rgb, int channels) {
  ASSERT_EQ(image.bitsPerPixel, channels * 8);
  ASSERT_EQ(image.stride % 4, 0u);
  ASSERT_EQ(image.pixels.size(), image.stride * image.height);
  ASSERT_EQ(rgb.size(), std::size_t{image.width} * image.height * channels);
  const std::size_t row_bytes = std::size_t{image.width} * channels;
  ASSERT_GE(image.stride, row_bytes);
  ASSERT_LT(image.stride, row_bytes + 4);
  for (std::uint32_t y = 0; y < image.height; ++y) {
    const std::uint8_t* got = image.pixels.data() + y * image.stride;
    const std::uint8_t* want = rgb.data() + y * row_bytes;
    for (std::uint32_t x = 0; x < image.width; ++x) {
      const std::uint8_t* g = got + x * channels;
      const std::uint8_t* w = want + x * channels;
      const bool same =
          g[0] == w[2] && g[1] == w[1] && g[2] == w[0] && (channels == 3 || g[3] == w[3]);
      ASSERT_TRUE(same) << "first difference at pixel (" << x << ", " << y << ")";
    }
    for (std::size_t pad = row_bytes; pad < image.stride; ++pad) ASSERT_EQ(got[pad], 0);
  }
}

// A case's description as a test name: letters and digits, the rest '_'.
std::string TestName(const char* description) {
  std::string name;
  for (const char* c = description; *c; ++c) {
    name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
  }
  return name;
}

// The pictures the program carries and small samples with every row filter,
// each compared with ImageMagick's decoding of the same file.
struct Sample {
  const char* name;
  const char* folder;  // "resources" for the checked-in pictures
  std::uint32_t width, height;
  int channels;
};

void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.name; }

class AgreesWithImageMagick : public testing::TestWithParam<Sample> {};

TEST_P(AgreesWithImageMagick, EveryPixel) {
#ifndef AMBRELIX_PNG_SAMPLES
  GTEST_SKIP() << "built without ImageMagick or Python, so there are no reference decodings";
#else
  const Sample& s = GetParam();
  const std::string png_dir =
      std::string(s.folder) == "resources" ? AMBRELIX_RESOURCES : AMBRELIX_PNG_SAMPLES;
  const DecodedImage image = DecodePng(ReadFile(png_dir + "/" + s.name + ".png"));
  EXPECT_EQ(image.width, s.width);
  EXPECT_EQ(image.height, s.height);
  ExpectPixels(image, ReadFile(std::string(AMBRELIX_PNG_SAMPLES) + "/" + s.name + ".raw"),
               s.channels);
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, AgreesWithImageMagick,
    testing::Values(Sample{"drawing", "resources", 550, 484, 3},
                    Sample{"coil48", "resources", 48, 48, 4}, Sample{"rgb-none", "", 37, 23, 3},
                    Sample{"rgb-sub", "", 37, 23, 3}, Sample{"rgb-up", "", 37, 23, 3},
                    Sample{"rgb-average", "", 37, 23, 3}, Sample{"rgb-paeth", "", 37, 23, 3},
                    Sample{"rgb-mixed", "", 37, 23, 3}, Sample{"rgba-none", "", 37, 23, 4},
                    Sample{"rgba-sub", "", 37, 23, 4}, Sample{"rgba-up", "", 37, 23, 4},
                    Sample{"rgba-average", "", 37, 23, 4}, Sample{"rgba-paeth", "", 37, 23, 4},
                    Sample{"rgba-mixed", "", 37, 23, 4}, Sample{"rgba-narrow", "", 1, 11, 4}),
    [](const auto& param) { return TestName(param.param.name); });

// A small valid picture as a list of chunks, to be damaged one piece at a
// time. The CRCs are computed when the file is put together.
struct Part {
  std::string type;
  Bytes data;
};

constexpr std::uint32_t kWidth = 5, kHeight = 4;

void PutBigEndian32(Bytes& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, std::uint8_t depth = 8,
           std::uint8_t colour = 2, std::uint8_t compression = 0, std::uint8_t filter = 0,
           std::uint8_t interlace = 0) {
  Bytes out;
  PutBigEndian32(out, width);
  PutBigEndian32(out, height);
  out.insert(out.end(), {depth, colour, compression, filter, interlace});
  return out;
}

Bytes Pixels() {  // kWidth x kHeight RGB, row-major
  Bytes out;
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    for (std::uint32_t x = 0; x < kWidth; ++x) {
      for (std::uint32_t c = 0; c < 3; ++c)
        out.push_back(static_cast<std::uint8_t>(x * 50 + y * 9 + c * 80));
    }
  }
  return out;
}

Bytes UnfilteredRows() {  // each row: filter type 0, then the row's pixels
  const Bytes pixels = Pixels();
  Bytes out;
  for (std::uint32_t y = 0; y < kHeight; ++y) {
    out.push_back(0);
    out.insert(out.end(), pixels.begin() + y * kWidth * 3, pixels.begin() + (y + 1) * kWidth * 3);
  }
  return out;
}

Bytes Deflate(const Bytes& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress(out.data(), &size, raw.data(), static_cast<uLong>(raw.size())), Z_OK);
  out.resize(size);
  return out;
}

std::vector<Part> ValidParts(const Bytes& rows = UnfilteredRows()) {
  const Bytes z = Deflate(rows);
  const auto half = z.begin() + static_cast<std::ptrdiff_t>(z.size() / 2);
  return {{"IHDR", Ihdr(kWidth, kHeight)},
          {"tEXt", {'T', 'i', 't', 'l', 'e', 0, 'c', 'o', 'i', 'l'}},
          {"IDAT", Bytes(z.begin(), half)},
          {"IDAT", Bytes(half, z.end())},
          {"IEND", {}}};
}

Bytes Assemble(const std::vector<Part>& parts) {
  Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (const Part& part : parts) {
    PutBigEndian32(out, static_cast<std::uint32_t>(part.data.size()));
    const std::size_t type_at = out.size();
    out.insert(out.end(), part.type.begin(), part.type.end());
    out.insert(out.end(), part.data.begin(), part.data.end());
    PutBigEndian32(out, static_cast<std::uint32_t>(crc32(0, out.data() + type_at,
                                                         static_cast<uInt>(out.size() - type_at))));
  }
  return out;
}

// Where each chunk of an assembled file starts (its length field).
std::vector<std::size_t> ChunkOffsets(const std::vector<Part>& parts) {
  std::vector<std::size_t> offsets;
  std::size_t at = 8;
  for (const Part& part : parts) {
    offsets.push_back(at);
    at += 12 + part.data.size();
  }
  return offsets;
}

std::vector<Part> With(std::function<void(std::vector<Part>&)> change) {
  std::vector<Part> parts = ValidParts();
  change(parts);
  return parts;
}

Bytes WithRows(std::function<void(Bytes&)> change) {
  Bytes rows = UnfilteredRows();
  change(rows);
  return Assemble(ValidParts(rows));
}

Bytes Truncated(std::size_t chunk, std::size_t extra) {
  const Bytes file = Assemble(ValidParts());
  return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(
                                                ChunkOffsets(ValidParts())[chunk] + extra));
}

Bytes BitFlipped(std::size_t chunk, std::size_t byte_in_chunk) {
  Bytes file = Assemble(ValidParts());
  file[ChunkOffsets(ValidParts())[chunk] + byte_in_chunk] ^= 0x10;
  return file;
}

struct Damage {
  const char* what;
  std::function<Bytes()> file;
  const char* message_part;
};

const Damage kDamage[] = {
    {"empty file", [] { return Bytes{}; }, "PNG signature"},
    {"bad signature",
     [] {
       Bytes f = Assemble(ValidParts());
       f[1] = 'Q';
       return f;
     },
     "PNG signature"},
    {"nothing after the signature", [] { return Truncated(0, 0); }, "ends after the signature"},
    {"cut in the first chunk header", [] { return Truncated(0, 6); }, "cut short"},
    {"cut in IHDR", [] { return Truncated(0, 15); }, "IHDR runs past the end"},
    {"cut in IDAT", [] { return Truncated(2, 10); }, "IDAT runs past the end"},
    {"cut in a CRC", [] { return Truncated(3, 12 + ValidParts()[3].data.size() - 1); },
     "IDAT runs past the end"},
    {"cut before IEND", [] { return Truncated(4, 0); }, "IEND chunk is missing"},
    {"cut in IEND", [] { return Truncated(4, 9); }, "IEND runs past the end"},
    {"bit flipped in IHDR", [] { return BitFlipped(0, 10); }, "bad CRC in chunk IHDR"},
    {"bit flipped in tEXt", [] { return BitFlipped(1, 9); }, "bad CRC in chunk tEXt"},
    {"bit flipped in IDAT", [] { return BitFlipped(2, 9); }, "bad CRC in chunk IDAT"},
    {"bit flipped in IEND's CRC", [] { return BitFlipped(4, 9); }, "bad CRC in chunk IEND"},
    {"chunk type not letters", [] { return Assemble(With([](auto& p) { p[1].type = "t3Xt"; })); },
     "invalid type"},
    {"IHDR not first", [] { return Assemble(With([](auto& p) { std::swap(p[0], p[1]); })); },
     "first chunk is tEXt"},
    {"IHDR 12 bytes", [] { return Assemble(With([](auto& p) { p[0].data.pop_back(); })); },
     "not 13"},
    {"IHDR 14 bytes", [] { return Assemble(With([](auto& p) { p[0].data.push_back(0); })); },
     "not 13"},
    {"zero width", [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(0, kHeight); })); },
     "zero"},
    {"zero height", [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, 0); })); },
     "zero"},
    {"width beyond the format",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(0x80000000u, 1); })); },
     "out of range"},
    {"width over the limit",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kMaxPngDimension + 1, 1); })); },
     "too large"},
    {"height over the limit",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(1, kMaxPngDimension + 1); })); },
     "too large"},
    {"both at the limit, too many bytes",
     [] {
       return Assemble(
           With([](auto& p) { p[0].data = Ihdr(kMaxPngDimension, kMaxPngDimension, 8, 6); }));
     },
     "too large"},
    {"bit depth 16",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 16); })); },
     "not supported: colour type 2 with bit depth 16"},
    {"palette colours",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 8, 3); })); },
     "not supported: colour type 3"},
    {"grey",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 8, 0); })); },
     "not supported: colour type 0"},
    {"undefined bit depth for RGB",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 4, 2); })); },
     "undefined colour type 2 with bit depth 4"},
    {"undefined colour type",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 8, 5); })); },
     "undefined colour type 5"},
    {"compression method 1",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 8, 2, 1); })); },
     "compression method 1"},
    {"filter method 1",
     [] { return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 8, 2, 0, 1); })); },
     "filter method 1"},
    {"interlaced",
     [] {
       return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 8, 2, 0, 0, 1); }));
     },
     "interlaced"},
    {"interlace method 2",
     [] {
       return Assemble(With([](auto& p) { p[0].data = Ihdr(kWidth, kHeight, 8, 2, 0, 0, 2); }));
     },
     "interlace method 2"},
    {"filter type 5 in row 2",
     [] { return WithRows([](Bytes& rows) { rows[2 * (kWidth * 3 + 1)] = 5; }); },
     "row 2 has the unknown filter type 5"},
    {"one byte too little", [] { return WithRows([](Bytes& rows) { rows.pop_back(); }); },
     "too little image data"},
    {"one row too little",
     [] { return WithRows([](Bytes& rows) { rows.resize(rows.size() - (kWidth * 3 + 1)); }); },
     "too little image data"},
    {"one byte too much", [] { return WithRows([](Bytes& rows) { rows.push_back(0); }); },
     "too much image data"},
    {"one row too much",
     [] { return WithRows([](Bytes& rows) { rows.resize(rows.size() + kWidth * 3 + 1); }); },
     "too much image data"},
    {"compressed data not deflate",
     [] {
       return Assemble(With([](auto& p) {
         p[2].data = {0x78, 0x9C, 0xFF, 0xFF, 0xFF, 0xFF};
         p[3].data.clear();
       }));
     },
     "corrupt"},
    {"compressed stream without its end",
     [] {
       return Assemble(With([](auto& p) {
         p[3].data.resize(p[3].data.size() - 4);  // the Adler-32 check value
       }));
     },
     "incomplete"},
    {"a second compressed stream",
     [] {
       return Assemble(With([](auto& p) { p.insert(p.begin() + 4, Part{"IDAT", Deflate({0})}); }));
     },
     "after the end of the compressed image data"},
    {"no IDAT",
     [] { return Assemble(With([](auto& p) { p.erase(p.begin() + 2, p.begin() + 4); })); },
     "no IDAT"},
    {"IDAT chunks apart", [] { return Assemble(With([](auto& p) { std::swap(p[1], p[2]); })); },
     "not consecutive"},
    {"missing IEND", [] { return Assemble(With([](auto& p) { p.pop_back(); })); },
     "IEND chunk is missing"},
    {"IEND with data", [] { return Assemble(With([](auto& p) { p[4].data = {0}; })); },
     "IEND chunk is not empty"},
    {"second IHDR",
     [] {
       return Assemble(With([](auto& p) {
         p.insert(p.begin() + 1, Part{"IHDR", Ihdr(kWidth, kHeight)});
       }));
     },
     "second IHDR"},
    {"palette after the image data",
     [] {
       return Assemble(With([](auto& p) { p.insert(p.begin() + 4, Part{"PLTE", {0, 0, 0}}); }));
     },
     "PLTE chunk follows"},
    {"unknown critical chunk",
     [] { return Assemble(With([](auto& p) {
            p.insert(p.begin() + 1, Part{"ABCD", {1}});
          })); },
     "chunk ABCD is not known"},
    {"length past the end",
     [] {
       Bytes f = Assemble(ValidParts());
       f[ChunkOffsets(ValidParts())[1] + 2] = 0x10;  // tEXt claims 4 KiB more
       return f;
     },
     "tEXt runs past the end"},
    {"length over 2^31 - 1",
     [] {
       Bytes f = Assemble(ValidParts());
       f[ChunkOffsets(ValidParts())[1]] = 0x80;
       return f;
     },
     "tEXt has an invalid length"},
};

void PrintTo(const Damage& damage, std::ostream* out) { *out << damage.what; }

class DamagedPicture : public testing::TestWithParam<Damage> {};

TEST_P(DamagedPicture, IsRejectedWithItsReason) {
  const Bytes file = GetParam().file();
  try {
    DecodePng(file);
    FAIL() << "decoded a picture with: " << GetParam().what;
  } catch (const PngError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().message_part), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind("The picture", 0), 0u) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, DamagedPicture, testing::ValuesIn(kDamage),
                         [](const auto& param) { return TestName(param.param.what); });

// What a picture costs follows its data, not what its header claims: a
// file of a hundred bytes claiming 8192 x 8192 RGBA (the largest accepted)
// used to allocate and clear the whole quarter-gigabyte first.
TEST(DecodePng, MemoryFollowsTheDataNotTheHeader) {
  const Bytes huge =
      Assemble({{"IHDR", Ihdr(8192, 8192, 8, 6)}, {"IDAT", Deflate(Bytes(100, 0))}, {"IEND", {}}});
  ASSERT_LT(huge.size(), 120u);
  const std::size_t before = test_support::HeapInUse();
  test_support::ResetHeapPeak();
  try {
    DecodePng(huge);
    FAIL() << "decoded a picture without its data";
  } catch (const PngError& e) {
    EXPECT_NE(std::string(e.what()).find("too little image data"), std::string::npos) << e.what();
  }
  EXPECT_LT(test_support::HeapPeak() - before, std::size_t{1} << 20);

  // A real picture of 6 MB still decodes, its buffer grown step by step.
  constexpr std::uint32_t kW = 2000, kH = 1000;
  Bytes rows;
  for (std::uint32_t y = 0; y < kH; ++y) {
    rows.push_back(static_cast<std::uint8_t>(y % 5));  // every filter type in turn
    for (std::uint32_t x = 0; x < kW * 3; ++x) rows.push_back(static_cast<std::uint8_t>(x ^ y));
  }
  const Bytes big = Assemble({{"IHDR", Ihdr(kW, kH)}, {"IDAT", Deflate(rows)}, {"IEND", {}}});
  test_support::ResetHeapPeak();
  const std::size_t start = test_support::HeapInUse();
  const DecodedImage image = DecodePng(big);
  EXPECT_EQ(image.width, kW);
  EXPECT_EQ(image.height, kH);
  EXPECT_LT(test_support::HeapPeak() - start, 3 * rows.size());
}

// Variants a reader must accept; each must give the small picture's pixels.
struct Variant {
  const char* what;
  std::function<Bytes()> file;
};

const Variant kVariants[] = {
    {"plain", [] { return Assemble(ValidParts()); }},
    {"unknown ancillary chunk skipped",
     [] { return Assemble(With([](auto& p) {
            p.insert(p.begin() + 1, Part{"zzZz", {1, 2}});
          })); }},
    {"suggested palette before the image data",
     [] {
       return Assemble(With([](auto& p) { p.insert(p.begin() + 1, Part{"PLTE", {0, 0, 0}}); }));
     }},
    {"empty and one-byte IDAT chunks",
     [] {
       return Assemble(With([](auto& p) {
         const Bytes z = Deflate(UnfilteredRows());
         p.erase(p.begin() + 2, p.begin() + 4);
         auto at = p.begin() + 2;
         at = p.insert(at, Part{"IDAT", {}}) + 1;
         for (std::uint8_t byte : z) at = p.insert(at, Part{"IDAT", {byte}}) + 1;
         p.insert(at, Part{"IDAT", {}});
       }));
     }},
    {"bytes after IEND ignored",
     [] {
       Bytes f = Assemble(ValidParts());
       f.insert(f.end(), {1, 2, 3});
       return f;
     }},
};

void PrintTo(const Variant& variant, std::ostream* out) { *out << variant.what; }

class AcceptedPicture : public testing::TestWithParam<Variant> {};

TEST_P(AcceptedPicture, GivesThePixels) {
  const DecodedImage image = DecodePng(GetParam().file());
  EXPECT_EQ(image.width, kWidth);
  EXPECT_EQ(image.height, kHeight);
  ExpectPixels(image, Pixels(), 3);
}

INSTANTIATE_TEST_SUITE_P(Cases, AcceptedPicture, testing::ValuesIn(kVariants),
                         [](const auto& param) { return TestName(param.param.what); });

// Random single-byte damage to the drawing, half the time with the chunk's
// CRC made right again so the damage reaches the inflater and the filters.
// Whatever happens, the result is a picture or a PngError.
TEST(DamagedDrawing, DecodesOrThrowsPngError) {
  const Bytes drawing = ReadFile(std::string(AMBRELIX_RESOURCES) + "/drawing.png");
  ASSERT_GT(drawing.size(), 100u);
  std::mt19937 random(20260);
  int rejected = 0;
  constexpr int kRounds = 300;
  for (int round = 0; round < kRounds; ++round) {
    Bytes file = drawing;
    const std::size_t at = random() % file.size();
    file[at] = static_cast<std::uint8_t>(file[at] ^ (1 + random() % 255));
    if (round % 2 == 1) {
      // Find the chunk holding `at` and rewrite its CRC.
      std::size_t chunk = 8;
      while (chunk + 12 <= file.size()) {
        const std::size_t length = std::size_t{file[chunk]} << 24 | file[chunk + 1] << 16 |
                                   file[chunk + 2] << 8 | file[chunk + 3];
        if (length > file.size() || chunk + 12 + length > file.size()) break;
        if (at < chunk + 12 + length) {
          const auto crc = crc32(0, file.data() + chunk + 4, static_cast<uInt>(length + 4));
          for (int i = 0; i < 4; ++i) {
            file[chunk + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
          }
          break;
        }
        chunk += 12 + length;
      }
    }
    try {
      const DecodedImage image = DecodePng(file);
      ASSERT_EQ(image.pixels.size(), image.stride * image.height);
    } catch (const PngError&) {
      ++rejected;
    }
  }
  EXPECT_GT(rejected, kRounds / 2);
}

}  // namespace
}  // namespace ambrelix
