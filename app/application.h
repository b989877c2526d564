// The application object: the hidden top-level window that carries the
// taskbar button and owns the calculator window, the application title, the
// start-up answer to "/acver", the error display and the message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/error_box.h"
#include "ui/win32/window_base.h"

namespace ambrelix::ui {
class TForm1;
}

namespace ambrelix::app {

class Application final : public ui::WindowBase {
 public:
  // Creates the hidden window, titled with the provisional title: the
  // executable's file name without directory, cut at its first full stop,
  // every character after the first in lower case.
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  const std::u16string& Title() const { return title_; }
  void SetTitle(std::u16string_view title);
  ErrorBox& errors() { return errors_; }

  // The skinning library's start-up answer: the first argument that reads
  // "/acver" in lower case shows its version in a box captioned with the
  // current title, and the scan stops there.
  void AnswerVersionProbe() const;

  // Shows the main window as the launcher asked (`showState` is WinMain's
  // nCmdShow) and dispatches messages until the quit message. Returns the
  // exit code.
  int Run(ui::TForm1& mainForm, int showState);

  // Runs when the user's Windows session really ends, before the run ends
  // with it. Nothing may wait for the user there: no message boxes.
  void SetSessionEndHandler(std::function<void()> handler) { sessionEnd_ = std::move(handler); }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  std::u16string title_;
  ErrorBox errors_;
  HWND mainWindow_ = nullptr;
  std::function<void()> sessionEnd_;
};

}  // namespace ambrelix::app
