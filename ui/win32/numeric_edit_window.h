// The Win32 entry field: TNumericEdit's rules over a subclassed multi-line
// EDIT control. The EDIT's multi-line style gives the box its two properties:
// text set from code sends no EN_CHANGE while every user edit sends one, and
// the box takes Enter and Escape itself.
//
// The field exists, and keeps its text, selection and enabled state, before
// its window is created (the form writes texts while it loads) and after the
// window is destroyed.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/error_display.h"
#include "calc/number_text.h"
#include "ui/numeric_edit.h"
#include "ui/text_box.h"
#include "ui/win32/gdi_scopes.h"
#include "ui/win32/window_subclass.h"

namespace ambrelix::ui {

class NumericEditWindow final : private TextBox {
 public:
  NumericEditWindow(const SeparatorProvider& separators, app::ErrorDisplay& errors);
  ~NumericEditWindow();
  NumericEditWindow(const NumericEditWindow&) = delete;
  NumericEditWindow& operator=(const NumericEditWindow&) = delete;

  // Creates the EDIT window, a tab stop, as child `id` of `parent`. `font`
  // stays the caller's.
  void Create(HWND parent, int id, const RECT& bounds, HFONT font);

  // The EDIT reports to its parent, whose window procedure hands each
  // message on here first: EN_CHANGE (WM_COMMAND) and the colour messages.
  // True when the message came from this field's box; `result` is then the
  // parent's answer.
  bool ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  HWND hwnd() const { return hwnd_; }
  TNumericEdit& field() { return field_; }
  const TNumericEdit& field() const { return field_; }

 private:
  std::u16string Text() const override;
  void SetText(std::u16string_view text) override;
  TextSelection Selection() const override;
  void Select(std::size_t start, std::size_t end) override;
  bool IsModified() const override;
  std::optional<std::u16string> ClipboardText() const override;
  void DefaultChar(char16_t key) override;
  void DefaultKeyDown(std::uint16_t key, ShiftState shift) override;
  void DefaultCut() override;
  void Enable(bool enabled) override;
  void Redraw() override;
  void PostEscapeToWindow() override;

  static LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self);
  LRESULT EditMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // Runs a rule, showing any error it raises, so that the platform's own
  // handling of the message still follows.
  template <class Rule>
  void Guarded(Rule&& rule) noexcept;

  HBRUSH BackgroundBrush();
  void DrawDisabledFrame() const;

  // Right alignment: the left margin takes up the room a text narrower than
  // the box leaves; a wider text scrolls as the EDIT scrolls it.
  void AlignRight();
  int TextWidth(std::u16string_view text) const;
  int CharacterX(std::size_t index) const;
  bool OnSelectedText(int x) const;

  app::ErrorDisplay& errors_;
  HWND hwnd_ = nullptr;
  // The box's state while it has no window.
  std::u16string storedText_;
  TextSelection storedSelection_;
  bool storedEnabled_ = true;

  TNumericEdit field_;

  std::optional<WindowSubclass> editSubclass_;
  LPARAM keyLParam_ = 0;
  BrushHandle ownBrush_;
  COLORREF ownBrushColor_ = 0;
  int defaultLeftMargin_ = 0;
  int defaultRightMargin_ = 0;
  int leftMargin_ = 0;
};

// True when the common-controls library in use is version 6 or later, which
// draws the desktop's visual style.
bool VisualStylesInUse();

}  // namespace ambrelix::ui
