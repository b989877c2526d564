// TForm1's rules: what the calculator window's handlers decide, over a small
// interface to its controls, so that they are tested natively on a
// recording fake. The Win32 window (calculator_window.h) turns messages into
// calls of these handlers and implements the controls on its components.
#pragma once

#include <string>
#include <string_view>

#include "calc/number_text.h"
#include "settings/settings_controls.h"
#include "ui/result_writes.h"

namespace ambrelix::ui {

using settings::Field;
using settings::Tail;

// The calculator window's controls as its handlers use them. Each behaves as
// the window's component does for a change made from code: a field's text
// is normalised and raises the field's OnChange if the shown text changes;
// enabling a field notifies nothing.
class CalculatorControls {
 public:
  virtual std::u16string FieldText(Field field) const = 0;
  virtual void SetFieldText(Field field, std::u16string_view text) = 0;
  virtual void SetFieldEnabled(Field field, bool enabled) = 0;
  virtual void SelectAllText(Field field) = 0;
  // A label's new caption: the result labels, the drawing's value labels and
  // the totals (never a field target).
  virtual void SetCaption(Target label, std::u16string_view caption) = 0;
  virtual int RadioIndex() const = 0;  // -1 while no item is selected
  virtual bool TailChecked(Tail tail) const = 0;
  // The gap notice, modal: returns when it is closed.
  virtual void ShowGapNotice() = 0;
  // The About dialog, modal: returns when it is closed.
  virtual void ShowAbout() = 0;
  // Closes the window the way its close box does, after the handler returns.
  virtual void RequestClose() = 0;

 protected:
  ~CalculatorControls() = default;
};

class CalculatorRules {
 public:
  CalculatorRules(CalculatorControls& controls, const SeparatorProvider& separators)
      : controls_(controls), separators_(separators) {}

  // Radio item 0 enables edA and disables edN; item 1 the other way round;
  // no selection changes nothing.
  void RadioGroup1Click();
  // A tail box enables its field while ticked and empties the totals.
  void chT1Click();
  void chT2Click();
  // Every field's OnChange: the totals no longer fit the fields.
  void ClearResults();
  // Enter in a field clicks Calculate, then selects the field's whole text
  // (not when the run fails: its error ends the handler first).
  void edAKeyPress(char16_t& Key);
  void edNKeyPress(char16_t& Key);
  void edDKeyPress(char16_t& Key);
  void edPKeyPress(char16_t& Key);
  void edODKeyPress(char16_t& Key);
  void edIDKeyPress(char16_t& Key);
  void edT1KeyPress(char16_t& Key);
  void edT2KeyPress(char16_t& Key);
  // The calculation run: the texts read, every result written in order,
  // then the gap notice when it is due. Throws the run's error before any
  // write.
  void btnCalcClick();
  void btnInfoClick();
  void btExitClick();

 private:
  void TailClick(Tail tail, Field field);
  void EnterRunsCalculation(Field sender, char16_t key);
  void Apply(const Write& write);

  CalculatorControls& controls_;
  const SeparatorProvider& separators_;
};

}  // namespace ambrelix::ui
