// The companion's entry point on POSIX systems, where arguments and file
// names are already bytes (UTF-8 by convention).
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/companion.h"

std::FILE* ambrelix::cli::OpenForReading(const std::string& utf8Path) {
  return std::fopen(utf8Path.c_str(), "rb");
}

int main(int argc, char** argv) {
  std::vector<std::string> args;
  try {
    args.assign(argv + 1, argv + argc);
  } catch (...) {
    ambrelix::cli::ReportProblem("ambrelix-cli: out of memory");
    return ambrelix::cli::kExitSystemFailure;
  }
  return ambrelix::cli::RunCompanion(args);
}
