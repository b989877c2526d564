// The calculator window's controls as the settings store sees them. Every
// setter behaves as the window's own controls do for a change made from
// code: a field's text is normalised and notifies on change, the radio index
// is clamped to -1..1 and runs the click handler only when an item becomes
// selected, a check box runs its click handler when its state changes, and
// enabling a field notifies nothing.
#pragma once

#include <string>
#include <string_view>

namespace ambrelix::settings {

// The eight entry fields, in the order the store reads and writes them.
enum class Field { A, N, D, P, OD, ID, t1, t2 };
inline constexpr Field kFields[] = {Field::A,  Field::N,  Field::D,  Field::P,
                                    Field::OD, Field::ID, Field::t1, Field::t2};

enum class Tail { T1, T2 };

class SettingsControls {
 public:
  virtual std::u16string FieldText(Field field) const = 0;
  virtual void SetFieldText(Field field, std::u16string_view text) = 0;

  virtual int RadioIndex() const = 0;  // -1 while no item is selected
  virtual void SetRadioIndex(int index) = 0;

  virtual bool TailChecked(Tail tail) const = 0;
  virtual void SetTailChecked(Tail tail, bool checked) = 0;

  virtual bool TailFieldEnabled(Tail tail) const = 0;
  virtual void SetTailFieldEnabled(Tail tail, bool enabled) = 0;

 protected:
  ~SettingsControls() = default;
};

}  // namespace ambrelix::settings
