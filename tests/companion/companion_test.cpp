// The console companion as its users drive it: the real executable, its
// arguments, standard input, what it prints and its exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/companion/child_process.h"
#include "tests/companion/companion_support.h"

namespace ambrelix {
namespace {

using test_support::ProcessResult;
using test_support::Tube;
using Args = std::vector<std::string>;

ProcessResult Cli(const Args& args, const std::string& input = {}) {
  return test_support::RunProcess(AMBRELIX_CLI_PATH, args, input);
}

ProcessResult Table(const std::string& csv, Args extra = {}) {
  Args args{"--csv", "-"};
  args.insert(args.end(), extra.begin(), extra.end());
  return Cli(args, csv);
}

// The calculator's first-run coil, solved for the turns.
Args DefaultCoil() {
  return {"--mode", "height", "--D",  "80",  "--P",  "4.2",
          "--A",    "101",    "--OD", "3.2", "--ID", "1.2"};
}

// The arguments with each option's value replaced, or the option added; a
// flag (no value) is always added.
Args With(Args args, const std::vector<std::pair<std::string, std::string>>& changes) {
  for (const auto& [option, value] : changes) {
    const bool flag = option.starts_with("--tail");
    auto at = std::find(args.begin(), args.end(), option);
    if (flag || at == args.end()) {
      args.push_back(option);
      if (!flag) args.push_back(value);
    } else {
      *(at + 1) = value;
    }
  }
  return args;
}

Args Without(Args args, const std::string& option) {
  auto at = std::find(args.begin(), args.end(), option);
  args.erase(at, at + 2);
  return args;
}

// ---- one calculation ----

TEST(SingleRun, FirstRunDefaultsPrintEveryWriteInOrder) {
  const ProcessResult r = Cli(DefaultCoil());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out,
            "lbG\t1.00\nlbH\t97.80\nlbO\t83.20\nlbI\t76.80\nlbA2\t101.00\nlbG2\t1.00\n"
            "lbP2\t4.20\nlbID2\t1.20\nlbOD2\t3.20\nlbh2\t97.80\nlbI2\t76.80\nlbD2\t80.00\n"
            "lbO2\t83.20\nedN\t23.29\nedP\t4.20\nlbTotalLength\t5.853M\nlbTotalVolume\t6.62ml\n"
            "gapWarning\tfalse\n");
  EXPECT_EQ(r.err, "");
}

TEST(SingleRun, ModesTailsSeparatorsAndTheGapWarning) {
  struct Case {
    const char* what;
    Args args;
    std::vector<std::string> lines;  // each printed, in this order
    std::vector<std::string> absent;
  };
  const Args turns = With(Without(DefaultCoil(), "--A"), {{"--mode", "turns"}, {"--n", "20"}});
  const Args comma = With(
      DefaultCoil(),
      {{"--decimal", ","}, {"--thousand", "."}, {"--P", "4,2"}, {"--OD", "3,2"}, {"--ID", "1,2"}});
  const Case cases[] = {
      {"turns given",
       turns,
       {"edA\t87.20", "lbH\t84.00", "lbA2\t87.20", "lbTotalLength\t5.027M", "lbTotalVolume\t5.69ml",
        "gapWarning\tfalse"},
       {"edN"}},
      {"both tails",
       With(DefaultCoil(), {{"--t1", "100"}, {"--t2", "120"}, {"--tail1", {}}, {"--tail2", {}}}),
       {"lbTotalLength\t6.073M", "lbTotalVolume\t6.87ml"},
       {"edA"}},
      {"tails given but not counted",
       With(DefaultCoil(), {{"--t1", "100"}, {"--t2", "120"}}),
       {"lbTotalLength\t5.853M"},
       {}},
      {"pitch equal to OD",
       With(DefaultCoil(), {{"--P", "3.2"}}),
       {"lbG\t0.00", "lbG2\t0.00", "lbTotalVolume", "gapWarning\ttrue"},
       {}},
      {"negative gap", With(DefaultCoil(), {{"--P", "2"}}), {"lbG\t-1.20", "gapWarning\ttrue"}, {}},
      {"pitch rewritten with two decimals",
       With(DefaultCoil(), {{"--P", "4.125"}}),
       {"lbP2\t4.13", "edP\t4.13"},
       {}},
      {"comma decimal", comma, {"lbG\t1,00", "edN\t23,29", "lbTotalLength\t5,853M"}, {}},
      {"long padding and leading zeros",
       With(DefaultCoil(), {{"--D", std::string(3000, ' ') + "00080" + std::string(3000, ' ')},
                            {"--ID", "0001.2" + std::string(2000, '0')}}),
       {"lbID2\t1.20", "lbD2\t80.00", "lbTotalLength\t5.853M", "lbTotalVolume\t6.62ml"},
       {}},
      {"long padding around the length and the density",
       Tube("0006" + std::string(3000, ' '),
            {"--extras", "--density", std::string(3000, ' ') + "8.96" + std::string(2000, '0')}),
       {"edN\t23.87", "lbTotalLength\t6.000M", "metalVolume\t41.47", "mass\t0.372"},
       {}},
      {"non-ASCII decimal",
       With(DefaultCoil(), {{"--decimal", "\u066B"},
                            {"--P", "4\u066B2"},
                            {"--OD", "3\u066B2"},
                            {"--ID", "1\u066B2"}}),
       {"lbG\t1\u066B00", "lbTotalLength\t5\u066B853M"},
       {}},
  };
  for (const Case& c : cases) {
    const ProcessResult r = Cli(c.args);
    EXPECT_EQ(r.exitCode, 0) << c.what << "\n" << r.err;
    std::size_t from = 0;
    for (const std::string& line : c.lines) {
      const std::size_t at = r.out.find(line, from);
      EXPECT_NE(at, std::string::npos) << c.what << ": no '" << line << "' in order in\n" << r.out;
      if (at != std::string::npos) from = at;
    }
    for (const std::string& text : c.absent)
      EXPECT_EQ(r.out.find(text), std::string::npos) << c.what << ": " << text;
  }
}

TEST(SingleRun, NoModeReadsNothingAndWritesOnlyTheWarningFlag) {
  const ProcessResult r = Cli({"--mode", "none", "--D", "not a number"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "gapWarning\tfalse\n");
}

TEST(SingleRun, FailureShowsTheErrorBoxTextAndPrintsNoResults) {
  struct Case {
    Args args;
    std::string shown;
  };
  // Named, so that no "literal" + temporary string is inlined: GCC 12 warns
  // about that wrongly for i686.
  const std::string x999(999, 'x'), x1000(1000, 'x'), ones1000(1000, '1');
  const Case cases[] = {
      {With(DefaultCoil(), {{"--D", ""}}), "'' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--ID", " 1 2 "}}), "' 1 2 ' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--P", "x"}, {"--OD", "y"}, {"--t2", "z"}}),
       "'x' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--t1", "1 2"}}), "'1 2' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--decimal", ","}}), "'4.2' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--P", "\u00E9"}}), "'\u00E9' is not a valid floating point value."},
#ifndef _WIN32
      // Bytes that are not UTF-8 are quoted as they were given. (On Windows
      // arguments arrive as UTF-16, where they cannot be.)
      {With(DefaultCoil(), {{"--P",
                             "4\xFF"
                             "2"}}),
       "'4\xFF"
       "2' is not a valid floating point value."},
#endif
      // A long text is quoted up to its thousandth character; the first
      // field that does not read is reported, long or not.
      {With(DefaultCoil(), {{"--OD", std::string(1500, 'x')}}),
       "'" + x1000 + "\u2026' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--OD", x999 + "\u00E9\u00E9"}}),
       "'" + x999 + "\u00E9\u2026' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--P", "y"}, {"--OD", std::string(1500, 'x')}}),
       "'y' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--P", std::string(6000, '1')}, {"--OD", "y"}}),
       "'" + ones1000 + "\u2026' is not a valid floating point value."},
      {With(DefaultCoil(), {{"--P", "0"}}), "Floating point division by zero."},
      {With(DefaultCoil(), {{"--P", "0"}, {"--A", "3.2"}}), "Invalid floating point operation."},
      {With(DefaultCoil(), {{"--D", "1e2467"}}), "Floating point overflow."},
      // From a length of tube.
      {Tube("0.2", {"--t1", "100", "--t2", "120", "--tail1", "--tail2"}),
       "The tails are longer than the tube."},
      {Tube("-1"), "The tails are longer than the tube."},
      {With(Tube("6"), {{"--D", "0"}, {"--P", "0"}}), "Floating point division by zero."},
      {With(Tube("0"), {{"--D", "0"}, {"--P", "0"}}), "Invalid floating point operation."},
      {Tube("1e4930"), "Floating point overflow."},
      {Tube("6 m"), "'6 m' is not a valid floating point value."},
      {Tube("6,0"), "'6,0' is not a valid floating point value."},
      // The texts are read in order, D, P, L, OD, ID, t1, t2, then the density.
      {With(Tube("x"), {{"--P", "y"}}), "'y' is not a valid floating point value."},
      {With(Tube("x"), {{"--OD", "z"}}), "'x' is not a valid floating point value."},
      {Tube("6", {"--t2", "q", "--extras", "--density", "heavy"}),
       "'q' is not a valid floating point value."},
      {Tube("6", {"--extras", "--density", "heavy"}),
       "'heavy' is not a valid floating point value."},
      // A long length or density is quoted as the other texts are, in its place.
      {Tube(std::string(1500, 'x')), "'" + x1000 + "\u2026' is not a valid floating point value."},
      {With(Tube(std::string(1500, 'x')), {{"--P", "y"}}),
       "'y' is not a valid floating point value."},
      {Tube(std::string(6000, '1'), {"--extras", "--density", "heavy"}),
       "'" + ones1000 + "\u2026' is not a valid floating point value."},
      {Tube("6", {"--extras", "--density", std::string(6000, '1')}),
       "'" + ones1000 + "\u2026' is not a valid floating point value."},
      // Every text is read before the arithmetic starts.
      {Tube("0.2", {"--t1", "300", "--tail1", "--extras", "--density", ""}),
       "'' is not a valid floating point value."},
  };
  for (const Case& c : cases) {
    const ProcessResult r = Cli(c.args);
    EXPECT_EQ(r.exitCode, 1) << c.shown;
    EXPECT_EQ(r.out, "") << c.shown;
    EXPECT_EQ(r.err, c.shown + "\n");
  }
}

// ---- the command line ----

TEST(CommandLine, MalformedCommandLinesShowTheUsage) {
  const Args turns = With(Without(DefaultCoil(), "--A"), {{"--mode", "turns"}, {"--n", "20"}});
  const std::pair<const char*, Args> cases[] = {
      {"nothing at all", {}},
      {"unknown option", With(DefaultCoil(), {{"--X", "1"}})},
      {"stray argument", {"--mode", "none", "80"}},
      {"missing value",
       {"--mode", "height", "--D", "80", "--P", "4.2", "--A", "101", "--OD", "3.2", "--ID"}},
      {"A in turns mode", With(turns, {{"--A", "101"}})},
      {"n in height mode", With(DefaultCoil(), {{"--n", "20"}})},
      {"both A and n", With(DefaultCoil(), {{"--mode", "none"}, {"--n", "20"}})},
      {"missing OD", Without(DefaultCoil(), "--OD")},
      {"missing A", Without(DefaultCoil(), "--A")},
      {"missing mode", Without(DefaultCoil(), "--mode")},
      {"unknown mode", With(DefaultCoil(), {{"--mode", "Height"}})},
      {"option twice", With(DefaultCoil(), {{"--tail1", {}}, {"--tail1", {}}})},
      {"value option twice", {"--mode", "height", "--D", "80", "--D", "80"}},
      {"two-character decimal", With(DefaultCoil(), {{"--decimal", ".."}})},
      {"empty decimal", With(DefaultCoil(), {{"--decimal", ""}})},
      {"decimal beyond one UTF-16 unit", With(DefaultCoil(), {{"--decimal", "\U0001F600"}})},
      {"empty thousand", With(DefaultCoil(), {{"--thousand", ""}})},
      // A separator that is part of the grammar or breaks the output's lines.
      {"decimal e", With(DefaultCoil(), {{"--decimal", "e"}})},
      {"decimal E", With(DefaultCoil(), {{"--decimal", "E"}})},
      {"decimal digit", With(DefaultCoil(), {{"--decimal", "5"}})},
      {"decimal plus", With(DefaultCoil(), {{"--decimal", "+"}})},
      {"thousand minus", With(DefaultCoil(), {{"--thousand", "-"}})},
      {"thousand digit", With(DefaultCoil(), {{"--thousand", "0"}})},
      {"decimal line feed", With(DefaultCoil(), {{"--decimal", "\n"}})},
      {"decimal tab", With(DefaultCoil(), {{"--decimal", "\t"}})},
      {"decimal C1 control", With(DefaultCoil(), {{"--decimal", "\u0085"}})},
      {"thousand double quote", With(DefaultCoil(), {{"--thousand", "\""}})},
      {"the same separator twice", With(DefaultCoil(), {{"--decimal", ";"}, {"--thousand", ";"}})},
      {"comma for both", With(DefaultCoil(), {{"--decimal", ","}, {"--thousand", ","}})},
      {"default decimal as thousand", With(DefaultCoil(), {{"--thousand", "."}})},
      {"csv with fields", {"--csv", "-", "--D", "80"}},
      {"csv without a file", {"--csv"}},
      {"A in length mode", Tube("6", {"--A", "101"})},
      {"n in length mode", Tube("6", {"--n", "20"})},
      {"L in height mode", With(DefaultCoil(), {{"--L", "6"}})},
      {"L in turns mode", With(turns, {{"--L", "6"}})},
      {"missing L", Without(Tube("6"), "--L")},
      {"L twice", Tube("6", {"--L", "7"})},
      {"density and material",
       Tube("6", {"--extras", "--density", "8.96", "--material", "copper"})},
      {"unknown material", Tube("6", {"--extras", "--material", "Copper"})},
      {"a material without extras", Tube("6", {"--material", "copper"})},
      {"a density without extras", Tube("6", {"--density", "8.96"})},
      {"csv with L", {"--csv", "-", "--L", "6"}},
      {"csv with a density", {"--csv", "-", "--extras", "--density", "8.96"}},
      {"csv with a material", {"--csv", "-", "--extras", "--material", "copper"}},
  };
  for (const auto& [what, args] : cases) {
    const ProcessResult r = Cli(args);
    EXPECT_EQ(r.exitCode, 2) << what;
    EXPECT_EQ(r.out, "") << what;
    EXPECT_NE(r.err.find("usage: ambrelix-cli"), std::string::npos) << what << "\n" << r.err;
    // The reason is one line: a control character is shown by its code.
    EXPECT_EQ(r.err.find('\n'), r.err.find("\nusage: ambrelix-cli")) << what << "\n" << r.err;
  }
}

TEST(CommandLine, RealThousandSeparatorsAreAccepted) {
  for (const char* thousand : {"'", " ", "\u00A0", "\u202F", "_"}) {
    const ProcessResult r = Cli(With(DefaultCoil(), {{"--thousand", thousand}}));
    EXPECT_EQ(r.exitCode, 0) << thousand << "\n" << r.err;
    EXPECT_NE(r.out.find("lbTotalLength\t5.853M\n"), std::string::npos) << thousand;
  }
  // A decimal comma alone takes the point as its thousand separator.
  EXPECT_EQ(Cli(With(DefaultCoil(),
                     {{"--decimal", ","}, {"--P", "4,2"}, {"--OD", "3,2"}, {"--ID", "1,2"}}))
                .exitCode,
            0);
}

TEST(CommandLine, HelpPrintsTheUsage) {
  const ProcessResult r = Cli({"--mode", "height", "--help"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.out.find("usage: ambrelix-cli"), std::string::npos);
  EXPECT_NE(r.out.find("--csv"), std::string::npos);
  EXPECT_EQ(r.err, "");
}

// The project's version as CMake read it, against the companion's own text.
TEST(CommandLine, VersionPrintsTheProjectsVersion) {
  const ProcessResult r = Cli({"--mode", "height", "--version"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "ambrelix-cli " AMBRELIX_PROJECT_RELEASE "\n");
  EXPECT_EQ(r.err, "");
}

// ---- what-if tables ----

constexpr char kResultHeader[] =
    "gap_mm,helix_height_mm,coil_od_mm,coil_id_mm,overall_height_mm,turns,length_m,volume_ml,"
    "gap_warning,error";

std::string Header(const std::string& columns) { return columns + "," + kResultHeader + "\n"; }

TEST(CsvTable, EachRowIsCalculatedOnItsOwn) {
  const std::string input =
      "mode,D,P,A,n,OD,ID,t1,t2,tail1,tail2\n"
      "height,80,4.2,101,,3.2,1.2,0,0,0,0\n"
      "turns,80,4.2,,20,3.2,1.2,0,0,0,0\n"
      "height,80,0,101,,3.2,1.2,0,0,0,0\n"
      "none,,,,,,,,,0,0\n"
      "height,80,4.2,101,,3.2,,0,0,0,0\n"
      "height,80,4.2,101,,3.2,1.2,100,120,1,1\n"
      "height,80,3.2,101,,3.2,1.2,0,0,0,0\n";
  const ProcessResult r = Table(input);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            Header("mode,D,P,A,n,OD,ID,t1,t2,tail1,tail2") +
                "height,80,4.2,101,,3.2,1.2,0,0,0,0,1.00,97.80,83.20,76.80,101.00,23.29,5.853,6.62,"
                "false,\n"
                "turns,80,4.2,,20,3.2,1.2,0,0,0,0,1.00,84.00,83.20,76.80,87.20,20.00,5.027,5.69,"
                "false,\n"
                "height,80,0,101,,3.2,1.2,0,0,0,0,,,,,,,,,,Floating point division by zero.\n"
                "none,,,,,,,,,0,0,,,,,,,,,,\n"
                "height,80,4.2,101,,3.2,,0,0,0,0,,,,,,,,,,'' is not a valid floating point "
                "value.\n"
                "height,80,4.2,101,,3.2,1.2,100,120,1,1,1.00,97.80,83.20,76.80,101.00,23.29,6.073,"
                "6.87,false,\n"
                "height,80,3.2,101,,3.2,1.2,0,0,0,0,0.00,97.80,83.20,76.80,101.00,30.56,7.682,8.69,"
                "true,\n");
}

TEST(CsvTable, MissingColumnsTakeTheirDefaults) {
  struct Case {
    const char* header;
    const char* row;
    const char* results;
  };
  const Case cases[] = {
      // No t1, t2 or tails: the tails are off and their lengths are 0.
      {"ID,OD,A,P,D,mode", "1.2,3.2,101,4.2,80,height",
       "1.00,97.80,83.20,76.80,101.00,23.29,5.853,6.62,false,"},
      // A counted tail without its length adds 0.
      {"mode,D,P,A,OD,ID,tail1,t2,tail2", "height,80,4.2,101,3.2,1.2,1,120,1",
       "1.00,97.80,83.20,76.80,101.00,23.29,5.973,6.76,false,"},
      // Empty tail cells are off, as missing ones are.
      {"mode,D,P,A,OD,ID,t1,tail1,tail2", "height,80,4.2,101,3.2,1.2,100,,",
       "1.00,97.80,83.20,76.80,101.00,23.29,5.853,6.62,false,"},
      // Any other missing field reads as the empty text.
      {"mode,D,P,A,OD", "height,80,4.2,101,3.2",
       ",,,,,,,,,'' is not a valid floating point value."},
      {"mode,D,P,n,OD,ID", "height,80,4.2,20,3.2,1.2",
       ",,,,,,,,,'' is not a valid floating point value."},
  };
  for (const Case& c : cases) {
    const ProcessResult r = Table(std::string(c.header) + "\n" + c.row + "\n");
    EXPECT_EQ(r.exitCode, 0) << c.header << "\n" << r.err;
    EXPECT_EQ(r.out, Header(c.header) + c.row + "," + c.results + "\n") << c.header;
  }
}

TEST(CsvTable, QuotedFieldsComeBackAsTheyWere) {
  // Commas, doubled quotes, spaces and line breaks inside quotes are data;
  // a field that needs quotes is written with them.
  const std::string input =
      "mode,D,P\n"
      "none,\"a,b\",\"say \"\"4.2\"\"\"\n"
      "\"none\",\"  80  \",\"two\nlines\"\n"
      "none,\"\",plain\n";
  const ProcessResult r = Table(input);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Header("mode,D,P") +
                       "none,\"a,b\",\"say \"\"4.2\"\"\",,,,,,,,,,\n"
                       "none,\"  80  \",\"two\nlines\",,,,,,,,,,\n"
                       "none,,plain,,,,,,,,,,\n");

  // A message that quotes a field holding a comma is quoted as a whole.
  const ProcessResult failed = Table("mode,D,P,A,OD,ID\nheight,\"8,0\",4.2,101,3.2,1.2\n");
  EXPECT_EQ(failed.out, Header("mode,D,P,A,OD,ID") +
                            "height,\"8,0\",4.2,101,3.2,1.2,,,,,,,,,,"
                            "\"'8,0' is not a valid floating point value.\"\n");
}

TEST(CsvTable, AByteOrderMarkMayPrecedeAQuotedHeader) {
  const std::string table = "\"mode\",\"D\",P,A,OD,ID\nheight,80,4.2,101,3.2,1.2\n";
  const ProcessResult plain = Table(table);
  const ProcessResult marked = Table("\xEF\xBB\xBF" + table);
  EXPECT_EQ(marked.exitCode, 0) << marked.err;
  EXPECT_EQ(marked.out, plain.out);
  EXPECT_NE(marked.out.find(",23.29,5.853,6.62,false,\n"), std::string::npos) << marked.out;
}

// A field is echoed byte for byte, whatever it holds; the message about it
// quotes the same bytes, up to the thousandth character of a long one.
TEST(CsvTable, LongAndBrokenFieldsAreEchoedAsTheyWereAndQuotedShort) {
  const std::string broken =
      "8\xFF"
      "0";
  const std::string sevens(1200, '7'), spaces(100000, ' '), shown(1000, '7');
  const std::string longText = sevens + "x";
  const std::string padded = "80" + spaces;
  const std::string input =
      "mode,D,P,A,OD,ID\n"
      "height," +
      broken +
      ",4.2,101,3.2,1.2\n"
      "height,80,4.2," +
      longText +
      ",3.2,1.2\n"
      "height,\"" +
      padded + "\",4.2,101,3.2,1.2\n";
  const ProcessResult r = Table(input);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Header("mode,D,P,A,OD,ID") + "height," + broken + ",4.2,101,3.2,1.2,,,,,,,,,,'" +
                       broken +
                       "' is not a valid floating point value.\n"
                       "height,80,4.2," +
                       longText + ",3.2,1.2,,,,,,,,,,'" + shown +
                       "\u2026' is not a valid floating point value.\n"
                       "height,\"" +
                       padded +
                       "\",4.2,101,3.2,1.2,1.00,97.80,83.20,76.80,101.00,"
                       "23.29,5.853,6.62,false,\n");
}

TEST(CsvTable, CommaDecimalResultsAreQuoted) {
  const ProcessResult r =
      Table("mode,D,P,A,OD,ID\nheight,80,\"4,2\",101,\"3,2\",\"1,2\"\n", {"--decimal", ","});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Header("mode,D,P,A,OD,ID") +
                       "height,80,\"4,2\",101,\"3,2\",\"1,2\",\"1,00\",\"97,80\",\"83,20\","
                       "\"76,80\",\"101,00\",\"23,29\",\"5,853\",\"6,62\",false,\n");
}

TEST(CsvTable, CrlfLinesReadLikeLfLines) {
  const std::string lf =
      "mode,D,P,A,n,OD,ID\nheight,80,4.2,101,,3.2,1.2\n\"turns\",80,4.2,,\"20\",3.2,1.2\n";
  std::string crlf;
  for (const char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const ProcessResult expected = Table(lf);
  const ProcessResult r = Table(crlf);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, expected.out);
  EXPECT_NE(r.out.find("turns,80,4.2,,20,3.2,1.2,1.00,84.00"), std::string::npos) << r.out;
  // A CR without its LF is data; a line break inside quotes is kept as it
  // is; the last line may lack its line end.
  const ProcessResult kept = Table("mode,D\r\nnone,a\rb\r\nnone,\"a\r\nb\"");
  EXPECT_EQ(kept.out,
            Header("mode,D") + "none,\"a\rb\",,,,,,,,,,\n" + "none,\"a\r\nb\",,,,,,,,,,\n");
}

TEST(CsvTable, MalformedFileStopsAtTheLineItNames) {
  struct Case {
    const char* input;
    const char* where;  // on standard error
    std::size_t lines;  // written before the stop: the header and the good rows
  };
  const Case cases[] = {
      {"", "line 1 ", 0},
      {"\n\r\n", "line 3 ", 0},
      {"mode,D,Q\n", "line 1 ", 0},
      {"mode,D,mode\n", "line 1 ", 0},
      {"mode,D\nnone,1\nnone,1,2\nnone,1\n", "line 3 ", 2},
      {"mode,D\nnone,1\nnone\n", "line 3 ", 2},
      {"mode,D\nnone,1\nnone,\"x\nnone,1\n", "line 3 ", 2},
      {"mode,D\nnone,\"two\nlines\"\nnone,\"x\"y\n", "line 4 ", 3},  // a kept row of two lines
      {"mode,D\nnone,1\nnone,x\"y\n", "line 3 ", 2},
      {"mode,D\nnone,1\nheight ,1\n", "line 3 ", 2},
      {"D\n80\n", "line 1 ", 0},  // no mode column
      {"D,P,tail1\n", "line 1 ", 0},
      {"mode,tail2\nnone,1\nnone,true\n", "line 3 ", 2},
      {"mode,L,material\nnone,,copper\nnone,,gold\n", "line 3 ", 2},
      {"mode,L,material\nnone,,copper\nnone,,Copper\n", "line 3 ", 2},
      {"mode,density,material\nnone,,copper\nnone,8.96,copper\n", "line 3 ", 2},
      {"mode,D\nnone,1\nlength ,1\n", "line 3 ", 2},
      {"mode,L,l\nnone,,\n", "line 1 ", 0},
  };
  for (const Case& c : cases) {
    const ProcessResult r = Table(c.input);
    EXPECT_EQ(r.exitCode, 2) << c.input;
    EXPECT_NE(r.err.find(c.where), std::string::npos) << c.input << "\n" << r.err;
    EXPECT_EQ(static_cast<std::size_t>(std::count(r.out.begin(), r.out.end(), '\n')), c.lines)
        << c.input << "\n"
        << r.out;
  }
}

TEST(CsvTable, ReadsANamedFile) {
  const std::string path = ::testing::TempDir() + "ambrelix-companion-table.csv";
  {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("mode,D,P,A,OD,ID\nheight,80,4.2,101,3.2,1.2\n", f);
    std::fclose(f);
  }
  const ProcessResult r = Cli({"--csv", path});
  std::remove(path.c_str());
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, Header("mode,D,P,A,OD,ID") +
                       "height,80,4.2,101,3.2,1.2,1.00,97.80,83.20,76.80,101.00,23.29,5.853,6.62,"
                       "false,\n");

  // A file that cannot be read is a reading failure, as --help says.
  const ProcessResult missing = Cli({"--csv", path + ".absent"});
  EXPECT_EQ(missing.exitCode, 3);
  EXPECT_EQ(missing.out, "");
}

// ---- the two modes agree ----

using test_support::Printed;

TEST(CsvTable, RowsAgreeWithSingleRuns) {
  std::mt19937 random(20240611);
  auto decimal = [&](int lo, int hi) {
    const int hundredths = std::uniform_int_distribution<int>(lo * 100, hi * 100)(random);
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
    return std::string(text);
  };
  std::string table = "mode,D,P,A,n,OD,ID,t1,t2,tail1,tail2\n";
  std::vector<Args> runs;
  for (int i = 0; i < 24; ++i) {
    const bool height = i % 2 == 0;
    const std::string D = decimal(5, 900), P = decimal(1, 30), A = decimal(10, 3000),
                      n = decimal(1, 200), OD = decimal(1, 12), ID = decimal(0, 1),
                      t1 = decimal(0, 500), t2 = decimal(0, 500);
    const bool tail1 = random() % 2, tail2 = random() % 2;
    table += std::string(height ? "height" : "turns") + "," + D + "," + P + "," +
             (height ? A : "") + "," + (height ? "" : n) + "," + OD + "," + ID + "," + t1 + "," +
             t2 + "," + (tail1 ? "1" : "0") + "," + (tail2 ? "1" : "0") + "\n";
    Args args = {"--mode",
                 height ? "height" : "turns",
                 "--D",
                 D,
                 "--P",
                 P,
                 height ? "--A" : "--n",
                 height ? A : n,
                 "--OD",
                 OD,
                 "--ID",
                 ID,
                 "--t1",
                 t1,
                 "--t2",
                 t2};
    if (tail1) args.push_back("--tail1");
    if (tail2) args.push_back("--tail2");
    runs.push_back(args);
  }
  const ProcessResult batch = Table(table);
  ASSERT_EQ(batch.exitCode, 0) << batch.err;

  const auto rows = test_support::TableRows(batch.out);
  ASSERT_EQ(rows.size(), runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const Args& args = runs[i];
    const std::vector<std::string>& fields = rows[i];
    ASSERT_EQ(fields.size(), 21u);

    const ProcessResult single = Cli(args);
    ASSERT_EQ(single.exitCode, 0) << single.err;
    const bool height = args[1] == "height";
    const std::string& given = args[7];
    EXPECT_EQ(fields[11], Printed(single.out, "lbG"));
    EXPECT_EQ(fields[12], Printed(single.out, "lbH"));
    EXPECT_EQ(fields[15], Printed(single.out, "lbA2"));
    EXPECT_EQ(fields[16], height ? Printed(single.out, "edN") : given) << given;
    EXPECT_EQ(fields[17] + "M", Printed(single.out, "lbTotalLength"));
    EXPECT_EQ(fields[18] + "ml", Printed(single.out, "lbTotalVolume"));
    EXPECT_EQ(fields[19], Printed(single.out, "gapWarning"));
  }
}

}  // namespace
}  // namespace ambrelix
