// The calculator window's rules on a recording fake of its controls: eight
// real entry fields over in-memory text boxes, wired to the rules as the
// window wires them, and a log of every write, selection and box in order.
#include "ui/calculator_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "calc/errors.h"
#include "calc/unicode.h"
#include "memory_text_box.h"

namespace ambrelix::ui {
namespace {

using testing::MemoryTextBox;

constexpr std::array<Field, 8> kAllFields = {Field::A,  Field::N,  Field::D,  Field::P,
                                             Field::OD, Field::ID, Field::t1, Field::t2};

const char* FieldName(Field field) {
  static constexpr const char* kNames[] = {"edA",  "edN",  "edD",  "edP",
                                           "edOD", "edID", "edT1", "edT2"};
  return kNames[static_cast<std::size_t>(field)];
}

class RecordingControls final : public CalculatorControls {
 public:
  explicit RecordingControls(const SeparatorProvider& separators) {
    for (auto& field : fields_) {
      field = std::make_unique<FieldOnBox>(separators);
    }
  }

  // The window's wiring: every field's OnChange empties the totals, and
  // its OnKeyPress is its own key handler.
  void Wire(CalculatorRules& rules) {
    using KeyHandler = void (CalculatorRules::*)(char16_t&);
    static constexpr KeyHandler kKeyHandlers[] = {
        &CalculatorRules::edAKeyPress,  &CalculatorRules::edNKeyPress,
        &CalculatorRules::edDKeyPress,  &CalculatorRules::edPKeyPress,
        &CalculatorRules::edODKeyPress, &CalculatorRules::edIDKeyPress,
        &CalculatorRules::edT1KeyPress, &CalculatorRules::edT2KeyPress};
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      TNumericEdit& edit = fields_[i]->edit;
      edit.OnChange = [&rules](TNumericEdit&) { rules.ClearResults(); };
      edit.OnKeyPress = [&rules, handler = kKeyHandlers[i]](TNumericEdit&, char16_t& key) {
        (rules.*handler)(key);
      };
    }
  }

  TNumericEdit& edit(Field field) { return fields_[static_cast<std::size_t>(field)]->edit; }
  MemoryTextBox& box(Field field) { return fields_[static_cast<std::size_t>(field)]->box; }

  std::u16string FieldText(Field field) const override {
    return fields_[static_cast<std::size_t>(field)]->edit.Text();
  }
  void SetFieldText(Field field, std::u16string_view text) override {
    log.push_back(std::string(FieldName(field)) + "<-" + Utf16ToUtf8(text));
    edit(field).SetText(text);
  }
  void SetFieldEnabled(Field field, bool enabled) override { edit(field).SetEnabled(enabled); }
  void SelectAllText(Field field) override {
    log.push_back(std::string("select ") + FieldName(field));
    edit(field).SelectAll();
  }
  void SetCaption(Target label, std::u16string_view caption) override {
    log.push_back(std::string(TargetName(label)) + "=" + Utf16ToUtf8(caption));
    captions[static_cast<std::size_t>(label)] = caption;
  }
  int RadioIndex() const override { return radioIndex; }
  bool TailChecked(Tail tail) const override { return tailChecked[static_cast<std::size_t>(tail)]; }
  void ShowGapNotice() override { log.push_back("gap notice"); }
  void ShowAbout() override { log.push_back("About"); }
  void RequestClose() override { log.push_back("close"); }

  std::u16string Caption(Target label) const { return captions[static_cast<std::size_t>(label)]; }

  int radioIndex = 0;
  std::array<bool, 2> tailChecked = {false, false};
  std::vector<std::string> log;

 private:
  struct FieldOnBox {
    explicit FieldOnBox(const SeparatorProvider& separators) : edit(box, separators) {
      box.Attach(edit);
    }
    MemoryTextBox box;
    TNumericEdit edit;
  };

  std::array<std::unique_ptr<FieldOnBox>, 8> fields_;
  std::array<std::u16string, 18> captions;
};

// The rules over the fake, the fields holding the first-run coil.
struct Window {
  Window() {
    controls.Wire(rules);
    const char16_t* coil[] = {u"101", u"20", u"80", u"4.2", u"3.2", u"1.2", u"100", u"120"};
    for (std::size_t i = 0; i < kAllFields.size(); ++i)
      controls.edit(kAllFields[i]).SetText(coil[i]);
    controls.log.clear();
  }

  void Enter(Field field) { controls.edit(field).CharTyped(u'\r', false); }

  FixedSeparators separators{NumberSeparators{u'.', u','}};
  RecordingControls controls{separators};
  CalculatorRules rules{controls, separators};
};

std::string Joined(const std::vector<std::string>& log) {
  std::string all;
  for (const std::string& entry : log) all += entry + "; ";
  return all;
}

TEST(CalculatorRules, TheSolveModeEnablesEitherHeightOrTurns) {
  struct Case {
    int radioIndex;
    bool aEnabledBefore, nEnabledBefore;
    bool aEnabled, nEnabled;
  };
  for (const Case& c : {Case{0, false, true, true, false}, Case{1, true, false, false, true},
                        Case{0, true, true, true, false}, Case{1, true, true, false, true},
                        Case{-1, true, false, true, false}, Case{-1, false, true, false, true}}) {
    Window w;
    w.controls.edit(Field::A).SetEnabled(c.aEnabledBefore);
    w.controls.edit(Field::N).SetEnabled(c.nEnabledBefore);
    w.controls.radioIndex = c.radioIndex;
    w.rules.RadioGroup1Click();
    EXPECT_EQ(w.controls.edit(Field::A).Enabled(), c.aEnabled) << c.radioIndex;
    EXPECT_EQ(w.controls.edit(Field::N).Enabled(), c.nEnabled) << c.radioIndex;
    EXPECT_TRUE(w.controls.log.empty()) << "enabling writes nothing: " << Joined(w.controls.log);
  }
}

TEST(CalculatorRules, ATailBoxEnablesItsFieldWhileTickedAndEmptiesTheTotals) {
  struct Case {
    Tail tail;
    bool checked;
  };
  for (const Case& c :
       {Case{Tail::T1, true}, Case{Tail::T1, false}, Case{Tail::T2, true}, Case{Tail::T2, false}}) {
    Window w;
    const Field field = c.tail == Tail::T1 ? Field::t1 : Field::t2;
    const Field other = c.tail == Tail::T1 ? Field::t2 : Field::t1;
    w.controls.edit(field).SetEnabled(!c.checked);
    w.controls.tailChecked[static_cast<std::size_t>(c.tail)] = c.checked;
    (c.tail == Tail::T1 ? w.rules.chT1Click() : w.rules.chT2Click());
    EXPECT_EQ(w.controls.edit(field).Enabled(), c.checked);
    EXPECT_TRUE(w.controls.edit(other).Enabled()) << "the other tail's field stays as it was";
    EXPECT_EQ(Joined(w.controls.log), "lbTotalLength=; lbTotalVolume=; ");
  }
}

TEST(CalculatorRules, EveryFieldChangeEmptiesTheTotalsAndOnlyAChange) {
  for (const Field field : kAllFields) {
    Window w;
    w.controls.edit(field).SetText(u"7");
    EXPECT_EQ(Joined(w.controls.log), "lbTotalLength=; lbTotalVolume=; ") << FieldName(field);
    w.controls.log.clear();
    w.controls.edit(field).SetText(u"7.000");  // shows the same text: no change
    EXPECT_TRUE(w.controls.log.empty()) << FieldName(field);
  }
}

TEST(CalculatorRules, TheRunWritesEveryResultAndTheTotalsOutliveTheFieldRewrites) {
  Window w;
  w.rules.btnCalcClick();
  // edN and edP change their texts, which empties the totals; the totals
  // are written after them and stay.
  EXPECT_EQ(Joined(w.controls.log),
            "lbG=1.00; lbH=97.80; lbO=83.20; lbI=76.80; lbA2=101.00; lbG2=1.00; lbP2=4.20; "
            "lbID2=1.20; lbOD2=3.20; lbh2=97.80; lbI2=76.80; lbD2=80.00; lbO2=83.20; "
            "edN<-23.29; lbTotalLength=; lbTotalVolume=; edP<-4.20; "
            "lbTotalLength=5.853M; lbTotalVolume=6.62ml; ");
  EXPECT_EQ(w.controls.Caption(Target::lbTotalLength), u"5.853M");
  EXPECT_EQ(w.controls.Caption(Target::lbTotalVolume), u"6.62ml");
  EXPECT_EQ(w.controls.edit(Field::N).Text(), u"23.290");
  EXPECT_EQ(w.controls.edit(Field::P).Text(), u"4.200");
  EXPECT_EQ(w.controls.edit(Field::A).Text(), u"101.000") << "height mode does not write edA";
}

TEST(CalculatorRules, TheTurnsModeReadsTurnsWritesTheHeightAndTheTailsCount) {
  Window w;
  w.controls.radioIndex = 1;
  w.controls.tailChecked = {true, true};
  w.controls.box(Field::A).SetText(u"not read in this mode");
  w.rules.btnCalcClick();
  EXPECT_EQ(w.controls.log.front(), "edA<-87.20");
  EXPECT_EQ(w.controls.edit(Field::N).Text(), u"20.000") << "turns mode does not write edN";
  EXPECT_EQ(w.controls.Caption(Target::lbH), u"84.00");
  // 5.027 m of helix and 0.22 m of tails.
  EXPECT_EQ(w.controls.Caption(Target::lbTotalLength), u"5.247M");
}

TEST(CalculatorRules, TheGapNoticeComesAfterEveryWrite) {
  Window w;
  w.controls.edit(Field::P).SetText(u"3.2");  // P = OD: no gap
  w.controls.log.clear();
  w.rules.btnCalcClick();
  ASSERT_FALSE(w.controls.log.empty());
  EXPECT_EQ(w.controls.log.back(), "gap notice");
  EXPECT_EQ(w.controls.log[w.controls.log.size() - 2].rfind("lbTotalVolume=", 0), 0u);
  EXPECT_EQ(w.controls.Caption(Target::lbG), u"0.00");
}

TEST(CalculatorRules, AFailedRunChangesNothingAndShowsNoNotice) {
  struct Case {
    Field field;
    const char16_t* text;  // as the user left it in the box
    const char* message;
  };
  for (const Case& c : {Case{Field::P, u"0", "Floating point division by zero"},
                        Case{Field::D, u"", "'' is not a valid floating point value"},
                        Case{Field::t2, u"x", "'x' is not a valid floating point value"}}) {
    Window w;
    w.rules.btnCalcClick();  // a good run's results on show
    w.controls.box(c.field).SetText(c.text);
    w.controls.log.clear();
    try {
      w.rules.btnCalcClick();
      ADD_FAILURE() << c.message;
    } catch (const CalcError& e) {
      EXPECT_EQ(Utf16ToUtf8(e.message()), c.message);
    }
    EXPECT_TRUE(w.controls.log.empty()) << Joined(w.controls.log);
    EXPECT_EQ(w.controls.Caption(Target::lbTotalLength), u"5.853M");
  }
}

TEST(CalculatorRules, EnterInEachFieldRunsTheCalculationThenSelectsThatField) {
  for (const Field field : kAllFields) {
    Window w;
    w.controls.radioIndex = field == Field::N ? 1 : 0;
    w.Enter(field);
    ASSERT_GE(w.controls.log.size(), 2u) << FieldName(field);
    EXPECT_EQ(w.controls.log.back(), std::string("select ") + FieldName(field));
    EXPECT_EQ(w.controls.log[w.controls.log.size() - 2].rfind("lbTotalVolume=", 0), 0u)
        << FieldName(field);
    const TextSelection all = {0, w.controls.edit(field).Text().size()};
    EXPECT_EQ(w.controls.box(field).Selection(), all) << FieldName(field);
  }
}

TEST(CalculatorRules, EnterAfterAFailedRunSelectsNothing) {
  Window w;
  w.controls.box(Field::P).SetText(u"0");
  EXPECT_THROW(w.Enter(Field::P), CalcError);
  EXPECT_TRUE(w.controls.log.empty()) << Joined(w.controls.log);
}

TEST(CalculatorRules, OtherKeysAndNoSolveModeRunNothing) {
  Window w;
  char16_t key = u'5';
  w.rules.edDKeyPress(key);
  EXPECT_TRUE(w.controls.log.empty());

  w.controls.radioIndex = -1;
  w.controls.box(Field::D).SetText(u"");  // would fail if it were read
  w.rules.btnCalcClick();
  w.Enter(Field::D);
  EXPECT_EQ(Joined(w.controls.log), "select edD; ");
}

TEST(CalculatorRules, AboutAndExitAskTheWindow) {
  Window w;
  w.rules.btnInfoClick();
  w.rules.btExitClick();
  EXPECT_EQ(Joined(w.controls.log), "About; close; ");
}

}  // namespace
}  // namespace ambrelix::ui
