// The companion's entry point on Windows: arguments and file names arrive as
// UTF-16 and are handled as UTF-8 inside; the standard streams carry bytes
// untranslated, so our LF stays LF and UTF-8 passes through unchanged.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/companion.h"
#include "calc/unicode.h"

namespace {

std::u16string FromWide(const wchar_t* text) {
  std::u16string out;
  for (; *text != L'\0'; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

std::wstring ToWide(const std::u16string& text) {
  std::wstring out;
  for (const char16_t c : text) out.push_back(static_cast<wchar_t>(c));
  return out;
}

}  // namespace

std::FILE* ambrelix::cli::OpenForReading(const std::string& utf8Path) {
  return _wfopen(ToWide(ambrelix::Utf8ToUtf16(utf8Path)).c_str(), L"rb");
}

extern "C" int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> args;
  try {
    for (int i = 1; i < argc; ++i) args.push_back(ambrelix::Utf16ToUtf8(FromWide(argv[i])));
  } catch (...) {
    ambrelix::cli::ReportProblem("ambrelix-cli: out of memory");
    return ambrelix::cli::kExitSystemFailure;
  }
  return ambrelix::cli::RunCompanion(args);
}
