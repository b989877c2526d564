#include "app/cli/arguments.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "calc/tube_extras.h"
#include "calc/unicode.h"
#include "resources/version.h"

namespace ambrelix::cli {

const char kUsageSynopsis[] =
    "usage: ambrelix-cli --mode height|turns|length|none --D T --P T (--A T | --n T | --L T)\n"
    "                    --OD T --ID T [--t1 T] [--t2 T] [--tail1] [--tail2]\n"
    "                    [--extras [--density T | --material NAME]] [--decimal C] [--thousand C]\n"
    "       ambrelix-cli --csv FILE|- [--extras] [--decimal C] [--thousand C]\n"
    "       ambrelix-cli --help | --version\n";

const char kHelpText[] =
    "Ambrelix console companion: the geometry of a tube wound into a cylindrical helix.\n"
    "\n"
    "usage: ambrelix-cli --mode height|turns|length|none --D T --P T (--A T | --n T | --L T)\n"
    "                    --OD T --ID T [--t1 T] [--t2 T] [--tail1] [--tail2]\n"
    "                    [--extras [--density T | --material NAME]] [--decimal C] [--thousand C]\n"
    "       ambrelix-cli --csv FILE|- [--extras] [--decimal C] [--thousand C]\n"
    "\n"
    "One calculation, as the calculator's Calculate button does it. Lengths in mm:\n"
    "  --mode       height: the overall height A is given; turns: the number of turns n is\n"
    "               given; length: the length of tube L is given and the turns follow;\n"
    "               none: nothing is read or written\n"
    "  --D --P      helix diameter and pitch\n"
    "  --A | --n | --L  overall height (height mode), number of turns (turns mode) or the\n"
    "               length of tube in metres (length mode)\n"
    "  --OD --ID    tube outside and inside diameters\n"
    "  --t1 --t2    tail lengths (default 0); read even when their tail is not counted\n"
    "  --tail1 --tail2  count the tail in the length and volume; in length mode the\n"
    "               counted tails are cut from the tube first, and tails longer than the\n"
    "               tube fail with \"The tails are longer than the tube.\"\n"
    "  --decimal C  decimal separator, one character (default .)\n"
    "  --thousand C thousand separator, one character (default , or, when the decimal\n"
    "               separator is a comma, .); the two differ, and neither is a digit,\n"
    "               +, -, e, E, a control character or \"\n"
    "Each T is read exactly as given. Prints one line per result written, in the\n"
    "calculator's order: the control's name, a tab, the text; then gapWarning, a tab,\n"
    "true or false. Length mode prints what turns mode prints, with the turns as edN\n"
    "where height mode has them.\n"
    "\n"
    "  --extras     then prints outsideArea and insideArea (the tube's surfaces, m2, 4\n"
    "               decimals), metalVolume (its wall, cm3, 2 decimals) and, given a\n"
    "               density, mass (kg, 3 decimals), all over the whole length\n"
    "  --density T  the metal's density in g/cm3, read like the fields\n"
    "  --material NAME  the density of copper (8.96), brass (8.50), aluminium (2.70),\n"
    "               \"carbon steel\" (7.85), \"stainless steel\" (7.93) or titanium (4.51)\n"
    "\n"
    "What 6 m of tube gives on the calculator's first-run coil:\n"
    "  ambrelix-cli --mode length --L 6 --D 80 --P 4.2 --OD 3.2 --ID 1.2\n"
    "prints, among the rest, edA 103.45 (the overall height, mm), lbH 100.25 (the\n"
    "helix height), edN 23.87 (the turns) and lbTotalLength 6.000M. Its mass in copper:\n"
    "  ambrelix-cli --mode length --L 6 --D 80 --P 4.2 --OD 3.2 --ID 1.2 --extras \\\n"
    "               --material copper\n"
    "adds outsideArea 0.0603, insideArea 0.0226, metalVolume 41.47 and mass 0.372.\n"
    "\n"
    "--csv FILE (or - for standard input): one calculation per row. The header names\n"
    "the columns, in any order, from mode,D,P,A,n,L,OD,ID,t1,t2,tail1,tail2,density,\n"
    "material; mode must be there, and is height, turns, length or none; tail1 and\n"
    "tail2 are 1, 0 or empty (0); material is empty or one of the names above. A\n"
    "missing column reads as an empty text (t1 and t2 as 0, the tails as 0). Each row\n"
    "is written back with\n"
    "gap_mm,helix_height_mm,coil_od_mm,coil_id_mm,overall_height_mm,turns,length_m,\n"
    "volume_ml,gap_warning,error appended; a row that does not calculate has its message\n"
    "in error and the table goes on. With --extras the columns outside_area_m2,\n"
    "inside_area_m2,metal_volume_cm3,mass_kg come before error; a row's density or\n"
    "material (not both) gives its mass.\n"
    "\n"
    "Exit status: 0 done; 1 the calculation failed (the message is on standard error);\n"
    "2 the command line or the CSV file is malformed; 3 reading, writing or memory failed.\n";

const char kVersionText[] = "ambrelix-cli " AMBRELIX_RELEASE_TEXT "\n";

namespace {

enum Option : std::size_t {
  kMode,
  kD,
  kP,
  kA,
  kN,
  kOD,
  kID,
  kT1,
  kT2,
  kTail1,
  kTail2,
  kDecimal,
  kThousand,
  kCsv,
  kHelp,
  kL,
  kExtras,
  kDensity,
  kMaterial,
  kVersion,
  kOptionCount
};

struct KnownOption {
  std::string_view name;
  bool takesValue;
};

constexpr std::array<KnownOption, kOptionCount> kOptions = {{
    {"--mode", true},     {"--D", true},       {"--P", true},        {"--A", true},
    {"--n", true},        {"--OD", true},      {"--ID", true},       {"--t1", true},
    {"--t2", true},       {"--tail1", false},  {"--tail2", false},   {"--decimal", true},
    {"--thousand", true}, {"--csv", true},     {"--help", false},    {"--L", true},
    {"--extras", false},  {"--density", true}, {"--material", true}, {"--version", false},
}};

struct Given {
  bool present = false;
  std::string value;
};

std::string Name(Option o) { return std::string(kOptions[o].name); }

// A separator as a message shows it: a control character by its code, so
// that it cannot break the message's line.
std::string Shown(char16_t c) {
  if (c >= 0x20 && !(c >= 0x7F && c <= 0x9F)) return "'" + Utf16ToUtf8({&c, 1}) + "'";
  char code[8];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c));
  return code;
}

// One character of the user's choice, which must fit the separators' single
// UTF-16 unit and leave number texts unambiguous.
char16_t Separator(const std::string& text, Option o) {
  const std::u16string wide = Utf8ToUtf16(text);
  if (wide.size() != 1 || Utf16ToUtf8(wide) != text)
    throw UsageError(Name(o) + " takes exactly one character, not '" + text + "'");
  if (!IsUsableSeparator(wide[0]))
    throw UsageError(Name(o) + " cannot be " + Shown(wide[0]) +
                     ": a separator is not a digit, +, -, e, E, a control character or \"");
  return wide[0];
}

}  // namespace

Invocation ParseArguments(const std::vector<std::string>& args) {
  std::array<Given, kOptionCount> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    std::size_t o = 0;
    while (o < kOptionCount && kOptions[o].name != arg) ++o;
    if (o == kOptionCount) {
      if (arg.starts_with("-")) throw UsageError("unknown option '" + arg + "'");
      throw UsageError("unexpected argument '" + arg + "'");
    }
    if (o == kHelp) return Invocation{};
    if (o == kVersion) {
      Invocation version;
      version.kind = Invocation::Kind::kVersion;
      return version;
    }
    if (given[o].present) throw UsageError(arg + " is given twice");
    given[o].present = true;
    if (kOptions[o].takesValue) {
      if (i + 1 == args.size()) throw UsageError(arg + " needs a value");
      given[o].value = args[++i];
    }
  }

  Invocation invocation;
  NumberSeparators& separators = invocation.separators;
  if (given[kDecimal].present) separators.decimal = Separator(given[kDecimal].value, kDecimal);
  if (given[kThousand].present) {
    separators.thousand = Separator(given[kThousand].value, kThousand);
    if (separators.thousand == separators.decimal)
      throw UsageError("--decimal and --thousand must differ, not both " +
                       Shown(separators.decimal));
  } else if (separators.decimal == u',') {
    separators.thousand = u'.';  // the usual partner of a decimal comma
  }

  invocation.extras = given[kExtras].present;
  if (given[kDensity].present && given[kMaterial].present)
    throw UsageError("--density and --material exclude each other");

  if (given[kCsv].present) {
    for (std::size_t o = kMode; o <= kTail2; ++o)
      if (given[o].present)
        throw UsageError("--csv takes the fields from the file, not from " +
                         Name(static_cast<Option>(o)));
    for (const Option o : {kL, kDensity, kMaterial})
      if (given[o].present)
        throw UsageError("--csv takes the fields from the file, not from " + Name(o));
    invocation.kind = Invocation::Kind::kTable;
    invocation.tablePath = given[kCsv].value;
    return invocation;
  }

  if (!given[kMode].present) throw UsageError("--mode or --csv is required");
  SingleRun& run = invocation.run;
  const std::string& mode = given[kMode].value;
  if (mode == "height") {
    run.mode = SolveMode::HeightGiven;
  } else if (mode == "turns") {
    run.mode = SolveMode::TurnsGiven;
  } else if (mode == "length") {
    run.lengthGiven = true;
  } else if (mode != "none") {
    throw UsageError("--mode is height, turns, length or none, not '" + mode + "'");
  }

  if (given[kA].present && given[kN].present) throw UsageError("--A and --n exclude each other");
  if (run.mode == SolveMode::HeightGiven && given[kN].present)
    throw UsageError("--n is for turns mode; height mode takes --A");
  if (run.mode == SolveMode::TurnsGiven && given[kA].present)
    throw UsageError("--A is for height mode; turns mode takes --n");
  if (run.lengthGiven && (given[kA].present || given[kN].present))
    throw UsageError(Name(given[kA].present ? kA : kN) +
                     " is not for length mode, which takes --L");
  if (given[kL].present && !run.lengthGiven) throw UsageError("--L is for length mode");
  if (run.mode || run.lengthGiven) {
    const Option modeInput = run.lengthGiven ? kL : *run.mode == SolveMode::HeightGiven ? kA : kN;
    for (const Option o : {kD, kP, modeInput, kOD, kID})
      if (!given[o].present) throw UsageError(Name(o) + " is required");
  }
  if ((given[kDensity].present || given[kMaterial].present) && !invocation.extras)
    throw UsageError(Name(given[kDensity].present ? kDensity : kMaterial) +
                     " gives the mass, which --extras prints");
  if (given[kDensity].present) run.density = given[kDensity].value;
  if (given[kMaterial].present) {
    run.materialDensity = MaterialDensity(given[kMaterial].value);
    if (!run.materialDensity)
      throw UsageError("--material is one of " + MaterialNames() + ", not '" +
                       given[kMaterial].value + "'");
  }

  run.D = given[kD].value;
  run.P = given[kP].value;
  run.A = given[kA].value;
  run.n = given[kN].value;
  run.L = given[kL].value;
  run.OD = given[kOD].value;
  run.ID = given[kID].value;
  if (given[kT1].present) run.t1 = given[kT1].value;
  if (given[kT2].present) run.t2 = given[kT2].value;
  run.tail1 = given[kTail1].present;
  run.tail2 = given[kTail2].present;
  invocation.kind = Invocation::Kind::kSingleRun;
  return invocation;
}

}  // namespace ambrelix::cli
