#include "app/error_box.h"

#include <windows.h>

namespace ambrelix::app {

void ErrorBox::ShowError(std::u16string_view boxText) {
  const std::u16string text(boxText);
  // Owned by the window in front, when it is one of ours, so the box stays
  // over it; task-modal, so no window of the program takes input meanwhile.
  MessageBoxW(GetActiveWindow(), reinterpret_cast<const wchar_t*>(text.c_str()),
              reinterpret_cast<const wchar_t*>(title_.c_str()),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace ambrelix::app
