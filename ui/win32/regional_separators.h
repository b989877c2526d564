// The user's regional decimal and thousand separators (Win32). Loaded on
// construction; the window calls Reload when the system announces a change
// of its settings (WM_SETTINGCHANGE).
#pragma once

#include "calc/number_text.h"

namespace ambrelix::ui {

class RegionalSeparators final : public SeparatorProvider {
 public:
  RegionalSeparators() { Reload(); }
  void Reload();
  NumberSeparators Separators() const override { return separators_; }

 private:
  NumberSeparators separators_;
};

}  // namespace ambrelix::ui
