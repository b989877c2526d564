// The companion's command line: one calculation from option values, or a
// what-if table from a CSV file.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "calc/coil.h"
#include "calc/number_text.h"

namespace ambrelix::cli {

// The command line does not say what to do; the text says why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Field texts as given (UTF-8), t1 and t2 "0" when not given.
struct SingleRun {
  std::optional<SolveMode> mode;  // none: the run reads and writes nothing
  std::string D, P, A, n, OD, ID, t1 = "0", t2 = "0";
  bool tail1 = false;
  bool tail2 = false;
};

struct Invocation {
  enum class Kind { kHelp, kVersion, kSingleRun, kTable };
  Kind kind = Kind::kHelp;
  SingleRun run;
  std::string tablePath;  // "-" for standard input
  NumberSeparators separators;
};

// The arguments after the program name, UTF-8. Throws UsageError.
Invocation ParseArguments(const std::vector<std::string>& args);

// The synopsis shown under a usage error, the full help, and the answer to
// --version.
extern const char kUsageSynopsis[];
extern const char kHelpText[];
extern const char kVersionText[];

}  // namespace ambrelix::cli
