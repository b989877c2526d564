// The companion's questions beyond the calculator's, asked of the real
// executable: how many turns a length of tube gives, and the tube's
// surfaces, metal and mass, in single runs and what-if tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "app/cli/batch.h"
#include "app/cli/byte_streams.h"
#include "calc/number_text.h"
#include "calc/tube_extras.h"
#include "calc/unicode.h"
#include "tests/companion/child_process.h"
#include "tests/companion/companion_support.h"

namespace ambrelix {
namespace {

using test_support::ProcessResult;
using Args = std::vector<std::string>;

ProcessResult Cli(const Args& args, const std::string& input = {}) {
  return test_support::RunProcess(AMBRELIX_CLI_PATH, args, input);
}

using test_support::Printed;
using test_support::Tube;

// ---- one calculation ----

TEST(LengthMode, SixMetresOfCopperTubeOnTheFirstRunCoil) {
  const ProcessResult r = Cli(Tube("6", {"--extras", "--material", "copper"}));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out,
            "edA\t103.45\nlbG\t1.00\nlbH\t100.25\nlbO\t83.20\nlbI\t76.80\nlbA2\t103.45\n"
            "lbG2\t1.00\nlbP2\t4.20\nlbID2\t1.20\nlbOD2\t3.20\nlbh2\t100.25\nlbI2\t76.80\n"
            "lbD2\t80.00\nlbO2\t83.20\nedN\t23.87\nedP\t4.20\nlbTotalLength\t6.000M\n"
            "lbTotalVolume\t6.79ml\ngapWarning\tfalse\noutsideArea\t0.0603\ninsideArea\t0.0226\n"
            "metalVolume\t41.47\nmass\t0.372\n");
}

TEST(LengthMode, TailsDensitiesSeparatorsAndTheGapWarning) {
  struct Case {
    const char* what;
    Args args;
    std::vector<std::pair<std::string, std::string>> printed;  // "(none)": not printed
  };
  const Case cases[] = {
      {"both tails cut from the tube",
       Tube("6", {"--t1", "100", "--t2", "120", "--tail1", "--tail2"}),
       {{"edN", "22.99"},
        {"edA", "99.78"},
        {"lbTotalLength", "6.000M"},
        {"outsideArea", "(none)"}}},
      {"a tail given but not counted",
       Tube("6", {"--t1", "100"}),
       {{"edN", "23.87"}, {"lbTotalVolume", "6.79ml"}}},
      {"all of the tube in its tail",
       Tube("0.1", {"--t1", "100", "--tail1"}),
       {{"edN", "0.00"}, {"edA", "3.20"}, {"lbH", "0.00"}, {"lbTotalLength", "0.100M"}}},
      {"a density as text", Tube("6", {"--extras", "--density", "8.96"}), {{"mass", "0.372"}}},
      {"extras without a density",
       Tube("6", {"--extras"}),
       {{"metalVolume", "41.47"}, {"mass", "(none)"}}},
      {"pitch equal to OD",
       {"--mode", "length", "--L", "6", "--D", "80", "--P", "3.2", "--OD", "3.2", "--ID", "1.2"},
       {{"lbG", "0.00"}, {"edN", "23.87"}, {"gapWarning", "true"}}},
      {"comma decimal",
       {"--mode", "length", "--L", "6,5", "--D", "80", "--P", "4,2", "--OD", "3,2", "--ID", "1,2",
        "--decimal", ",", "--thousand", ".", "--extras", "--density", "8,5"},
       {{"edN", "25,86"},
        {"lbTotalLength", "6,500M"},
        {"outsideArea", "0,0653"},
        {"metalVolume", "44,92"},
        {"mass", "0,382"}}},
      {"extras in height mode",
       {"--mode", "height", "--D", "80", "--P", "4.2", "--A", "101", "--OD", "3.2", "--ID", "1.2",
        "--extras", "--material", "stainless steel"},
       {{"edN", "23.29"},
        {"lbTotalLength", "5.853M"},
        {"outsideArea", "0.0588"},
        {"metalVolume", "40.45"},
        {"mass", "0.321"}}},
      {"extras in turns mode with tails",
       {"--mode", "turns", "--D",     "80",      "--P",      "4.2",        "--n",
        "20",     "--OD",  "3.2",     "--ID",    "1.2",      "--t1",       "100",
        "--t2",   "120",   "--tail1", "--tail2", "--extras", "--material", "titanium"},
       {{"edN", "(none)"},
        {"lbTotalLength", "5.247M"},
        {"insideArea", "0.0198"},
        {"metalVolume", "36.27"},
        {"mass", "0.164"}}},
  };
  for (const Case& c : cases) {
    const ProcessResult r = Cli(c.args);
    EXPECT_EQ(r.exitCode, 0) << c.what << "\n" << r.err;
    for (const auto& [name, value] : c.printed)
      EXPECT_EQ(Printed(r.out, name), value) << c.what << ": " << name << "\n" << r.out;
  }
}

TEST(LengthMode, EveryMaterialWeighsAsItsDensityDoes) {
  for (const Material& m : kMaterials) {
    const ProcessResult named = Cli(Tube("6", {"--extras", "--material", std::string(m.name)}));
    const std::string density = Utf16ToUtf8(NumberToFixedText(m.density, 2, NumberSeparators{}));
    const ProcessResult given = Cli(Tube("6", {"--extras", "--density", density}));
    EXPECT_EQ(named.exitCode, 0) << m.name << "\n" << named.err;
    EXPECT_EQ(named.out, given.out) << m.name;
    EXPECT_NE(Printed(named.out, "mass"), "(none)") << m.name;
  }
}

TEST(LengthMode, AnUnknownMaterialIsAnsweredWithTheKnownOnes) {
  const ProcessResult r = Cli(Tube("6", {"--extras", "--material", "gold"}));
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("copper, brass, aluminium, carbon steel, stainless steel, titanium"),
            std::string::npos)
      << r.err;
}

// Turns mode's total length, as printed, fed back into length mode.
TEST(LengthMode, TheLengthOfGivenTurnsGivesThemBack) {
  for (const Args& tails : {Args{}, Args{"--t1", "100", "--t2", "120", "--tail1", "--tail2"},
                            Args{"--t2", "250.5", "--tail2"}}) {
    for (const char* turns : {"20", "3.5", "157.25"}) {
      Args forward{"--mode", "turns", "--D",  "80",  "--P",  "4.2",
                   "--n",    turns,   "--OD", "3.2", "--ID", "1.2"};
      forward.insert(forward.end(), tails.begin(), tails.end());
      const ProcessResult there = Cli(forward);
      ASSERT_EQ(there.exitCode, 0) << there.err;
      std::string metres = Printed(there.out, "lbTotalLength");
      ASSERT_TRUE(metres.ends_with("M")) << there.out;
      metres.pop_back();

      const ProcessResult back = Cli(Tube(metres, tails));
      ASSERT_EQ(back.exitCode, 0) << back.err;
      EXPECT_EQ(Printed(back.out, "edN"),
                Utf16ToUtf8(NumberToFixedText(TextToNumber(Utf8ToUtf16(turns), NumberSeparators{}),
                                              2, NumberSeparators{})))
          << turns << " turns, " << metres << " m";
      EXPECT_EQ(Printed(back.out, "edA"), Printed(there.out, "edA")) << turns << " turns";
    }
  }
}

// The help's worked examples print what the help says they print.
TEST(LengthMode, HelpDescribesItWithWorkedExamples) {
  const ProcessResult help = Cli({"--help"});
  ASSERT_EQ(help.exitCode, 0);
  for (const char* text :
       {"--mode height|turns|length|none", "--L T", "--extras", "--density T", "--material NAME",
        "ambrelix-cli --mode length --L 6 --D 80 --P 4.2 --OD 3.2 --ID 1.2",
        "outside_area_m2,\ninside_area_m2,metal_volume_cm3,mass_kg", "\"The tails are longer"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  for (const Material& m : kMaterials) {
    const std::string entry =
        std::string(m.name) + (m.name.find(' ') != std::string::npos ? "\" (" : " (") +
        Utf16ToUtf8(NumberToFixedText(m.density, 2, NumberSeparators{})) + ")";
    EXPECT_NE(help.out.find(entry), std::string::npos) << entry;
  }

  const ProcessResult example = Cli(Tube("6", {"--extras", "--material", "copper"}));
  for (const char* name :
       {"edA", "lbH", "edN", "lbTotalLength", "outsideArea", "insideArea", "metalVolume", "mass"}) {
    const std::string claim = std::string(name) + " " + Printed(example.out, name);
    EXPECT_NE(help.out.find(claim), std::string::npos) << claim << "\n" << help.out;
  }
}

// ---- what-if tables ----

constexpr char kResultHeader[] =
    "gap_mm,helix_height_mm,coil_od_mm,coil_id_mm,overall_height_mm,turns,length_m,volume_ml,"
    "gap_warning,";
constexpr char kExtrasHeader[] = "outside_area_m2,inside_area_m2,metal_volume_cm3,mass_kg,";

ProcessResult Table(const std::string& csv, Args extra = {}) {
  Args args{"--csv", "-"};
  args.insert(args.end(), extra.begin(), extra.end());
  return Cli(args, csv);
}

TEST(LengthModeTable, RowsOfEveryModeWithAndWithoutExtras) {
  const std::string columns = "mode,D,P,A,n,L,OD,ID,t1,t2,tail1,tail2,density,material";
  const std::string input = columns + "\n" +
                            "length,80,4.2,,,6,3.2,1.2,0,0,0,0,,copper\n"
                            "length,80,4.2,,,6,3.2,1.2,100,120,1,1,8.5,\n"
                            "height,80,4.2,101,,,3.2,1.2,0,0,0,0,,\n"
                            "turns,80,4.2,,20,,3.2,1.2,0,0,0,0,7.85,\n"
                            "length,80,4.2,,,0.2,3.2,1.2,100,120,1,1,,\n"
                            "length,80,4.2,,,6,3.2,1.2,0,0,0,0,dense,\n"
                            "none,,,,,,,,,,0,0,,brass\n";
  const ProcessResult plain = Table(input);
  EXPECT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_EQ(plain.out, columns + "," + kResultHeader + "error\n" +
                           "length,80,4.2,,,6,3.2,1.2,0,0,0,0,,copper,"
                           "1.00,100.25,83.20,76.80,103.45,23.87,6.000,6.79,false,\n"
                           "length,80,4.2,,,6,3.2,1.2,100,120,1,1,8.5,,"
                           "1.00,96.58,83.20,76.80,99.78,22.99,6.000,6.79,false,\n"
                           "height,80,4.2,101,,,3.2,1.2,0,0,0,0,,,"
                           "1.00,97.80,83.20,76.80,101.00,23.29,5.853,6.62,false,\n"
                           "turns,80,4.2,,20,,3.2,1.2,0,0,0,0,7.85,,"
                           "1.00,84.00,83.20,76.80,87.20,20.00,5.027,5.69,false,\n"
                           "length,80,4.2,,,0.2,3.2,1.2,100,120,1,1,,,,,,,,,,,,"
                           "The tails are longer than the tube.\n"
                           // Without extras the density is not read.
                           "length,80,4.2,,,6,3.2,1.2,0,0,0,0,dense,,"
                           "1.00,100.25,83.20,76.80,103.45,23.87,6.000,6.79,false,\n"
                           "none,,,,,,,,,,0,0,,brass,,,,,,,,,,\n");

  const ProcessResult extras = Table(input, {"--extras"});
  EXPECT_EQ(extras.exitCode, 0) << extras.err;
  EXPECT_EQ(extras.out, columns + "," + kResultHeader + kExtrasHeader + "error\n" +
                            "length,80,4.2,,,6,3.2,1.2,0,0,0,0,,copper,"
                            "1.00,100.25,83.20,76.80,103.45,23.87,6.000,6.79,false,"
                            "0.0603,0.0226,41.47,0.372,\n"
                            "length,80,4.2,,,6,3.2,1.2,100,120,1,1,8.5,,"
                            "1.00,96.58,83.20,76.80,99.78,22.99,6.000,6.79,false,"
                            "0.0603,0.0226,41.47,0.352,\n"
                            "height,80,4.2,101,,,3.2,1.2,0,0,0,0,,,"
                            "1.00,97.80,83.20,76.80,101.00,23.29,5.853,6.62,false,"
                            "0.0588,0.0221,40.45,,\n"
                            "turns,80,4.2,,20,,3.2,1.2,0,0,0,0,7.85,,"
                            "1.00,84.00,83.20,76.80,87.20,20.00,5.027,5.69,false,"
                            "0.0505,0.0190,34.75,0.273,\n"
                            "length,80,4.2,,,0.2,3.2,1.2,100,120,1,1,,,,,,,,,,,,,,,,"
                            "The tails are longer than the tube.\n"
                            "length,80,4.2,,,6,3.2,1.2,0,0,0,0,dense,,,,,,,,,,,,,,,"
                            "'dense' is not a valid floating point value.\n"
                            "none,,,,,,,,,,0,0,,brass,,,,,,,,,,,,,,\n");
}

// A single run's options as a table row: each column holds its option's
// value, a tail column 1 or 0, an option not given an empty field.
std::string RowOf(const Args& args, const std::vector<std::string>& columns) {
  std::string row;
  for (const std::string& column : columns) {
    if (!row.empty()) row += ',';
    const auto at = std::find(args.begin(), args.end(), "--" + column);
    if (column.starts_with("tail"))
      row += at == args.end() ? "0" : "1";
    else if (at != args.end())
      row += *(at + 1);
  }
  return row + "\n";
}

// The rows of a table and the single runs with the same texts agree, the
// failures included.
TEST(LengthModeTable, RowsAgreeWithSingleRuns) {
  std::mt19937 random(20261211);
  auto decimal = [&](int lo, int hi) {
    const int hundredths = std::uniform_int_distribution<int>(lo * 100, hi * 100)(random);
    return std::to_string(hundredths / 100) + "." +
           std::to_string(100 + hundredths % 100).substr(1);
  };
  const std::vector<std::string> columns = {"mode",  "D",     "P",       "L",       "A",
                                            "n",     "OD",    "ID",      "t1",      "t2",
                                            "tail1", "tail2", "density", "material"};
  std::string table;
  for (const std::string& column : columns) table += (table.empty() ? "" : ",") + column;
  table += "\n";
  std::vector<Args> runs;
  for (int i = 0; i < 18; ++i) {
    static constexpr const char* kModes[][2] = {
        {"height", "--A"}, {"turns", "--n"}, {"length", "--L"}};
    const auto& [mode, given] = kModes[i % 3];
    Args args = {
        "--mode",  mode,
        "--D",     decimal(5, 900),
        "--P",     decimal(1, 30),
        given,     i % 3 == 0 ? decimal(10, 3000) : i % 3 == 1 ? decimal(1, 200) : decimal(1, 40),
        "--OD",    decimal(1, 12),
        "--ID",    decimal(0, 1),
        "--t1",    decimal(0, 400),
        "--t2",    decimal(0, 400),
        "--extras"};
    if (random() % 2) args.push_back("--tail1");
    if (random() % 2) args.push_back("--tail2");
    if (i % 2)
      args.insert(args.end(), {"--density", decimal(1, 20)});
    else
      args.insert(args.end(), {"--material", std::string(kMaterials[random() % 6].name)});
    table += RowOf(args, columns);
    runs.push_back(args);
  }
  const ProcessResult batch = Table(table, {"--extras"});
  ASSERT_EQ(batch.exitCode, 0) << batch.err;

  // Each result column beside the name the single run prints it under.
  const std::pair<std::size_t, const char*> results[] = {
      {14, "lbG"},         {15, "lbH"},           {16, "lbO"},           {17, "lbI"},
      {18, "lbA2"},        {20, "lbTotalLength"}, {21, "lbTotalVolume"}, {22, "gapWarning"},
      {23, "outsideArea"}, {24, "insideArea"},    {25, "metalVolume"},   {26, "mass"}};
  const auto rows = test_support::TableRows(batch.out);
  ASSERT_EQ(rows.size(), runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::vector<std::string>& fields = rows[i];
    ASSERT_EQ(fields.size(), columns.size() + 14);
    const ProcessResult single = Cli(runs[i]);
    const std::string where = "row " + std::to_string(i + 1) + "\n" + single.out + single.err;
    if (single.exitCode != 0) {
      EXPECT_EQ(fields.back() + "\n", single.err) << where;
      continue;
    }
    for (const auto& [column, name] : results) {
      std::string field = fields[column];
      if (column == 20) field += "M";
      if (column == 21) field += "ml";
      EXPECT_EQ(field, Printed(single.out, name)) << name << ", " << where;
    }
    if (runs[i][1] != std::string("turns")) {
      EXPECT_EQ(fields[19], Printed(single.out, "edN")) << where;
    }
    EXPECT_EQ(fields.back(), "") << where;
  }
}

// In-process: however the input arrives and however many threads compute,
// the table with extras is the same.
TEST(LengthModeTable, PiecesAndThreadsDoNotChangeTheExtras) {
  std::string csv = "mode,D,P,A,n,L,OD,ID,t1,tail1,material,density\n";
  for (int i = 0; i < 4000; ++i) {
    const std::string d = std::to_string(20 + i % 300);
    const std::string material(kMaterials[i % kMaterials.size()].name);
    switch (i % 4) {
      case 0:
        csv += "length," + d + ",4.2,,," + std::to_string(1 + i % 40) + ".5,3.2,1.2,100,1," +
               material + ",\n";
        break;
      case 1:
        csv += "turns," + d + ",4.2,,12.5,,3.2,1.2,0,0,,7.9\n";
        break;
      case 2:
        csv += "length," + d + ",4.2,,,0.05,3.2,1.2,100,1,,\n";  // tails longer than the tube
        break;
      default:
        csv += "height," + d + ",5,90,,,3.2,1.2,7,1,,x\n";  // a density that does not read
        break;
    }
  }
  auto table = [&](std::size_t chunk, unsigned workers) {
    cli::MemorySource input(csv, chunk);
    cli::StringSink output;
    cli::BatchOptions options;
    options.workers = workers;
    options.extras = true;
    EXPECT_FALSE(cli::RunBatch(input, output, options));
    return output.text;
  };
  const std::string expected = table(csv.size(), 0);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 4001);
  for (const std::size_t chunk : {std::size_t{7}, std::size_t{4093}})
    for (const unsigned workers : {1u, 3u})
      EXPECT_TRUE(table(chunk, workers) == expected)
          << chunk << " bytes, " << workers << " workers";
}

}  // namespace
}  // namespace ambrelix
