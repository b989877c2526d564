#include "ui/calculator_rules.h"

#include <cstddef>
#include <optional>

namespace ambrelix::ui {
namespace {

// The field each of a request's texts comes from.
constexpr Field kFieldOfInput[kRunInputCount] = {Field::D,  Field::P,  Field::A,  Field::N,
                                                 Field::OD, Field::ID, Field::t1, Field::t2};

}  // namespace

void CalculatorRules::RadioGroup1Click() {
  if (controls_.RadioIndex() == 0) {
    controls_.SetFieldEnabled(Field::A, true);
    controls_.SetFieldEnabled(Field::N, false);
  }
  if (controls_.RadioIndex() == 1) {
    controls_.SetFieldEnabled(Field::A, false);
    controls_.SetFieldEnabled(Field::N, true);
  }
}

void CalculatorRules::chT1Click() { TailClick(Tail::T1, Field::t1); }
void CalculatorRules::chT2Click() { TailClick(Tail::T2, Field::t2); }

void CalculatorRules::TailClick(Tail tail, Field field) {
  controls_.SetFieldEnabled(field, controls_.TailChecked(tail));
  ClearResults();
}

void CalculatorRules::ClearResults() {
  controls_.SetCaption(Target::lbTotalLength, u"");
  controls_.SetCaption(Target::lbTotalVolume, u"");
}

void CalculatorRules::EnterRunsCalculation(Field sender, char16_t key) {
  if (key != u'\r') return;
  // A click on btnCalc: its click handler is the run.
  btnCalcClick();
  controls_.SelectAllText(sender);
}

void CalculatorRules::edAKeyPress(char16_t& Key) { EnterRunsCalculation(Field::A, Key); }
void CalculatorRules::edNKeyPress(char16_t& Key) { EnterRunsCalculation(Field::N, Key); }
void CalculatorRules::edDKeyPress(char16_t& Key) { EnterRunsCalculation(Field::D, Key); }
void CalculatorRules::edPKeyPress(char16_t& Key) { EnterRunsCalculation(Field::P, Key); }
void CalculatorRules::edODKeyPress(char16_t& Key) { EnterRunsCalculation(Field::OD, Key); }
void CalculatorRules::edIDKeyPress(char16_t& Key) { EnterRunsCalculation(Field::ID, Key); }
void CalculatorRules::edT1KeyPress(char16_t& Key) { EnterRunsCalculation(Field::t1, Key); }
void CalculatorRules::edT2KeyPress(char16_t& Key) { EnterRunsCalculation(Field::t2, Key); }

void CalculatorRules::btnCalcClick() {
  CalculationRequest request;
  if (controls_.RadioIndex() == 0) request.mode = SolveMode::HeightGiven;
  if (controls_.RadioIndex() == 1) request.mode = SolveMode::TurnsGiven;
  for (const RunInput input : kRunInputs)
    request.text(input) = controls_.FieldText(kFieldOfInput[static_cast<std::size_t>(input)]);
  request.withT1 = controls_.TailChecked(Tail::T1);
  request.withT2 = controls_.TailChecked(Tail::T2);

  const std::optional<CalculationOutcome> outcome = RunCalculation(request, separators_);
  if (!outcome) return;
  for (const Write& write : ResultWrites(*outcome)) Apply(write);
  if (outcome->gapWarning) controls_.ShowGapNotice();
}

void CalculatorRules::Apply(const Write& write) {
  switch (write.target) {
    case Target::edA:
      return controls_.SetFieldText(Field::A, write.text);
    case Target::edN:
      return controls_.SetFieldText(Field::N, write.text);
    case Target::edP:
      return controls_.SetFieldText(Field::P, write.text);
    default:
      return controls_.SetCaption(write.target, write.text);
  }
}

void CalculatorRules::btnInfoClick() { controls_.ShowAbout(); }

void CalculatorRules::btExitClick() { controls_.RequestClose(); }

}  // namespace ambrelix::ui
