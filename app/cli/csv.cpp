#include "app/cli/csv.h"

#include <array>

namespace ambrelix::cli {
namespace {

// The bytes that end a run of plain characters in an unquoted field.
constexpr std::array<bool, 256> kUnquotedStops = [] {
  std::array<bool, 256> stops{};
  for (unsigned char c : {',', '"', '\r', '\n'}) stops[c] = true;
  return stops;
}();

bool StopsUnquoted(char c) { return kUnquotedStops[static_cast<unsigned char>(c)]; }

bool NeedsQuotes(std::string_view field) {
  if (field.empty()) return false;
  if (field.front() == ' ' || field.back() == ' ') return true;
  for (char c : field)
    if (StopsUnquoted(c)) return true;
  return false;
}

}  // namespace

CsvReader::CsvReader(ByteSource& source)
    : source_(source), buffer_(std::make_unique<char[]>(kBufferSize)) {}

bool CsvReader::Refill() {
  if (exhausted_) return false;
  const std::size_t got = source_.Read(buffer_.get(), kBufferSize);
  if (got == 0) {
    exhausted_ = true;
    return false;
  }
  pos_ = buffer_.get();
  end_ = pos_ + got;
  return true;
}

bool CsvReader::ReadRecord(std::string& text, std::vector<std::size_t>& ends,
                           std::size_t maxFields) {
  const std::size_t textStart = text.size();
  const std::size_t endsStart = ends.size();
  for (;;) {
    switch (ParseRecord(text, ends, maxFields)) {
      case Outcome::kRecord:
        return true;
      case Outcome::kEnd:
        return false;
      case Outcome::kBlankLine:
        text.resize(textStart);
        ends.resize(endsStart);
        break;
    }
  }
}

CsvReader::Outcome CsvReader::ParseRecord(std::string& text, std::vector<std::size_t>& ends,
                                          std::size_t maxFields) {
  enum class State {
    kFieldStart,
    kUnquoted,
    kUnquotedCarriageReturn,  // a CR that ends the line if an LF follows
    kQuoted,
    kQuotedQuote,           // a quote inside a quoted field: doubled, or the closing one
    kClosedCarriageReturn,  // a CR after the closing quote, which must end the line
  };
  const std::size_t endsStart = ends.size();
  State state = State::kFieldStart;
  bool content = false;  // anything but the line end: a blank line is no record
  std::uint64_t quoteLine = line_;
  recordLine_ = line_;

  // Spreadsheets save UTF-8 with a byte-order mark in front of the first
  // line; it is no part of the first field, which may then be quoted. A
  // partial mark is data.
  if (atStart_) {
    atStart_ = false;
    static constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    std::size_t matched = 0;
    while (matched < 3 && (pos_ != end_ || Refill()) && *pos_ == kByteOrderMark[matched]) {
      ++pos_;
      ++matched;
    }
    if (matched > 0 && matched < 3) {
      text.append(kByteOrderMark, matched);
      content = true;
      state = State::kUnquoted;
    }
  }

  auto endField = [&] {
    if (ends.size() - endsStart == maxFields)
      throw CsvError(recordLine_, "more than " + std::to_string(maxFields) + " fields");
    ends.push_back(text.size());
  };
  auto endRecord = [&] {
    endField();
    const bool blank = !content && ends.size() - endsStart == 1;
    return blank ? Outcome::kBlankLine : Outcome::kRecord;
  };

  for (;;) {
    if (pos_ == end_ && !Refill()) {
      switch (state) {
        case State::kFieldStart:
          if (!content) return Outcome::kEnd;
          return endRecord();
        case State::kQuoted:
          throw CsvError(quoteLine, "a quoted field is not closed");
        default:  // a last line without its line end
          return endRecord();
      }
    }
    const char c = *pos_++;
    switch (state) {
      case State::kFieldStart:
        if (c == '"') {
          state = State::kQuoted;
          quoteLine = line_;
          content = true;
          break;
        }
        state = State::kUnquoted;
        [[fallthrough]];
      case State::kUnquoted:
        if (!StopsUnquoted(c)) {
          const char* run = pos_ - 1;
          while (pos_ != end_ && !StopsUnquoted(*pos_)) ++pos_;
          text.append(run, pos_);
          content = true;
        } else if (c == ',') {
          endField();
          state = State::kFieldStart;
          content = true;
        } else if (c == '\n') {
          ++line_;
          return endRecord();
        } else if (c == '\r') {
          state = State::kUnquotedCarriageReturn;
        } else {
          throw CsvError(line_, "a quote inside an unquoted field");
        }
        break;
      case State::kUnquotedCarriageReturn:
        if (c == '\n') {
          ++line_;
          return endRecord();
        }
        // A lone CR is part of the field; look at this byte again.
        text.push_back('\r');
        content = true;
        state = State::kUnquoted;
        --pos_;
        break;
      case State::kQuoted:
        if (c == '"') {
          state = State::kQuotedQuote;
        } else {
          if (c == '\n') ++line_;
          text.push_back(c);
        }
        break;
      case State::kQuotedQuote:
        if (c == '"') {
          text.push_back('"');
          state = State::kQuoted;
        } else if (c == ',') {
          endField();
          state = State::kFieldStart;
        } else if (c == '\n') {
          ++line_;
          return endRecord();
        } else if (c == '\r') {
          state = State::kClosedCarriageReturn;
        } else {
          throw CsvError(line_, "text after the closing quote of a field");
        }
        break;
      case State::kClosedCarriageReturn:
        if (c != '\n') throw CsvError(line_, "text after the closing quote of a field");
        ++line_;
        return endRecord();
    }
  }
}

void AppendCsvField(std::string& out, std::string_view field) {
  if (!NeedsQuotes(field)) {
    out.append(field);
    return;
  }
  out.push_back('"');
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

}  // namespace ambrelix::cli
