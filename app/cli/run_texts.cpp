#include "app/cli/run_texts.h"

#include "calc/errors.h"
#include "calc/unicode.h"

namespace ambrelix::cli {
namespace {

// ASCII widens unit for unit, and is what nearly every field holds.
bool WidenAscii(std::u16string& out, std::string_view text) {
  out.resize(text.size());
  char16_t* p = out.data();
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
    *p++ = static_cast<char16_t>(c);
  }
  return true;
}

bool Short(std::string_view field) { return field.size() <= kQuotedCharacters; }

// The error box text for a field that does not read, quoting its bytes.
std::string NotANumberMessage(std::string_view field) {
  static const std::string tail = Utf16ToUtf8(ErrorBoxText(kNotAValidNumberTail));
  const std::size_t kept = Utf8CharactersPrefix(field, kQuotedCharacters);
  std::string message;
  message.reserve(kept + tail.size() + 5);
  message.push_back('\'');
  message.append(field.substr(0, kept));
  if (kept < field.size()) message.append("\u2026");
  message.append(tail);
  return message;
}

}  // namespace

std::optional<std::string> SetRunTexts(CalculationRequest& request,
                                       const std::array<std::string_view, kRunInputCount>& fields,
                                       NumberSeparators separators) {
  bool inPlace = false;
  for (const RunInput input : kRunInputs) {
    const std::string_view field = fields[static_cast<std::size_t>(input)];
    std::u16string& text = request.text(input);
    if (!request.mode || !RunReads(*request.mode, input)) {
      text.clear();
      continue;
    }
    if (Short(field) && WidenAscii(text, field)) continue;
    if (Short(field) && IsValidUtf8(field)) {
      text = Utf8ToUtf16(field);
      continue;
    }
    inPlace = true;
    text.clear();
  }
  if (!inPlace) return std::nullopt;

  // Read in the run's order, so that the field reported is the one the run
  // would report.
  for (const RunInput input : kRunInputs) {
    if (!RunReads(*request.mode, input)) continue;
    const std::string_view field = fields[static_cast<std::size_t>(input)];
    std::optional<std::u16string> compact = CompactNumberText(field, separators);
    if (!compact) return NotANumberMessage(field);
    request.text(input) = std::move(*compact);
  }
  return std::nullopt;
}

}  // namespace ambrelix::cli
