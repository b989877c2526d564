#include "app/error_display.h"

#include <exception>
#include <string>

#include "calc/errors.h"
#include "calc/unicode.h"

namespace ambrelix::app {

void ShowCurrentException(ErrorDisplay& display) noexcept {
  try {
    std::u16string message;
    try {
      throw;
    } catch (const CalcError& e) {
      message = e.message();
    } catch (const std::exception& e) {
      message = Utf8ToUtf16(e.what());
    } catch (...) {
      message = u"Unknown error";
    }
    display.ShowError(ErrorBoxText(message));
  } catch (...) {
    // Out of memory while showing an error: nothing sensible is left to do,
    // and the window procedure must still return normally.
  }
}

}  // namespace ambrelix::app
