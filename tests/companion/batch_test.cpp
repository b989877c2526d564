// The table engine in-process: however the input arrives in pieces and
// however many threads compute, the table written is the same.
#include "app/cli/batch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/cli/byte_streams.h"
#include "tests/support/heap_meter.h"

namespace ambrelix::cli {
namespace {

// Enough rows for several batches, with every kind of row and field: quoted
// separators and line breaks, CRLF and LF, failing and empty runs.
std::string MixedTable(int rows) {
  std::string csv = "tail1,mode,D,P,A,n,OD,ID,t1\r\n";
  for (int i = 0; i < rows; ++i) {
    const std::string d = std::to_string(20 + i % 300);
    switch (i % 6) {
      case 0:
        csv += "0,height," + d + ",4.2,101,,3.2,1.2,0\n";
        break;
      case 1:
        csv += "1,turns," + d + ",4.25,,\"" + std::to_string(i % 50) + ".5\",3.2,1.2,120\r\n";
        break;
      case 2:
        csv += "0,none,\"a,\"\"b\"\"\r\nc\",,,,,,\n";
        break;
      case 3:
        csv += "0,height," + d + ",0,101,,3.2,1.2,0\n";  // division by zero
        break;
      case 4:
        csv += "0,height,\" " + d + " \",4.2,101,,3.2,1.2,x\ry\n";  // a tail that does not read
        break;
      default:
        csv += "\"1\",\"height\",\"" + d + "\",\"5\",\"90\",,\"3.2\",\"1.2\",\"7\"\n";
        break;
    }
  }
  return csv;
}

std::string Table(const std::string& csv, std::size_t chunk, unsigned workers) {
  MemorySource input(csv, chunk);
  StringSink output;
  const auto malformed = RunBatch(input, output, BatchOptions{{}, workers});
  EXPECT_FALSE(malformed) << malformed->line << ": " << malformed->problem;
  return output.text;
}

TEST(RunBatch, PiecesAndThreadsDoNotChangeTheTable) {
  const std::string csv = MixedTable(5000);
  const std::string expected = Table(csv, csv.size(), 0);
  // The header, the rows, and the line breaks quoted in every sixth row from the third.
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 1 + 5000 + 833);
  EXPECT_NE(expected.find("\n1,turns,21,4.25,,1.5,3.2,1.2,120,1.05,"), std::string::npos);

  for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{4093}}) {
    for (const unsigned workers : {0u, 1u, 3u}) {
      EXPECT_TRUE(Table(csv, chunk, workers) == expected)
          << chunk << " bytes, " << workers << " workers";
    }
  }
}

// The mark may arrive a byte at a time; only the whole mark at the very
// start is skipped, and a partial one stays part of the first name.
TEST(RunBatch, ByteOrderMarkIsSkippedHoweverTheInputIsSplit) {
  const std::string table = "\"mode\",D\nnone,1\n";
  const std::string expected = Table(table, table.size(), 0);
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{4}}) {
    EXPECT_EQ(Table("\xEF\xBB\xBF" + table, chunk, 0), expected) << chunk << " bytes";
    MemorySource input("\xEF\xBBmode,D\nnone,1\n", chunk);
    StringSink output;
    const auto malformed = RunBatch(input, output, BatchOptions{});
    ASSERT_TRUE(malformed);
    EXPECT_TRUE(malformed->problem.starts_with("unknown column '\xEF\xBBmode'"))
        << malformed->problem;
  }
}

// Keeps only the end of what is written, so the output costs no memory.
class TailSink final : public ByteSink {
 public:
  void Write(std::string_view bytes) override {
    written += bytes.size();
    tail.append(bytes.substr(bytes.size() > 4096 ? bytes.size() - 4096 : 0));
    if (tail.size() > 4096) tail.erase(0, tail.size() - 4096);
  }
  std::size_t written = 0;
  std::string tail;
};

// One record of 20 MB, among ordinary ones, whether its field reads or not:
// what the table holds at its peak stays within three times the record. The
// long field is the helix diameter, or the length of tube or the density in
// a length-mode table with the extras.
TEST(RunBatch, OneLongRecordCostsAtMostThreeTimesItsSize) {
  constexpr std::size_t kLong = std::size_t{20} << 20;
  constexpr char kNotANumber[] = "\u2026' is not a valid floating point value.\n";
  struct Case {
    const char* what;
    std::string field;
    const char* ending;  // of the output
    bool tube = false;   // the field is in a length-mode table: "L" or "density"
    const char* column = "D";
  };
  const Case cases[] = {
      {"a text that is no number", std::string(kLong, 'x'), kNotANumber},
      {"digits past the range", std::string(kLong, '1'), kNotANumber},
      {"a number padded with spaces", "80" + std::string(kLong, ' '),
       "\",4.2,101,3.2,1.2,1.00,97.80,83.20,76.80,101.00,23.29,5.853,6.62,false,\n"},
      {"a length that is no number", std::string(kLong, 'x'), kNotANumber, true, "L"},
      {"a length past the range", std::string(kLong, '1'), kNotANumber, true, "L"},
      {"a padded length", "6" + std::string(kLong, ' '),
       "\",3.2,1.2,8.96,1.00,100.25,83.20,76.80,103.45,23.87,6.000,6.79,false,0.0603,0.0226,"
       "41.47,0.372,\n",
       true, "L"},
      {"a density that is no number", std::string(kLong, 'x'), kNotANumber, true, "density"},
      {"a density past the range", std::string(kLong, '1'), kNotANumber, true, "density"},
  };
  for (const Case& c : cases) {
    const bool longL = c.tube && std::string_view(c.column) == "L";
    const std::string csv =
        c.tube ? "mode,D,P,L,OD,ID,density\nlength,80,4.2,6,3.2,1.2,8.96\nlength,80,4.2," +
                     (longL ? c.field : "6") + ",3.2,1.2," + (longL ? "8.96" : c.field) + "\n"
               : "mode,D,P,A,OD,ID\nheight,80,4.2,101,3.2,1.2\nheight," + c.field +
                     ",4.2,101,3.2,1.2\n";
    for (const unsigned workers : {0u, 2u}) {
      MemorySource input(csv, std::size_t{1} << 16);
      TailSink output;
      const std::size_t before = test_support::HeapInUse();
      test_support::ResetHeapPeak();
      EXPECT_FALSE(RunBatch(input, output, BatchOptions{{}, workers, c.tube}));
      const std::size_t peak = test_support::HeapPeak() - before;
      EXPECT_LE(peak, 3 * c.field.size()) << c.what << ", " << workers << " workers";
      EXPECT_TRUE(output.tail.ends_with(c.ending)) << c.what << ": " << output.tail.substr(3000);
      EXPECT_GT(output.written, c.field.size()) << c.what;
    }
  }
}

TEST(RunBatch, MalformedLineLateInALongTableKeepsEveryEarlierRow) {
  std::string csv = MixedTable(3000);
  const auto lines = std::count(csv.begin(), csv.end(), '\n');
  csv += "0,height,80\n" + MixedTable(10);
  for (const unsigned workers : {0u, 2u}) {
    MemorySource input(csv, 1000);
    StringSink output;
    const auto malformed = RunBatch(input, output, BatchOptions{{}, workers});
    ASSERT_TRUE(malformed);
    EXPECT_EQ(malformed->line, static_cast<std::uint64_t>(lines + 1));
    EXPECT_EQ(output.text, Table(MixedTable(3000), 100000, 0)) << workers << " workers";
  }
}

}  // namespace
}  // namespace ambrelix::cli
