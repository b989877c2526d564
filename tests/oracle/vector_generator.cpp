// Writes the vector file the Windows build checks under Wine: inputs and the
// results the oracles give for them, computed here with MPFR and strtold.
//
//   oracle_vector_generator <output file>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "tests/oracle/mpfr_model.h"
#include "tests/oracle/random_inputs.h"
#include "tests/oracle/vector_format.h"

namespace ambrelix::oracle {
namespace {

std::string Separator(char16_t c) { return EncodeText(std::u16string(1, c)); }

class VectorWriter {
 public:
  explicit VectorWriter(std::ostream& out) : out_(out) {}
  void Record(const std::string& line) {
    out_ << line << '\n';
    ++records_;
  }
  int records() const { return records_; }

 private:
  std::ostream& out_;
  int records_ = 0;
};

void WritePowers(VectorWriter& out) {
  const int steps[] = {1, 32, 512}, counts[] = {32, 16, 10};
  for (int table = 0; table < 3; ++table)
    for (int i = 0; i < counts[table]; ++i)
      out.Record("power " + std::to_string(table) + " " + std::to_string(i) + " " +
                 ToHex(NearestPowerOfTen(i * steps[table]).bits()));
}

std::string ReadRecord(const NumberText& t, std::optional<ExtendedBits> expected) {
  return "read " + Separator(t.decimal) + " " + EncodeText(t.text) + " " +
         (expected ? "value " + ToHex(*expected) : std::string("error"));
}

// Narrow texts are checked against strtold; the model must agree with it
// there, or one of the two oracles is wrong.
bool WriteReadings(VectorWriter& out, Random& random) {
  for (int i = 0; i < 1500; ++i) {
    const NumberText t = NarrowNumberText(random);
    const ExtendedBits nearest = BitsOf(CLibraryValue(t.cLibraryForm));
    if (ModelRead(t.number) != nearest) {
      std::cerr << "the reading model and strtold disagree on " << t.cLibraryForm << '\n';
      return false;
    }
    out.Record(ReadRecord(t, nearest));
  }
  for (int i = 0; i < 1500; ++i) {
    const NumberText t = WideNumberText(random);
    if (t.number.digits.size() > 200) continue;  // keep the file small
    out.Record(ReadRecord(t, t.valid ? ModelRead(t.number) : std::nullopt));
  }
  return true;
}

std::string ResultFields(const CoilOutcome& model) {
  std::string line = " value";
  for (ExtendedBits b : {model.G, model.h, model.O, model.I, model.A, model.n, model.L, model.V})
    line += " " + ToHex(b);
  return line + (model.gapWarning ? " 1" : " 0");
}

void WriteCoils(VectorWriter& out, Random& random) {
  for (int i = 0; i < 2500; ++i) {
    const CoilInputs in = RandomCoilInputs(random);
    const CoilOutcome model = ModelCoil(in);
    std::string line = std::string("coil ") + (in.mode == SolveMode::HeightGiven ? "H" : "T") +
                       (in.withT1 ? " 1" : " 0") + (in.withT2 ? " 1" : " 0");
    for (long double v : {in.D, in.P, in.A, in.n, in.OD, in.ID, in.t1, in.t2})
      line += " " + ToHex(v);
    if (model.fault) {
      line += std::string(" fault ") + FaultName(*model.fault);
    } else {
      line += ResultFields(model);
    }
    out.Record(line);
  }
}

void WriteLengths(VectorWriter& out, Random& random) {
  for (int i = 0; i < 2500; ++i) {
    CoilInputs in = RandomCoilInputs(random);
    const long double metres = RandomTubeMetres(random, in);
    const CoilOutcome model = ModelCoilFromLength(in, metres);
    std::string line =
        std::string("length") + (in.withT1 ? " 1" : " 0") + (in.withT2 ? " 1" : " 0");
    for (long double v : {in.D, in.P, in.OD, in.ID, in.t1, in.t2, metres}) line += " " + ToHex(v);
    if (model.fault) {
      line += std::string(" fault ") + FaultName(*model.fault);
    } else if (model.tailsLongerThanTube) {
      line += " tails-longer";
    } else {
      line += ResultFields(model);
    }
    out.Record(line);
  }
}

void WriteExtras(VectorWriter& out, Random& random) {
  for (int i = 0; i < 2500; ++i) {
    const long double OD = AnyValue(random), ID = AnyValue(random), L = AnyValue(random);
    std::optional<long double> density;
    if (random.Percent(50)) density = random.Percent(50) ? AnyValue(random) : 8.96L;
    const ExtrasOutcome model = ModelTubeExtras(OD, ID, L, density);
    std::string line = "extras " + ToHex(OD) + " " + ToHex(ID) + " " + ToHex(L) + " " +
                       (density ? ToHex(*density) : "none");
    if (model.fault) {
      line += std::string(" fault ") + FaultName(*model.fault);
    } else {
      line += " value " + ToHex(model.outsideArea) + " " + ToHex(model.insideArea) + " " +
              ToHex(model.metalVolume) + " " + (model.mass ? ToHex(*model.mass) : "none");
    }
    out.Record(line);
  }
}

void WriteFixedTexts(VectorWriter& out, Random& random) {
  auto record = [&](long double value, int decimals) {
    const char16_t separator = random.Percent(75) ? u'.' : u',';
    const std::u16string text = FixedText(*ModelEighteenDigits(BitsOf(value)), decimals, separator);
    out.Record("fixed " + ToHex(value) + " " + std::to_string(decimals) + " " +
               Separator(separator) + " " + EncodeText(text));
  };
  for (int i = 0; i < 1500; ++i) {
    const auto kind = i % 2 ? Displayed::kRandomSignificand : Displayed::kDecimalEndingInFive;
    record(DisplayedValue(random, kind), 2 + i / 2 % 2);
  }
  for (int i = 0; i < 500; ++i) record(AnyValue(random), static_cast<int>(random.Below(19)));
}

}  // namespace
}  // namespace ambrelix::oracle

int main(int argc, char** argv) {
  using namespace ambrelix::oracle;
  if (argc != 2) {
    std::cerr << "usage: oracle_vector_generator <output file>\n";
    return 2;
  }
  const std::uint64_t seed = OracleSeed("oracle vectors");
  std::ofstream file(argv[1], std::ios::trunc);
  file << kVectorFileHeader << "\nseed " << seed << '\n';
  VectorWriter out(file);
  Random random(seed);
  WritePowers(out);
  const bool consistent = WriteReadings(out, random);
  WriteCoils(out, random);
  WriteLengths(out, random);
  WriteExtras(out, random);
  WriteFixedTexts(out, random);
  file << "end " << out.records() << '\n';
  file.close();
  if (!consistent || !file) {
    std::remove(argv[1]);
    return 1;
  }
  std::cout << out.records() << " vectors in " << argv[1] << '\n';
  return 0;
}
