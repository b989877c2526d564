// Fuzzes the companion's what-if tables: any bytes as the CSV file, in any
// pieces, computed on the reading thread or by workers.
//
// Checks: the table written (and where it stopped) does not depend on how
// the input arrived or how many threads computed it; what is written reads
// back as CSV, one record per row read, each echoing that row's fields as
// they were and adding the ten result columns (fourteen with the tube's
// extras), numbers that read back, or an error, or nothing for a row that
// asks for no calculation.
//
// Input: byte 0 picks how the input is split, the workers and whether the
// extras are written, byte 1 the separators; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/batch.h"
#include "app/cli/byte_streams.h"
#include "app/cli/csv.h"
#include "calc/number_text.h"
#include "calc/unicode.h"

namespace {

using namespace ambrelix;
using namespace ambrelix::cli;

constexpr std::size_t kChunks[] = {1, 2, 7, 64, 4096};
constexpr NumberSeparators kSeparators[] = {
    {u'.', u','}, {u',', u'.'}, {u'.', u'\''}, {u',', u'\u00A0'}, {u'\u066B', u'\u066C'}};
constexpr std::size_t kResultColumns = 10;
constexpr std::size_t kExtrasColumns = 4;  // the last, the mass, is empty without a density

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "violated: %s\n", what);
  std::abort();
}

struct Table {
  std::string out;
  std::optional<MalformedTable> malformed;
};

Table Run(std::string_view csv, std::size_t chunk, unsigned workers, NumberSeparators s,
          bool extras) {
  MemorySource input(csv, chunk);
  Table t;
  StringSink output;
  t.malformed = RunBatch(input, output, BatchOptions{s, workers, extras});
  t.out = std::move(output.text);
  return t;
}

using Record = std::vector<std::string>;

// Records as the companion's own reader sees them, up to `most` of them or
// the first malformed one.
std::vector<Record> Records(std::string_view csv, std::size_t most) {
  MemorySource source(csv);
  CsvReader reader(source);
  std::vector<Record> records;
  try {
    std::string text;
    std::vector<std::size_t> ends;
    while (records.size() < most && reader.ReadRecord(text, ends, 1024)) {
      Record r;
      std::size_t begin = 0;
      for (const std::size_t end : ends) {
        r.push_back(text.substr(begin, end - begin));
        begin = end;
      }
      records.push_back(std::move(r));
      text.clear();
      ends.clear();
    }
  } catch (const CsvError&) {
  }
  return records;
}

bool ReadsAsNumber(const std::string& field, NumberSeparators s) {
  try {
    TextToNumber(Utf8ToUtf16(field), s);
    return true;
  } catch (const ConversionError&) {
    return false;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t chunk = kChunks[data[0] % std::size(kChunks)];
  const unsigned workers = 1 + (data[0] >> 4) % 2;
  const bool extras = (data[0] >> 5) % 2 != 0;
  const NumberSeparators separators = kSeparators[data[1] % std::size(kSeparators)];
  const std::string_view csv(reinterpret_cast<const char*>(data + 2), size - 2);

  const Table whole = Run(csv, csv.size() + 1, 0, separators, extras);
  const Table pieces = Run(csv, chunk, workers, separators, extras);
  Require(pieces.out == whole.out, "the pieces or the workers changed the table");
  Require(pieces.malformed.has_value() == whole.malformed.has_value() &&
              (!whole.malformed || (pieces.malformed->line == whole.malformed->line &&
                                    pieces.malformed->problem == whole.malformed->problem)),
          "the pieces or the workers changed where the table stopped");
  if (whole.out.empty()) {
    Require(whole.malformed.has_value(), "nothing written and no reason given");
    return 0;
  }

  const std::vector<Record> written = Records(whole.out, SIZE_MAX);
  Require(!written.empty(), "the header does not read back");
  const std::vector<Record> read = Records(csv, written.size());
  Require(read.size() == written.size(), "not one record written per row read");
  const std::size_t columns = read[0].size();
  const std::size_t results = kResultColumns + (extras ? kExtrasColumns : 0);
  for (std::size_t row = 0; row < written.size(); ++row) {
    const Record& in = read[row];
    const Record& out = written[row];
    Require(in.size() == columns && out.size() == columns + results,
            "a record has the wrong number of fields");
    for (std::size_t c = 0; c < columns; ++c)
      Require(out[c] == in[c], "a field was not echoed as it was");
    if (row == 0) continue;
    const std::string& error = out.back();
    const std::string& warning = out[columns + kResultColumns - 2];
    if (!error.empty() || warning.empty()) {
      for (std::size_t c = columns; c + 1 < out.size(); ++c)
        Require(out[c].empty(), "a row without results has a result");
      continue;
    }
    Require(warning == "true" || warning == "false", "the gap warning is not true or false");
    for (std::size_t c = columns; c + 1 < out.size(); ++c) {
      if (c == columns + kResultColumns - 2) continue;                // the warning
      if (c == out.size() - 2 && extras && out[c].empty()) continue;  // no density, no mass
      Require(ReadsAsNumber(out[c], separators), "a result does not read as a number");
    }
  }
  return 0;
}
