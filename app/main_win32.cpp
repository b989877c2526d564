// Ambrelix.exe: start-up in its order, the message loop, and the exit.
#include <windows.h>
// ole2.h needs windows.h first.
#include <ole2.h>

#include <optional>

#include "app/application.h"
#include "resources/resource.h"
#include "settings/registry_win32.h"
#include "settings/settings_store.h"
#include "ui/about_dialog.h"
#include "ui/calculator_window.h"
#include "ui/win32/controls.h"
#include "ui/win32/regional_separators.h"

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

int RunAmbrelix(int showState) {
  using namespace ambrelix;
  app::Application application;
  application.AnswerVersionProbe();
  application.SetTitle(u"Ambrelix");

  ui::RegionalSeparators separators;
  settings::CurrentUserRegistry registry;
  ui::ShellExecuteOpener shell;
  std::optional<ui::TForm2> Form2;

  ui::TForm1Hooks hooks;
  hooks.OnFormCreate = [&](settings::SettingsControls& controls) {
    settings::LoadAtStartUp(registry, controls, separators.Separators().decimal);
  };
  hooks.OnFormClose = [&](settings::SettingsControls& controls) {
    settings::WriteToRegistry(registry, controls);
  };
  hooks.ShowAbout = [&](HWND owner) {
    if (Form2) Form2->ShowModal(owner);
  };
  ui::TForm1 Form1(separators, application.errors(), std::move(hooks),
                   ui::ResourceBytes(IDR_DRAWING));
  Form1.Create(application.hwnd());
  Form2.emplace(application.errors(), shell, application.hwnd());

  // Logging off or shutting down skips the close handler; save what the
  // user typed all the same, without a message nobody could answer.
  application.SetSessionEndHandler([&] { settings::SaveQuietly(registry, Form1); });

  const int exitCode = application.Run(Form1, showState);
  // Last created, first destroyed: the About dialog, then the calculator window.
  Form2.reset();
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showState) {
  OleApartment apartment;
  try {
    return RunAmbrelix(showState);
  } catch (...) {
    // Only a failure to build the windows gets here: handlers catch their own.
    ambrelix::app::ErrorBox startupErrors(u"Ambrelix");
    ambrelix::app::ShowCurrentException(startupErrors);
    return 1;
  }
}
