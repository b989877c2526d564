// Runs a program the way a shell would: arguments, bytes on standard input,
// and what it printed and returned afterwards.
#pragma once

#include <string>
#include <vector>

namespace ambrelix::test_support {

struct ProcessResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Arguments are UTF-8. Standard input and output go through temporary files,
// so no pipe can fill up and stall either side.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = {});

}  // namespace ambrelix::test_support
