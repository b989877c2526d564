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

std::optional<std::string> SetRunTexts(TubeRequest& request, const RunFields& fields,
                                       NumberSeparators separators) {
  CalculationRequest& coil = request.coil;
  if (fields.tubeMetres)
    request.tubeMetres.emplace();
  else
    request.tubeMetres.reset();
  if (request.extras && fields.density)
    request.density.emplace();
  else
    request.density.reset();

  // The texts the run reads, in its order; the others are left empty.
  struct Read {
    std::string_view field;
    std::u16string* text;
  };
  std::array<Read, kRunInputCount + 2> reads;
  std::size_t count = 0;
  const bool runs = request.tubeMetres || coil.mode;
  for (const RunInput input : kRunInputs) {
    const std::string_view field = fields.texts[static_cast<std::size_t>(input)];
    std::u16string& text = coil.text(input);
    text.clear();
    if (!runs) continue;
    if (input == RunInput::A || input == RunInput::n) {
      // The given quantity: the tube's length in place of the height or turns.
      if (request.tubeMetres) {
        if (input == RunInput::A) reads[count++] = {*fields.tubeMetres, &*request.tubeMetres};
        continue;
      }
      if (!RunReads(*coil.mode, input)) continue;
    }
    reads[count++] = {field, &text};
  }
  if (runs && request.density) reads[count++] = {*fields.density, &*request.density};

  bool inPlace = false;
  for (std::size_t k = 0; k < count; ++k) {
    const auto [field, text] = reads[k];
    if (Short(field) && WidenAscii(*text, field)) continue;
    if (Short(field) && IsValidUtf8(field)) {
      *text = Utf8ToUtf16(field);
      continue;
    }
    inPlace = true;
    text->clear();
  }
  if (!inPlace) return std::nullopt;

  // Read in the run's order, so that the field reported is the one the run
  // would report.
  for (std::size_t k = 0; k < count; ++k) {
    const auto [field, text] = reads[k];
    std::optional<std::u16string> compact = CompactNumberText(field, separators);
    if (!compact) return NotANumberMessage(field);
    *text = std::move(*compact);
  }
  return std::nullopt;
}

}  // namespace ambrelix::cli
