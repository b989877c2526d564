#include "ui/numeric_edit.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace ambrelix::ui {
namespace {

constexpr char16_t kCtrlA = 1;
constexpr char16_t kCtrlC = 3;
constexpr char16_t kBackspace = 8;
constexpr char16_t kTab = 9;
constexpr char16_t kLineFeed = 10;
constexpr char16_t kCarriageReturn = 13;
constexpr char16_t kCtrlV = 22;
constexpr char16_t kCtrlX = 24;
constexpr char16_t kEscape = 27;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool WholeTextSelected(const std::u16string& text, TextSelection selection) {
  return !text.empty() && selection.start == 0 && selection.end >= text.size();
}

std::u16string_view TrimControlsAndSpaces(std::u16string_view s) {
  while (!s.empty() && s.front() <= u' ') s.remove_prefix(1);
  while (!s.empty() && s.back() <= u' ') s.remove_suffix(1);
  return s;
}

}  // namespace

bool PassesPasteCheck(std::u16string_view candidate, NumberSeparators separators) {
  if (candidate.empty()) return false;
  int decimalSeparators = 0;
  std::optional<std::size_t> previousThousand;
  for (std::size_t i = 0; i < candidate.size(); ++i) {
    const char16_t c = candidate[i];
    if (!IsDigit(c) && c != u',' && c != u'.') return false;
    if (c == separators.decimal && ++decimalSeparators > 1) return false;
    if (c == separators.thousand) {
      if (i == 0) return false;
      if (previousThousand && i < *previousThousand + 3) return false;
      previousThousand = i;
    }
  }
  return true;
}

TNumericEdit::TNumericEdit(TextBox& box, const SeparatorProvider& separators)
    : box_(box), separators_(separators) {
  box_.SetText(Normalised(u"0.000"));
}

std::u16string TNumericEdit::Text() const { return box_.Text(); }

std::u16string TNumericEdit::Normalised(std::u16string_view value) const {
  if (value.empty()) value = u"0";
  return NumberToFixedText(TextToNumberLenient(value, separators_), Precision, separators_);
}

void TNumericEdit::SetText(std::u16string_view value) {
  const std::u16string shown = Normalised(value);
  if (shown != box_.Text()) {
    box_.SetText(shown);
    RaiseChange();
  }
  FIsModified = false;
}

void TNumericEdit::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  if (enabled) {
    color_ = FNormalColor;
  } else {
    FNormalColor = color_;
    color_ = DisabledColor;
  }
  enabled_ = enabled;
  box_.Enable(enabled);
  box_.Redraw();
}

void TNumericEdit::SelectAll() { box_.Select(0, box_.Text().size()); }

void TNumericEdit::SelectAfterDecimal() {
  const std::u16string text = box_.Text();
  const std::size_t separator = text.find(separators_.Separators().decimal);
  const std::size_t caret = separator == std::u16string::npos ? 0 : separator + 1;
  box_.Select(caret, caret);
}

double TNumericEdit::FloatValue() const {
  const std::u16string text = box_.Text();
  if (text.empty() || text == u"-") return 0;
  return static_cast<double>(TextToNumberLenient(text, separators_));
}

void TNumericEdit::SetFloatValue(double value) {
  SetText(std::isfinite(value) ? NumberToFixedText(value, Precision, separators_) : u"0");
  FIsModified = true;
}

void TNumericEdit::RaiseChange() {
  if (OnChange) OnChange(*this);
}

void TNumericEdit::PassCharOn(char16_t key) {
  if (OnKeyPress) OnKeyPress(*this, key);
  if (key != 0) box_.DefaultChar(key);
}

void TNumericEdit::SetFontColor(Color color) {
  if (color == fontColor_) return;
  fontColor_ = color;
  box_.Redraw();
}

void TNumericEdit::CharTyped(char16_t key, bool ctrlDown) {
  const std::u16string text = box_.Text();
  const TextSelection selection = box_.Selection();

  // The keystroke that replaces a wholly selected text reports no change;
  // any keystroke at all arms this, even one dropped below.
  if (WholeTextSelected(text, selection)) FBlockChange = true;

  if (key == kCarriageReturn) {
    if (ctrlDown) return;
    char16_t enter = kCarriageReturn;
    if (OnKeyPress) OnKeyPress(*this, enter);
    return;
  }
  if (key == kEscape) return PassCharOn(key);
  if (ctrlDown && key == kCtrlA) return SelectAll();
  if (ctrlDown && (key == kCtrlC || key == kCtrlV || key == kCtrlX)) return PassCharOn(key);
  if (key == kBackspace) return Backspace(text, selection);
  if (ctrlDown && key == kLineFeed) return;
  if (key == u'-') return;

  const NumberSeparators separators = separators_.Separators();
  if ((key == u',' && separators.decimal != u',') || (key == u'.' && separators.decimal != u'.'))
    return;
  if (!IsDigit(key) && key != separators.decimal && key != kTab) return;

  const std::size_t separator = text.find(separators.decimal);
  const bool hasSeparator = separator != std::u16string::npos;
  if (key == separators.decimal) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool selected = i >= selection.start && i < selection.end;
      if (text[i] == separators.decimal && !selected) return SelectAfterDecimal();
    }
  }

  // Full decimals: a digit typed among the last Precision decimals
  // overwrites instead of inserting, so the decimals never grow by typing.
  const std::size_t caret = selection.end;
  const bool nothingSelected = selection.start == selection.end;
  if (IsDigit(key) && nothingSelected && hasSeparator && caret > separator &&
      text.size() - caret <= static_cast<std::size_t>(Precision) &&
      text.size() - separator - 1 >= static_cast<std::size_t>(Precision)) {
    if (caret == text.size()) return;
    box_.Select(caret, caret + 1);
  }

  if (key == separators.decimal && text.empty()) {
    const std::u16string zeroPoint{u'0', separators.decimal};
    box_.SetText(zeroPoint);
    box_.Select(zeroPoint.size(), zeroPoint.size());
    RaiseChange();
    FIsModified = true;
    return;
  }

  PassCharOn(key);
  if (box_.IsModified()) FIsModified = true;
}

void TNumericEdit::Backspace(const std::u16string& text, TextSelection selection) {
  std::u16string predicted = text;
  if (selection.start != selection.end)
    predicted.erase(selection.start, selection.end - selection.start);
  else if (selection.start > 0)
    predicted.erase(selection.start - 1, 1);

  const bool mark = predicted != text || FIsModified;
  FIsModified = mark;
  PassCharOn(kBackspace);
  // A box emptied by Backspace always reports, even where the box itself
  // reported nothing because the keystroke replaced the whole text.
  if (box_.Text().empty() && (!predicted.empty() || mark)) RaiseChange();
  FIsModified = mark;
}

void TNumericEdit::KeyWentDown(std::uint16_t key, ShiftState shift) {
  if (key == kKeyTab) return box_.DefaultKeyDown(key, shift);
  if (key == kKeyUp || key == kKeyDown) {
    if (OnKeyDown) OnKeyDown(*this, key, shift);
    return;
  }
  if (key == kKeyEscape) EscapeRevert();
  if (key == kKeyDelete) FIsModified = true;
  if (OnKeyDown) OnKeyDown(*this, key, shift);
  if (key != 0) box_.DefaultKeyDown(key, shift);
}

void TNumericEdit::EscapeRevert() {
  SetText(FOldString);
  SelectAll();
  SetFontColor(FocusFontColor);
  FIsModified = false;
  box_.PostEscapeToWindow();
}

void TNumericEdit::FocusGained() {
  focused_ = true;
  if (focusHeldByBox_) return;
  FOldString = box_.Text();
  FFontColor = fontColor_;
  SetFontColor(FocusFontColor);
  SelectAll();
}

void TNumericEdit::FocusLost() {
  focused_ = false;
  clickPending_ = false;
  if (focusHeldByBox_) return;
  SetFontColor(FFontColor);
  const bool mark = FIsModified;
  ReformatThroughDouble();
  FIsModified = mark;
}

void TNumericEdit::ReformatThroughDouble() {
  const double value = FloatValue();
  if (std::isfinite(value))
    SetFloatValue(value);
  else
    SetText(box_.Text());
}

void TNumericEdit::PasteRequested() {
  const std::optional<std::u16string> clipboard = box_.ClipboardText();
  if (!clipboard) return;
  const std::u16string pasted = clipboard->substr(0, clipboard->find(u'\r'));

  const TextSelection selection = box_.Selection();
  std::u16string candidate = box_.Text();
  candidate.replace(selection.start, selection.end - selection.start, pasted);
  const std::u16string_view trimmed = TrimControlsAndSpaces(candidate);

  if (PassesPasteCheck(trimmed, separators_.Separators())) {
    SetText(trimmed);
    ReformatThroughDouble();
    FIsModified = true;
  }

  // Accepted or not, the selection ends where the pasted text would be.
  const std::size_t length = box_.Text().size();
  const std::size_t start = std::min(selection.start, length);
  const std::size_t end = std::min(selection.start + pasted.size(), length);
  if (selection.start != selection.end)
    box_.Select(start, end);
  else
    box_.Select(end, end);
}

void TNumericEdit::CutRequested() {
  box_.DefaultCut();
  RaiseChange();
}

void TNumericEdit::TextBoxChanged() {
  if (FBlockChange) {
    FBlockChange = false;
    return;
  }
  RaiseChange();
}

bool TNumericEdit::MouseWentDown(bool onSelectedText) {
  if (!focused_ || !onSelectedText) return true;
  clickPending_ = true;
  return false;
}

bool TNumericEdit::MouseWentUp(std::size_t charIndex) {
  if (!clickPending_) return true;
  clickPending_ = false;
  box_.Select(charIndex, charIndex);
  if (OnClick) OnClick(*this);
  return false;
}

}  // namespace ambrelix::ui
