// An in-memory text box with the two properties the entry field relies on,
// behaving as the multi-line EDIT does for the input the tests give it:
// typed characters replace the selection, Backspace and Delete delete,
// Shift+Delete and Ctrl+X cut, Shift+Insert and Ctrl+V ask the field to
// paste, Enter and Escape change nothing. It reports to the field as the
// Win32 adapter does.
#pragma once

#include <algorithm>
#include <optional>
#include <string>

#include "ui/numeric_edit.h"
#include "ui/text_box.h"

namespace ambrelix::ui::testing {

class MemoryTextBox final : public TextBox {
 public:
  void Attach(TNumericEdit& field) { field_ = &field; }

  std::u16string Text() const override { return text_; }
  void SetText(std::u16string_view text) override {
    text_ = text;
    selection_ = {};
    modified_ = false;
  }
  TextSelection Selection() const override { return selection_; }
  void Select(std::size_t start, std::size_t end) override {
    selection_ = {std::min(start, text_.size()), std::min(end, text_.size())};
  }
  bool IsModified() const override { return modified_; }
  std::optional<std::u16string> ClipboardText() const override { return clipboard; }

  void DefaultChar(char16_t key) override {
    switch (key) {
      case 3:
        return Copy();
      case 22:
        return field_->PasteRequested();
      case 24:
        return field_->CutRequested();
      case 8:
        if (selection_.start == selection_.end && selection_.start > 0) --selection_.start;
        return Replace(u"");
      case 13:
      case 27:
        return;
      default:
        return Replace(std::u16string(1, key));
    }
  }

  void DefaultKeyDown(std::uint16_t key, ShiftState shift) override {
    const std::size_t caret = selection_.end;
    switch (key) {
      case kKeyDelete:
        if (shift.shift) return field_->CutRequested();
        if (selection_.start == selection_.end && caret < text_.size()) ++selection_.end;
        return Replace(u"");
      case kKeyInsert:
        if (shift.shift) return field_->PasteRequested();
        if (shift.ctrl) Copy();
        return;
      case kKeyLeft:
        return Select(caret > 0 ? caret - 1 : 0, caret > 0 ? caret - 1 : 0);
      case kKeyRight:
        return Select(caret + 1, caret + 1);
      // A one-line box takes Up and Down to the start and the end.
      case kKeyUp:
        return Select(0, 0);
      case kKeyDown:
        return Select(text_.size(), text_.size());
      default:
        return;
    }
  }

  void DefaultCut() override {
    Copy();
    Replace(u"");
  }

  void Enable(bool enabled) override { enabled_ = enabled; }
  void Redraw() override { ++redraws; }
  void PostEscapeToWindow() override { ++escapesPosted; }

  bool enabled() const { return enabled_; }

  std::optional<std::u16string> clipboard;
  int redraws = 0;
  int escapesPosted = 0;

 private:
  void Copy() {
    if (selection_.start != selection_.end)
      clipboard = text_.substr(selection_.start, selection_.end - selection_.start);
  }

  // A user edit: one change notification when anything was removed or put in.
  void Replace(const std::u16string& with) {
    if (selection_.start == selection_.end && with.empty()) return;
    text_.replace(selection_.start, selection_.end - selection_.start, with);
    selection_.start = selection_.end = selection_.start + with.size();
    modified_ = true;
    field_->TextBoxChanged();
  }

  TNumericEdit* field_ = nullptr;
  std::u16string text_;
  TextSelection selection_;
  bool modified_ = false;
  bool enabled_ = true;
};

}  // namespace ambrelix::ui::testing
