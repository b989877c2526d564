// The application's error display: every error that escapes an event handler
// ends up here and is shown in a modal box captioned with the application
// title, with the error icon and one OK button.
#pragma once

#include <string>
#include <string_view>

#include "app/error_display.h"

namespace ambrelix::app {

class ErrorBox final : public ErrorDisplay {
 public:
  explicit ErrorBox(std::u16string_view title) : title_(title) {}
  void SetTitle(std::u16string_view title) { title_ = title; }
  // Modal to every window of the program; returns when OK is pressed.
  void ShowError(std::u16string_view boxText) override;

 private:
  std::u16string title_;
};

}  // namespace ambrelix::app
