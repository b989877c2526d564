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

namespace {

std::u16string NotAValidNumber(std::u16string_view text) {
  std::u16string message;
  message.reserve(text.size() + kNotAValidNumberTail.size() + 1);
  message.push_back(u'\'');
  message.append(text);
  message.append(kNotAValidNumberTail);
  return message;
}

}  // namespace

ConversionError::ConversionError(std::u16string_view text) : CalcError(NotAValidNumber(text)) {}

TailsLongerThanTube::TailsLongerThanTube() : CalcError(u"The tails are longer than the tube") {}

std::u16string ErrorBoxText(std::u16string_view message) {
  std::u16string text(message);
  if (!text.empty() && text.back() > u'.') text.push_back(u'.');
  return text;
}

}  // namespace ambrelix
