// TNumericEdit: the entry field for an unsigned decimal number with three
// decimals. The rules live here, over the TextBox interface; the Win32
// adapter (win32/numeric_edit_window.h) turns the EDIT control's messages into
// calls of the entry points below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "calc/number_text.h"
#include "ui/text_box.h"

namespace ambrelix::ui {

class TNumericEdit {
 public:
  // The field's fixed configuration. The form gives the first two; the
  // others are the field's own defaults, which Ambrelix never changes.
  static constexpr int Precision = 3;
  static constexpr Color DesignColor = kWindowColor;
  static constexpr Color FocusFontColor = kWindowTextColor;
  static constexpr Color DisabledColor = kSilver;
  static constexpr bool DisabledBorder = true;

  // The field starts enabled, showing "0.000" in the current locale.
  TNumericEdit(TextBox& box, const SeparatorProvider& separators);
  TNumericEdit(const TNumericEdit&) = delete;
  TNumericEdit& operator=(const TNumericEdit&) = delete;

  std::u16string Text() const;
  // Shows the text normalised to Precision decimals (unreadable text counts
  // as 0); raises OnChange once if the shown text changes; clears Modified.
  void SetText(std::u16string_view value);

  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  void SelectAll();
  void SelectAfterDecimal();

  // The lenient reading of the text rounded to a double (0 for "" and "-").
  double FloatValue() const;
  // Writes Text with the value's fixed form and sets Modified. A NaN or an
  // infinity, which has no fixed form, is written as 0.
  void SetFloatValue(double value);

  bool Modified() const { return FIsModified; }
  void SetModified(bool modified) { FIsModified = modified; }
  const std::u16string& OrigText() const { return FOldString; }

  Color BackgroundColor() const { return color_; }
  Color FontColor() const { return fontColor_; }

  std::function<void(TNumericEdit& sender)> OnChange;
  std::function<void(TNumericEdit& sender, char16_t& key)> OnKeyPress;
  std::function<void(TNumericEdit& sender, std::uint16_t& key, ShiftState shift)> OnKeyDown;
  std::function<void(TNumericEdit& sender)> OnClick;

  // Entry points for the platform adapter, one per thing the box reports.
  void CharTyped(char16_t key, bool ctrlDown);
  void KeyWentDown(std::uint16_t key, ShiftState shift);
  void PasteRequested();
  void CutRequested();
  void TextBoxChanged();
  void FocusGained();
  void FocusLost();
  // While the owner's own modal box is shown over it, the focus the box
  // takes and gives back is no edit of the field's: no reformat on the loss,
  // no new OrigText and no select-all on the gain.
  void SetFocusHeldByBox(bool held) { focusHeldByBox_ = held; }
  bool FocusHeldByBox() const { return focusHeldByBox_; }
  // Left button down; false keeps the press from the box (a press on the
  // selected text of the focused field, which becomes a click on release).
  bool MouseWentDown(bool onSelectedText);
  // Left button up at the character boundary `charIndex`; false keeps the
  // release from the box.
  bool MouseWentUp(std::size_t charIndex);

 private:
  std::u16string Normalised(std::u16string_view value) const;
  void RaiseChange();
  // Raises OnKeyPress and hands what the handler leaves (unless 0) to the box.
  void PassCharOn(char16_t key);
  void Backspace(const std::u16string& text, TextSelection selection);
  void EscapeRevert();
  // The focus-loss and paste reformat: the text through a double, or, for
  // a value beyond double's range, through its own extended value.
  void ReformatThroughDouble();
  void SetFontColor(Color color);

  TextBox& box_;
  const SeparatorProvider& separators_;

  std::u16string FOldString;
  bool FBlockChange = false;
  bool FIsModified = false;
  Color FNormalColor = DesignColor;
  Color FFontColor = kWindowTextColor;

  Color color_ = DesignColor;
  Color fontColor_ = kWindowTextColor;
  bool enabled_ = true;
  bool focused_ = false;
  bool clickPending_ = false;
  bool focusHeldByBox_ = false;
};

// The paste check: not empty; only digits, "," and "."; at most one decimal
// separator; no thousand separator first, and each at least three positions
// after the one before.
bool PassesPasteCheck(std::u16string_view candidate, NumberSeparators separators);

}  // namespace ambrelix::ui
