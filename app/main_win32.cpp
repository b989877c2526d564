// Ambrelix.exe: start-up in its order, the message loop, and the exit.
#include <windows.h>
// ole2.h needs windows.h first.
#include <ole2.h>

#include "app/application.h"
#include "resources/resource.h"
#include "ui/calculator_window.h"
#include "ui/controls_win32.h"
#include "ui/regional_separators.h"

namespace {

// The GUI thread is a single-threaded COM apartment, with OLE, for the whole run.
class OleApartment {
 public:
  OleApartment() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleApartment() {
    if (initialised_) OleUninitialize();
  }
  OleApartment(const OleApartment&) = delete;
  OleApartment& operator=(const OleApartment&) = delete;

 private:
  bool initialised_;
};

int RunAmbrelix(HINSTANCE instance, int showState) {
  using namespace ambrelix;
  app::Application application(instance);
  application.AnswerVersionProbe();
  application.SetTitle(u"Ambrelix");

  ui::RegionalSeparators separators;
  // The settings store and the About dialog are wired in here as they come.
  ui::TForm1Hooks hooks;
  ui::TForm1 Form1(separators, application.errors(), std::move(hooks),
                   ui::ResourceBytes(IDR_DRAWING));
  Form1.Create(application.hwnd());
  // Form1 goes first at the end of this scope, then the application window.
  return application.Run(Form1, showState);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showState) {
  OleApartment apartment;
  try {
    return RunAmbrelix(instance, showState);
  } catch (...) {
    // Only a failure to build the windows gets here: handlers catch their own.
    ambrelix::app::ErrorBox startupErrors(u"Ambrelix");
    ambrelix::ui::ShowCurrentException(startupErrors);
    return 1;
  }
}
