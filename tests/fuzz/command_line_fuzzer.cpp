// Fuzzes the companion's command line through its entry point, as a script
// that builds arguments from untrusted text would drive it.
//
// Input: the arguments, separated by zero bytes. A "--csv" file name reads a
// small table from memory; standard input is empty. What is checked is that the exit status is one
// the help names, that a command line the parser refuses exits 2 and an
// accepted one does not (unless its table is malformed), and that every
// accepted command line has usable, different separators.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/cli/arguments.h"
#include "app/cli/companion.h"
#include "calc/number_text.h"

namespace {

constexpr char kTable[] =
    "mode,D,P,A,n,L,OD,ID,t1,t2,tail1,tail2,density,material\n"
    "height,80,4.2,101,,,3.2,1.2,100,120,1,0,,\n"
    "turns,80,4.2,,20,,3.2,1.2,,,,,,\n"
    "length,80,4.2,,,6,3.2,1.2,100,,1,,,copper\n"
    "length,80,4.2,,,0.2,3.2,1.2,300,,1,,8.96,\n";

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "violated: %s\n", what);
  std::abort();
}

}  // namespace

std::FILE* ambrelix::cli::OpenForReading(const std::string& utf8Path) {
  if (utf8Path.empty()) return nullptr;
  return fmemopen(const_cast<char*>(kTable), std::strlen(kTable), "rb");
}

// The companion writes to the standard streams, where nobody reads them
// here: standard output goes to /dev/null, and libFuzzer is asked to close
// standard error for the target (keeping its own and the sanitizers'
// reports), as if -close_fd_mask=2 had been given.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  if (!std::freopen("/dev/null", "rb", stdin) || !std::freopen("/dev/null", "wb", stdout))
    std::abort();
  static std::vector<char*> withMask;
  withMask.assign(*argv, *argv + *argc);
  static char mask[] = "-close_fd_mask=2";
  withMask.insert(withMask.begin() + 1, mask);
  withMask.push_back(nullptr);
  *argc += 1;
  *argv = withMask.data();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> args;
  if (size > 0) {
    args.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] == 0)
        args.emplace_back();
      else
        args.back().push_back(static_cast<char>(data[i]));
    }
  }

  bool refused = false;
  bool table = false;
  try {
    const ambrelix::cli::Invocation invocation = ambrelix::cli::ParseArguments(args);
    const ambrelix::NumberSeparators s = invocation.separators;
    Require(ambrelix::IsUsableSeparator(s.decimal) && ambrelix::IsUsableSeparator(s.thousand) &&
                s.decimal != s.thousand,
            "an accepted command line has unusable separators");
    table = invocation.kind == ambrelix::cli::Invocation::Kind::kTable;
  } catch (const ambrelix::cli::UsageError&) {
    refused = true;
  }
  const int status = ambrelix::cli::RunCompanion(args);
  Require(status >= 0 && status <= 3, "an exit status the help does not name");
  if (refused) Require(status == ambrelix::cli::kExitMalformed, "a refused command line ran");
  if (!refused && !table)
    Require(status != ambrelix::cli::kExitMalformed, "an accepted command line exited 2");
  return 0;
}
