// The console companion behind its platform adapter: arguments in, exit
// status out, the results on standard output and the problems on standard
// error.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace ambrelix::cli {

inline constexpr int kExitDone = 0;
inline constexpr int kExitCalculationFailed = 1;
inline constexpr int kExitMalformed = 2;
inline constexpr int kExitSystemFailure = 3;

// The arguments after the program name, UTF-8. The standard streams must be
// in binary mode. Never throws.
int RunCompanion(const std::vector<std::string>& args) noexcept;

// Writes a line to standard error, ignoring failure: there is nowhere left
// to report it.
void ReportProblem(const std::string& line) noexcept;

// Supplied by the platform adapter: opens a file named in UTF-8 for binary
// reading, or returns nullptr.
std::FILE* OpenForReading(const std::string& utf8Path);

}  // namespace ambrelix::cli
