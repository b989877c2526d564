// Where an error that escapes an event handler goes. Window procedures catch
// everything at their boundary (no exception may unwind through a platform
// frame) and hand it here; the application shows it in its error box.
#pragma once

#include <string_view>

namespace ambrelix::app {

class ErrorDisplay {
 public:
  // `boxText` is the error's message as the box shows it (ErrorBoxText).
  virtual void ShowError(std::u16string_view boxText) = 0;

 protected:
  ~ErrorDisplay() = default;
};

// Call only inside a catch block: shows the exception being handled. A
// CalcError shows its message, another std::exception its what(). Never
// throws, so a window procedure can call it from `catch (...)`.
void ShowCurrentException(ErrorDisplay& display) noexcept;

}  // namespace ambrelix::app
