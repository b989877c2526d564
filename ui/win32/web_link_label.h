// TWebLinkLabel: a transparent one-line label that asks the shell to open its
// URL when the left mouse button is pressed on it. It shows the hand cursor,
// never takes the keyboard focus and is no tab stop, so it cannot be reached
// with the keyboard.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/error_display.h"
#include "ui/win32/window_base.h"

namespace ambrelix::ui {

// The shell, as far as the link needs it.
class ShellOpener {
 public:
  // Asks the shell to perform `verb` on `file` as given, with no parameters
  // and no working directory. Whatever the shell answers is not reported: a
  // machine with no program for web addresses simply opens nothing.
  virtual void Open(HWND owner, std::wstring_view verb, std::wstring_view file,
                    int showCommand) = 0;

 protected:
  ~ShellOpener() = default;
};

class ShellExecuteOpener final : public ShellOpener {
 public:
  void Open(HWND owner, std::wstring_view verb, std::wstring_view file, int showCommand) override;
};

// The show command handed to the shell; the ordinals are the platform's
// window show commands 0 to 10.
enum TShowMode : int {
  soHide,
  soNormal,
  soShowMinimized,
  soMaximize,
  soShowNoActivate,
  soShow,
  soMinimize,
  soShowMinNoActive,
  soShowNA,
  soRestore,
  soDefault,
};
static_assert(soDefault == SW_SHOWDEFAULT && soRestore == SW_RESTORE);

class TWebLinkLabel final : public WindowBase {
 public:
  TWebLinkLabel(ShellOpener& shell, app::ErrorDisplay& errors);
  ~TWebLinkLabel();
  TWebLinkLabel(const TWebLinkLabel&) = delete;
  TWebLinkLabel& operator=(const TWebLinkLabel&) = delete;

  // Creates the label's window as child `id` of `parent`. The shell's
  // requests are owned by `shellOwner` (the application's hidden window),
  // or by `parent` when that is null. `font` stays the caller's.
  void Create(HWND parent, int id, const RECT& bounds, std::wstring_view caption, HFONT font,
              HWND shellOwner);

  // Whether the mouse is above the label; it changes nothing visible.
  bool MouseAbove() const { return mouseAbove_; }

  // What the shell is asked to open, exactly as stored.
  std::wstring URL;
  TShowMode ShowMode = soDefault;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint(HDC dc);
  void MouseDown();
  void SetMouseAbove(bool above);
  void TrackLeaving();
  void InvalidateWithBackground();

  ShellOpener& shell_;
  HWND shellOwner_ = nullptr;
  HFONT font_ = nullptr;
  bool mouseAbove_ = false;
};

}  // namespace ambrelix::ui
