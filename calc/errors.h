// The errors the calculation raises. Each carries the message the user sees
// (before the error display's full stop); the text is UTF-16, as the window's
// controls hold it.
#pragma once

#include <exception>
#include <string>
#include <string_view>

namespace ambrelix {

class CalcError : public std::exception {
 public:
  explicit CalcError(std::u16string message);
  const std::u16string& message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::u16string message_;
  std::string utf8_;
};

enum class FaultKind { DivisionByZero, InvalidOperation, Overflow };

std::u16string_view FaultMessage(FaultKind kind) noexcept;

class ArithmeticFault : public CalcError {
 public:
  explicit ArithmeticFault(FaultKind kind);
  FaultKind kind() const noexcept { return kind_; }

 private:
  FaultKind kind_;
};

// A field text that is not a number: "'<text>' is not a valid floating point value".
inline constexpr std::u16string_view kNotAValidNumberTail =
    u"' is not a valid floating point value";
class ConversionError : public CalcError {
 public:
  explicit ConversionError(std::u16string_view text);
};

// The tails switched on are longer than the tube they are cut from.
class TailsLongerThanTube : public CalcError {
 public:
  TailsLongerThanTube();
};

// The text the error box shows for a message: a full stop is appended when
// the last character sorts above '.', so "value" ends "value." and "ok." or
// "(see above)" are left alone.
std::u16string ErrorBoxText(std::u16string_view message);

}  // namespace ambrelix
