// Comma-separated values as RFC 4180 has them: a field may be quoted, and a
// quoted field holds commas, line breaks and doubled quotes; spaces belong
// to the field either way. Lines end in CRLF or LF; a CR alone is data. A
// UTF-8 byte-order mark at the very start is skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/byte_streams.h"

namespace ambrelix::cli {

// A record that breaks the format, with the line it was found on.
class CsvError : public std::runtime_error {
 public:
  CsvError(std::uint64_t line, const std::string& what) : std::runtime_error(what), line_(line) {}
  std::uint64_t line() const noexcept { return line_; }

 private:
  std::uint64_t line_;
};

// Reads records one at a time through a fixed buffer, so memory depends on
// the longest record, never on how many there are.
class CsvReader {
 public:
  static constexpr std::size_t kBufferSize = std::size_t{1} << 16;

  explicit CsvReader(ByteSource& source);

  // Appends the next record's fields, unquoted, to `text`, and the offset in
  // `text` where each field ends to `ends`. Blank lines are skipped. Returns
  // false at the end of the input, having appended nothing. Throws CsvError
  // for a malformed record or one with more than `maxFields` fields; `text`
  // and `ends` may then hold part of it.
  bool ReadRecord(std::string& text, std::vector<std::size_t>& ends, std::size_t maxFields);

  // The line on which the record last read (or being read) starts.
  std::uint64_t RecordLine() const noexcept { return recordLine_; }

 private:
  enum class Outcome { kRecord, kBlankLine, kEnd };
  Outcome ParseRecord(std::string& text, std::vector<std::size_t>& ends, std::size_t maxFields);
  bool Refill();

  ByteSource& source_;
  std::unique_ptr<char[]> buffer_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  bool exhausted_ = false;
  bool atStart_ = true;     // nothing read yet: a byte-order mark may come
  std::uint64_t line_ = 1;  // the line of the next byte
  std::uint64_t recordLine_ = 1;
};

// Appends one field, quoted when it holds a comma, a quote or a line break,
// or starts or ends with a space (which readers that trim would lose).
void AppendCsvField(std::string& out, std::string_view field);

}  // namespace ambrelix::cli
