// The companion's command lines and output as the tests use them: a run
// from a length of tube, a single run's "name<TAB>text" lines and a table's
// rows.
#pragma once

#include <string>
#include <vector>

namespace ambrelix::test_support {

// The calculator's first-run coil wound from a tube of the given length,
// with any further options.
inline std::vector<std::string> Tube(const std::string& metres,
                                     const std::vector<std::string>& more = {}) {
  std::vector<std::string> args{"--mode", "length", "--L",  metres, "--D",  "80",
                                "--P",    "4.2",    "--OD", "3.2",  "--ID", "1.2"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The text printed for a name, or "(none)".
inline std::string Printed(const std::string& out, const std::string& name) {
  for (std::size_t at = out.find(name + "\t"); at != std::string::npos;
       at = out.find(name + "\t", at + 1)) {
    if (at > 0 && out[at - 1] != '\n') continue;
    const std::size_t from = at + name.size() + 1;
    return out.substr(from, out.find('\n', from) - from);
  }
  return "(none)";
}

// The rows after the header, split at every comma: for tables with no
// quoted fields.
inline std::vector<std::vector<std::string>> TableRows(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t lineStart = out.find('\n') + 1; lineStart < out.size();) {
    const std::size_t lineEnd = out.find('\n', lineStart);
    std::vector<std::string>& fields = rows.emplace_back();
    for (std::size_t from = lineStart;;) {
      const std::size_t comma = out.find(',', from);
      if (comma == std::string::npos || comma > lineEnd) {
        fields.push_back(out.substr(from, lineEnd - from));
        break;
      }
      fields.push_back(out.substr(from, comma - from));
      from = comma + 1;
    }
    lineStart = lineEnd + 1;
  }
  return rows;
}

}  // namespace ambrelix::test_support
