#include "calc/errors.h"

#include "calc/unicode.h"

namespace ambrelix {

CalcError::CalcError(std::u16string message)
    : message_(std::move(message)), utf8_(Utf16ToUtf8(message_)) {}

std::u16string_view FaultMessage(FaultKind kind) noexcept {
  switch (kind) {
    case FaultKind::DivisionByZero:
      return u"Floating point division by zero";
    case FaultKind::InvalidOperation:
      return u"Invalid floating point operation";
    case FaultKind::Overflow:
      return u"Floating point overflow";
  }
  return u"Invalid floating point operation";
}

ArithmeticFault::ArithmeticFault(FaultKind kind)
    : CalcError(std::u16string(FaultMessage(kind))), kind_(kind) {}

ConversionError::ConversionError(std::u16string_view text)
    : CalcError(u"'" + std::u16string(text) + u"' is not a valid floating point value") {}

std::u16string ErrorBoxText(std::u16string_view message) {
  std::u16string text(message);
  if (!text.empty() && text.back() > u'.') text.push_back(u'.');
  return text;
}

}  // namespace ambrelix
