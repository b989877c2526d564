// TForm2, the About dialog (Form2): the system's name, its version, the
// warranty disclaimer, the copyright notice, the coil picture and a link to
// the maker's web site over a pale blue-to-white gradient.
//
// The application creates it hidden at start-up and owns it by value for the
// whole run; each press of "About" shows it modally; OK, the close box,
// Alt+F4 and the system menu's Close hide it again. Hiding keeps the
// window, so its position and the text box's scroll position carry over to
// the next showing. It holds no data of the system and changes nothing.
#pragma once

#include <windows.h>

#include "app/error_display.h"
#include "ui/win32/controls.h"
#include "ui/win32/form.h"
#include "ui/win32/gdi_scopes.h"
#include "ui/win32/web_link_label.h"
#include "ui/win32/window_base.h"

namespace ambrelix::ui {

// Modal results.
inline constexpr int mrOk = IDOK;          // Button1
inline constexpr int mrCancel = IDCANCEL;  // close box, Alt+F4, system menu Close

class TForm2 final : public WindowBase {
 public:
  // Creates the dialog's window and its parts, hidden. `applicationWindow`
  // is the application's hidden top-level window: it owns the dialog while
  // the dialog is hidden and owns the link's shell requests. When it is
  // null, the dialog owns those requests itself. Resources (the icon and the
  // coil picture) come from the executable.
  TForm2(app::ErrorDisplay& errors, ShellOpener& shell, HWND applicationWindow);
  ~TForm2();
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  // Shows the dialog modally over `owner` (the calculator window), which is
  // disabled until the dialog closes, and returns mrOk or mrCancel once the
  // dialog is hidden again. A quit message that arrives meanwhile closes it
  // with mrCancel and is posted again for the application's own loop.
  int ShowModal(HWND owner);

  // Handlers.
  void FormShow();
  void FormPaint(HDC dc);
  void FormResize();
  void Button1Click();

  // Components, in the order of the form description.
  LabelWindow Label2, Label1, Label3;
  PictureComponent Image1;
  TWebLinkLabel WebLabel1;
  PushButtonWindow Button1;
  MemoWindow Memo2;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void CloseWith(int modalResult);
  LRESULT ColourStatic(HDC dc, HWND control);

  HWND applicationWindow_ = nullptr;
  FontCache fonts_;
  IconHandle icon_;

  bool initialPlacement_ = true;
  bool modal_ = false;
  int modalResult_ = 0;
  // The part that had the focus when the dialog was last deactivated.
  HWND focusedPart_ = nullptr;
};

}  // namespace ambrelix::ui
