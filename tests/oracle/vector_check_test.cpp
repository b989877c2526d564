// Checks the core against the vector file the native build computed with
// MPFR and strtold: the same bits, the same fault, the same text. Built for
// Windows to run under Wine, where the process starts with the x87 at 53-bit
// precision, and natively too, where the checks run under that precision on
// purpose.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "calc/coil.h"
#include "calc/number_text.h"
#include "calc/tube_extras.h"
#include "tests/oracle/failure_log.h"
#include "tests/oracle/vector_format.h"

#ifndef AMBRELIX_ORACLE_VECTORS_DEFAULT
#error "the build names the default vector file"
#endif

namespace ambrelix::oracle {
namespace {

// The control word a Windows process starts with: 53-bit precision, nearest,
// all exceptions masked. The core sets its own and must give it back.
class WindowsDefaultPrecision {
 public:
  WindowsDefaultPrecision() {
    asm volatile("fnstcw %0" : "=m"(saved_));
    const std::uint16_t doublePrecision = 0x027F;
    asm volatile("fldcw %0" ::"m"(doublePrecision));
  }
  ~WindowsDefaultPrecision() {
    std::uint16_t now;
    asm volatile("fnstcw %0" : "=m"(now));
    EXPECT_EQ(now, 0x027F) << "the core did not restore the caller's control word";
    asm volatile("fldcw %0" ::"m"(saved_));
  }
  WindowsDefaultPrecision(const WindowsDefaultPrecision&) = delete;
  WindowsDefaultPrecision& operator=(const WindowsDefaultPrecision&) = delete;

 private:
  std::uint16_t saved_;
};

struct Record {
  int line;
  std::vector<std::string> fields;
};

class OracleVectors : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* given = std::getenv("AMBRELIX_ORACLE_VECTORS");
    path_ = given && *given ? given : AMBRELIX_ORACLE_VECTORS_DEFAULT;
    std::ifstream file(path_);
    // Under Wine a Unix path is found through the drive that maps the root.
    if (!file && !path_.empty() && path_[0] == '/') file.open("Z:" + path_);
    if (!file) return;
    std::string text;
    for (int line = 1; std::getline(file, text); ++line) {
      std::istringstream words(text);
      Record r{line, {}};
      for (std::string w; words >> w;) r.fields.push_back(w);
      records_.push_back(std::move(r));
    }
    loaded_ = true;
    if (records_.size() > 1 && records_[1].fields.size() == 2)
      std::printf(
          "vectors from %s; AMBRELIX_ORACLE_SEED=%s oracle_vector_generator <file> writes them "
          "again\n",
          path_.c_str(), records_[1].fields[1].c_str());
  }

  void SetUp() override {
    if (!loaded_)
      GTEST_SKIP() << "no vector file at " << path_
                   << ": the native build writes it (tests/oracle/vectors.txt); point "
                      "AMBRELIX_ORACLE_VECTORS or the CMake variable of that name at it";
    ASSERT_GE(records_.size(), 3u);
    ASSERT_EQ(records_.front().fields.size(), 2u);
    ASSERT_EQ(records_.front().fields[0] + " " + records_.front().fields[1], kVectorFileHeader);
    ASSERT_EQ(records_.back().fields.size(), 2u);
    ASSERT_EQ(records_.back().fields[0], "end") << path_ << " is cut short";
    ASSERT_EQ(std::stoul(records_.back().fields[1]), records_.size() - 3)
        << path_ << " is cut short";
  }

  // The records of one kind; the test fails when there are none.
  std::vector<const Record*> Of(const std::string& kind) {
    std::vector<const Record*> out;
    for (const Record& r : records_)
      if (!r.fields.empty() && r.fields[0] == kind) out.push_back(&r);
    EXPECT_FALSE(out.empty()) << "no " << kind << " records in " << path_;
    return out;
  }

  static std::string Where(const Record& r) { return path_ + ":" + std::to_string(r.line) + ": "; }

  static long double Value(const Record& r, std::size_t field) {
    const std::optional<ExtendedBits> bits = ParseHex(r.fields.at(field));
    if (!bits) throw std::runtime_error(Where(r) + "not a bit pattern: " + r.fields.at(field));
    return FromBits(*bits);
  }

  static std::u16string Text(const Record& r, std::size_t field) {
    const std::optional<std::u16string> text = DecodeText(r.fields.at(field));
    if (!text) throw std::runtime_error(Where(r) + "not a text: " + r.fields.at(field));
    return *text;
  }

  // The eight results from field `first` on, then the gap warning.
  static void CheckCoilResults(const Record& r, std::size_t first, const CoilResults& out,
                               FailureLog& failures) {
    const long double results[] = {out.G, out.h, out.O, out.I, out.A, out.n, out.L, out.V};
    const char* names[] = {"G", "h", "O", "I", "A", "n", "L", "V"};
    for (std::size_t k = 0; k < 8; ++k)
      if (!SameBits(results[k], Value(r, first + k)))
        failures.Add(Where(r) + names[k] + " = " + Describe(results[k]));
    if (out.gapWarning != (r.fields.at(first + 8) == "1")) failures.Add(Where(r) + "gap warning");
  }

  static inline std::string path_;
  static inline std::vector<Record> records_;
  static inline bool loaded_ = false;
};

TEST_F(OracleVectors, PowerOfTenTablesHoldTheNearestValues) {
  using namespace number_text_detail;
  const long double* tables[] = {kPowersOfTenUnits, kPowersOfTenThirtySeconds,
                                 kPowersOfTenFiveTwelfths};
  const int sizes[] = {32, 16, 10};
  FailureLog failures;
  for (const Record* r : Of("power")) {
    const int table = std::stoi(r->fields.at(1)), index = std::stoi(r->fields.at(2));
    ASSERT_TRUE(table >= 0 && table < 3 && index >= 0 && index < sizes[table]) << Where(*r);
    if (!SameBits(tables[table][index], Value(*r, 3)))
      failures.Add(Where(*r) + "table entry " + Describe(tables[table][index]));
  }
}

TEST_F(OracleVectors, TextToNumberReadsEveryTextToTheExpectedBits) {
  FailureLog failures;
  WindowsDefaultPrecision precision;
  for (const Record* r : Of("read")) {
    const std::u16string separator = Text(*r, 1), text = Text(*r, 2);
    const NumberSeparators separators{separator.at(0), separator.at(0) == u'.' ? u',' : u'.'};
    std::optional<long double> read;
    try {
      read = TextToNumber(text, separators);
    } catch (const ConversionError&) {
    }
    const bool rejected = r->fields.at(3) == "error";
    if (rejected && read) {
      failures.Add(Where(*r) + "read as " + Describe(*read) + ", expected a conversion error");
    } else if (!rejected && !read) {
      failures.Add(Where(*r) + "rejected");
    } else if (!rejected && !SameBits(*read, Value(*r, 4))) {
      failures.Add(Where(*r) + "read as " + Describe(*read));
    }
  }
}

TEST_F(OracleVectors, ComputeCoilGivesTheExpectedBitsOrFault) {
  FailureLog failures;
  WindowsDefaultPrecision precision;
  for (const Record* r : Of("coil")) {
    CoilInputs in;
    in.mode = r->fields.at(1) == "H" ? SolveMode::HeightGiven : SolveMode::TurnsGiven;
    in.withT1 = r->fields.at(2) == "1";
    in.withT2 = r->fields.at(3) == "1";
    long double* inputs[] = {&in.D, &in.P, &in.A, &in.n, &in.OD, &in.ID, &in.t1, &in.t2};
    for (std::size_t k = 0; k < 8; ++k) *inputs[k] = Value(*r, 4 + k);

    std::optional<FaultKind> fault;
    CoilResults out;
    try {
      out = ComputeCoil(in);
    } catch (const ArithmeticFault& e) {
      fault = e.kind();
    }
    if (r->fields.at(12) == "fault") {
      const std::optional<FaultKind> expected = FaultFromName(r->fields.at(13));
      if (fault != expected)
        failures.Add(Where(*r) + (fault ? FaultName(*fault) : "no fault") + ", expected " +
                     r->fields.at(13));
      continue;
    }
    if (fault) {
      failures.Add(Where(*r) + FaultName(*fault) + ", expected results");
      continue;
    }
    CheckCoilResults(*r, 13, out, failures);
  }
}

TEST_F(OracleVectors, ComputeCoilFromLengthGivesTheExpectedBitsOrRefusal) {
  FailureLog failures;
  WindowsDefaultPrecision precision;
  for (const Record* r : Of("length")) {
    CoilInputs in;
    in.withT1 = r->fields.at(1) == "1";
    in.withT2 = r->fields.at(2) == "1";
    long double* inputs[] = {&in.D, &in.P, &in.OD, &in.ID, &in.t1, &in.t2};
    for (std::size_t k = 0; k < 6; ++k) *inputs[k] = Value(*r, 3 + k);
    const long double metres = Value(*r, 9);

    std::string got;
    CoilResults out;
    try {
      out = ComputeCoilFromLength(in, metres);
      got = "value";
    } catch (const ArithmeticFault& e) {
      got = std::string("fault ") + FaultName(e.kind());
    } catch (const TailsLongerThanTube&) {
      got = "tails-longer";
    }
    const std::string& expected = r->fields.at(10);
    if (expected != "value") {
      const std::string whole = expected == "fault" ? "fault " + r->fields.at(11) : expected;
      if (got != whole) failures.Add(Where(*r) + got + ", expected " + whole);
      continue;
    }
    if (got != "value") {
      failures.Add(Where(*r) + got + ", expected results");
      continue;
    }
    CheckCoilResults(*r, 11, out, failures);
  }
}

TEST_F(OracleVectors, ComputeTubeExtrasGivesTheExpectedBitsOrFault) {
  FailureLog failures;
  WindowsDefaultPrecision precision;
  for (const Record* r : Of("extras")) {
    std::optional<long double> density;
    if (r->fields.at(4) != "none") density = Value(*r, 4);
    std::optional<FaultKind> fault;
    TubeExtras out;
    try {
      out = ComputeTubeExtras(Value(*r, 1), Value(*r, 2), Value(*r, 3), density);
    } catch (const ArithmeticFault& e) {
      fault = e.kind();
    }
    if (r->fields.at(5) == "fault") {
      const std::optional<FaultKind> expected = FaultFromName(r->fields.at(6));
      if (fault != expected)
        failures.Add(Where(*r) + (fault ? FaultName(*fault) : "no fault") + ", expected " +
                     r->fields.at(6));
      continue;
    }
    if (fault) {
      failures.Add(Where(*r) + FaultName(*fault) + ", expected results");
      continue;
    }
    const long double results[] = {out.outsideArea, out.insideArea, out.metalVolume};
    const char* names[] = {"outsideArea", "insideArea", "metalVolume"};
    for (std::size_t k = 0; k < 3; ++k)
      if (!SameBits(results[k], Value(*r, 6 + k)))
        failures.Add(Where(*r) + names[k] + " = " + Describe(results[k]));
    const bool massExpected = r->fields.at(9) != "none";
    if (out.mass.has_value() != massExpected || (out.mass && !SameBits(*out.mass, Value(*r, 9))))
      failures.Add(Where(*r) + "mass = " + (out.mass ? Describe(*out.mass) : "none"));
  }
}

TEST_F(OracleVectors, NumberToFixedTextWritesTheExpectedText) {
  FailureLog failures;
  WindowsDefaultPrecision precision;
  for (const Record* r : Of("fixed")) {
    const long double value = Value(*r, 1);
    const int decimals = std::stoi(r->fields.at(2));
    const char16_t separator = Text(*r, 3).at(0);
    const std::u16string text =
        NumberToFixedText(value, decimals, NumberSeparators{separator, u' '});
    if (text != Text(*r, 4))
      failures.Add(Where(*r) + "\"" + Narrow(text) + "\", expected \"" + Narrow(Text(*r, 4)) +
                   "\"");
  }
}

}  // namespace
}  // namespace ambrelix::oracle
