// The entry field's rules against the in-memory text box. Box states are
// written with the caret as "|" ("12.|345") or the selection in brackets
// ("[0.000]", caret at its end).
#include "ui/numeric_edit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "calc/unicode.h"
#include "memory_text_box.h"

namespace ambrelix::ui::testing {
namespace {

constexpr NumberSeparators kPoint{u'.', u','};
constexpr NumberSeparators kComma{u',', u'.'};
constexpr NumberSeparators kCommaAndSpace{u',', u' '};

std::string Render(const std::u16string& text, TextSelection selection) {
  std::string out = Utf16ToUtf8(text);
  if (selection.start == selection.end) return out.insert(selection.start, "|");
  out.insert(selection.end, "]");
  return out.insert(selection.start, "[");
}

// A field over an in-memory box, with its notifications counted.
struct Rig {
  explicit Rig(std::string_view state = "0.000|", NumberSeparators locale = kPoint)
      : separators(locale) {
    box.Attach(field);
    field.OnChange = [this](TNumericEdit& sender) {
      EXPECT_EQ(&sender, &field);
      ++changes;
    };
    field.OnKeyPress = [this](TNumericEdit&, char16_t& key) {
      keyPresses += Utf16ToUtf8(std::u16string(1, key));
    };
    field.OnKeyDown = [this](TNumericEdit&, std::uint16_t&, ShiftState) { ++keyDowns; };
    Show(state);
  }

  // Puts a state into the box as a change from code.
  void Show(std::string_view state) {
    std::string text;
    TextSelection selection;
    for (char c : state) {
      if (c == '|') {
        selection.start = selection.end = text.size();
      } else if (c == '[') {
        selection.start = text.size();
      } else if (c == ']') {
        selection.end = text.size();
      } else {
        text += c;
      }
    }
    box.SetText(Utf8ToUtf16(text));
    box.Select(selection.start, selection.end);
  }

  void Type(std::string_view keys, bool ctrl = false) {
    for (char c : keys) field.CharTyped(static_cast<char16_t>(c), ctrl);
  }

  std::string State() const { return Render(box.Text(), box.Selection()); }

  FixedSeparators separators;
  MemoryTextBox box;
  TNumericEdit field{box, separators};
  int changes = 0;
  int keyDowns = 0;
  std::string keyPresses;
};

TEST(NumericEdit, StartsAsZeroInTheLocaleAndEnabled) {
  for (const NumberSeparators locale : {kPoint, kComma}) {
    FixedSeparators separators(locale);
    MemoryTextBox box;
    TNumericEdit field(box, separators);
    EXPECT_EQ(field.Text(), std::u16string(locale.decimal == u'.' ? u"0.000" : u"0,000"));
    EXPECT_TRUE(field.Enabled());
    EXPECT_EQ(field.BackgroundColor(), kWindowColor);
  }
}

struct TextWriteCase {
  NumberSeparators separators;
  const char* written;
  const char* shown;
};

TEST(NumericEdit, WritingTextShowsItNormalisedAndNotifiesOnlyWhenTheShownTextChanges) {
  const TextWriteCase cases[] = {
      {kPoint, "101", "101.000"},
      {kPoint, "4.2", "4.200"},
      {kPoint, "23.33", "23.330"},
      {kPoint, "", "0.000"},
      {kPoint, "1.23456", "1.235"},
      {kPoint, "0.0005", "0.001"},
      {kPoint, "-0.0004", "0.000"},
      {kPoint, "-2.5", "-2.500"},
      {kPoint, " 12 ", "12.000"},
      {kPoint, "1e3", "1000.000"},
      {kPoint, "1,234.5", "1234.500"},
      {kPoint, "4,2", "42.000"},
      {kPoint, "abc", "0.000"},
      {kPoint, ".", "0.000"},
      {kPoint, "-", "0.000"},
      {kPoint, "0.000", "0.000"},
      {kPoint, "1.2345", "1.235"},
      {kPoint, "1.5e20", "1.5E020"},
      {kPoint, "100000000000000000000", "1E020"},
      {kComma, "4.2", "42,000"},
      {kComma, "4,2", "4,200"},
      {kComma, "1.234,5", "1234,500"},
      {kComma, "0,000", "0,000"},
      {kCommaAndSpace, "4.2", "0,000"},
  };
  for (const TextWriteCase& c : cases) {
    SCOPED_TRACE(c.written);
    const char* before = c.separators.decimal == u'.' ? "0.000" : "0,000";
    Rig r(before, c.separators);
    r.field.SetModified(true);

    r.field.SetText(Utf8ToUtf16(c.written));

    EXPECT_EQ(Utf16ToUtf8(r.field.Text()), c.shown);
    EXPECT_EQ(r.changes, std::string(c.shown) == before ? 0 : 1);
    EXPECT_FALSE(r.field.Modified());
  }
}

TEST(NumericEdit, RewritingTheSameValueRaisesNothing) {
  Rig r;
  r.field.SetText(u"101");
  r.changes = 0;
  r.field.SetText(u"101.000");
  r.field.SetText(u"101");
  EXPECT_EQ(r.changes, 0);
}

struct TypingCase {
  NumberSeparators separators;
  const char* start;
  const char* keys;
  bool ctrl;
  const char* expected;
  int changes;
  const char* keyPresses;
};

TEST(NumericEdit, TypedCharactersFollowTheFilterRules) {
  const TypingCase cases[] = {
      // Typing over the whole text: that keystroke raises no OnChange, the next does.
      {kPoint, "[0.000]", "5", false, "5|", 0, "5"},
      {kPoint, "[0.000]", "50", false, "50|", 1, "50"},
      {kPoint, "[0.000]", ".", false, ".|", 0, "."},
      // The separator into an empty text gives "0." as a change from code.
      {kPoint, "|", ".", false, "0.|", 1, ""},
      {kComma, "|", ",", false, "0,|", 1, ""},
      // A second separator only moves the caret behind the first.
      {kPoint, "1|2.345", ".", false, "12.|345", 0, ""},
      {kComma, "1|2,345", ",", false, "12,|345", 0, ""},
      {kPoint, "1|2345", ".", false, "1.|2345", 1, "."},
      {kPoint, "1[2.3]4", ".", false, "1.|4", 1, "."},
      // Full decimals: digits overwrite, and none is added at the end.
      {kPoint, "12.|345", "9", false, "12.9|45", 1, "9"},
      {kPoint, "12.|345", "99", false, "12.99|5", 2, "99"},
      {kComma, "12,|345", "9", false, "12,9|45", 1, "9"},
      {kPoint, "12.345|", "9", false, "12.345|", 0, ""},
      {kPoint, "12.3|4", "5", false, "12.35|4", 1, "5"},
      {kPoint, "1|2.345", "6", false, "16|2.345", 1, "6"},
      // No sign, no exponent, no blanks, no thousand separator.
      {kPoint, "12|", "-+e ,", false, "12|", 0, ""},
      {kComma, "12|", ".", false, "12|", 0, ""},
      {kCommaAndSpace, "12|", ".", false, "12|", 0, ""},
      // Backspace.
      {kPoint, "[0.000]", "\b", false, "|", 1, "\b"},
      {kPoint, "5|", "\b", false, "|", 2, "\b"},
      {kPoint, "12|", "\b", false, "1|", 1, "\b"},
      {kPoint, "|12", "\b", false, "|12", 0, "\b"},
      // Enter is reported and never typed; Ctrl+M and Ctrl+Enter do nothing.
      {kPoint, "5.000|", "\r", false, "5.000|", 0, "\r"},
      {kPoint, "[5.000]", "\r", false, "[5.000]", 0, "\r"},
      {kPoint, "1|2", "\r", true, "1|2", 0, ""},
      {kPoint, "1|2", "\n", true, "1|2", 0, ""},
      // Ctrl+A selects all; the same code without Ctrl, and Ctrl+Z, are dropped.
      {kPoint, "1|2", "\x01", true, "[12]", 0, ""},
      {kPoint, "1|2", "\x01", false, "1|2", 0, ""},
      {kPoint, "1|2", "\x1a", true, "1|2", 0, ""},
      // Escape and Tab are reported and handed to the r.box.
      {kPoint, "1|2", "\x1b", false, "1|2", 0, "\x1b"},
      {kPoint, "5|", "\t", false, "5\t|", 1, "\t"},
  };
  for (const TypingCase& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " + " + c.keys);
    Rig r(c.start, c.separators);
    r.Type(c.keys, c.ctrl);
    EXPECT_EQ(r.State(), c.expected);
    EXPECT_EQ(r.changes, c.changes);
    EXPECT_EQ(r.keyPresses, c.keyPresses);
  }
}

TEST(NumericEdit, TypingMarksTheFieldModified) {
  Rig r("12|");
  r.Type("3");
  EXPECT_TRUE(r.field.Modified());
  Rig empty("|");
  empty.Type(".");
  EXPECT_TRUE(empty.field.Modified());
}

TEST(NumericEdit, BackspaceLeavesTheFieldModifiedEvenWhenItsHandlerRewritesTheText) {
  Rig r("5|");
  r.field.OnChange = [](TNumericEdit& sender) {
    if (sender.Text().empty()) sender.SetText(u"0");
  };
  r.Type("\b");
  EXPECT_EQ(r.field.Text(), u"0.000");
  EXPECT_TRUE(r.field.Modified());
}

TEST(NumericEdit, AKeystrokeDroppedOverTheWholeTextSilencesTheNextEdit) {
  for (const char* dropped : {"\r", "x", "-"}) {
    SCOPED_TRACE(dropped);
    Rig r("[5]");
    r.Type(dropped);
    r.box.Select(1, 1);
    r.Type("1");
    EXPECT_EQ(r.State(), "51|");
    EXPECT_EQ(r.changes, 0);
    r.Type("2");
    EXPECT_EQ(r.changes, 1);
  }
}

TEST(NumericEdit, WritesOfTextNeitherClearNorHonourTheBlockedNotification) {
  Rig r("[5]");
  r.Type("x");
  r.field.SetText(u"7");
  EXPECT_EQ(r.changes, 1);
  r.box.Select(0, 0);
  r.Type("1");
  EXPECT_EQ(r.State(), "1|7.000");
  EXPECT_EQ(r.changes, 1);
}

TEST(NumericEdit, AKeyPressHandlerMayReplaceOrCancelACharacterButNotEnter) {
  Rig r("|");
  r.field.OnKeyPress = [](TNumericEdit&, char16_t& key) {
    if (key == u'5') key = u'6';
    if (key == u'7' || key == u'\r') key = 0;
  };
  r.Type("57\r");
  EXPECT_EQ(r.State(), "6|");
}

struct KeyDownCase {
  const char* start;
  std::uint16_t key;
  ShiftState shift;
  const char* expected;
  int keyDowns;
  int changes;
};

TEST(NumericEdit, KeysGoingDown) {
  const KeyDownCase cases[] = {
      {"12|.5", kKeyUp, {}, "12|.5", 1, 0},
      {"12|.5", kKeyDown, {}, "12|.5", 1, 0},
      {"12|.5", kKeyLeft, {}, "1|2.5", 1, 0},
      {"12|.5", kKeyTab, {}, "12|.5", 0, 0},
      {"1|2.5", kKeyDelete, {}, "1|.5", 1, 1},
      // Shift+Delete cuts: the box reports the edit and the field the cut.
      {"[12].5", kKeyDelete, {.shift = true}, "|.5", 1, 2},
  };
  for (const KeyDownCase& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " key " + std::to_string(c.key));
    Rig r(c.start);
    r.field.KeyWentDown(c.key, c.shift);
    EXPECT_EQ(r.State(), c.expected);
    EXPECT_EQ(r.keyDowns, c.keyDowns);
    EXPECT_EQ(r.changes, c.changes);
  }
}

TEST(NumericEdit, DeleteMarksModifiedEvenWhenNothingIsDeleted) {
  Rig r("12|");
  r.field.KeyWentDown(kKeyDelete, {});
  EXPECT_EQ(r.State(), "12|");
  EXPECT_TRUE(r.field.Modified());
}

TEST(NumericEdit, EscapeRevertsToTheTextOfFocusGainSelectedAndNotifies) {
  Rig r("5.000|");
  r.field.FocusGained();
  r.Type("77");
  ASSERT_EQ(r.State(), "77|");
  ASSERT_EQ(r.changes, 1);

  r.field.KeyWentDown(kKeyEscape, {});

  EXPECT_EQ(r.State(), "[5.000]");
  EXPECT_EQ(r.changes, 2);
  EXPECT_FALSE(r.field.Modified());
  EXPECT_EQ(r.box.escapesPosted, 1);
  EXPECT_EQ(r.keyDowns, 1);
}

TEST(NumericEdit, EscapeRestoresTheFocusTextEvenAfterTheOwnerWroteAResult) {
  Rig r("5.000|");
  r.field.FocusGained();
  r.field.SetText(u"9");
  EXPECT_EQ(r.field.OrigText(), u"5.000");
  r.field.KeyWentDown(kKeyEscape, {});
  EXPECT_EQ(r.State(), "[5.000]");
}

TEST(NumericEdit, GainingTheFocusSelectsAllAndRemembersTheText) {
  Rig r("12.|5");
  r.field.FocusGained();
  EXPECT_EQ(r.State(), "[12.5]");
  EXPECT_EQ(r.field.OrigText(), u"12.5");
  EXPECT_EQ(r.field.FontColor(), TNumericEdit::FocusFontColor);
}

struct FocusLossCase {
  NumberSeparators separators;
  std::string text;
  const char* shown;
  int changes;
};

TEST(NumericEdit, LosingTheFocusReformatsThroughADouble) {
  const FocusLossCase cases[] = {
      {kPoint, "", "0.000", 1},
      {kPoint, "5", "5.000", 1},
      {kPoint, "5.000", "5.000", 0},
      {kPoint, ".", "0.000", 1},
      {kPoint, "-", "0.000", 1},
      {kPoint, "12.", "12.000", 1},
      // The double below the half rounds down, where the extended value would not.
      {kPoint, "1.2345", "1.234", 1},
      {kComma, "1,2345", "1,234", 1},
      {kComma, "5", "5,000", 1},
      // Beyond double's range the extended value is kept rather than lost.
      {kPoint, "1" + std::string(400, '0'), "1E400", 1},
  };
  for (const FocusLossCase& c : cases) {
    SCOPED_TRACE(c.text);
    Rig r(c.text + "|", c.separators);
    r.field.FocusGained();
    r.field.SetModified(false);
    r.field.FocusLost();
    EXPECT_EQ(Utf16ToUtf8(r.field.Text()), c.shown);
    EXPECT_EQ(r.changes, c.changes);
    EXPECT_FALSE(r.field.Modified());
  }
}

TEST(NumericEdit, LosingTheFocusKeepsTheModifiedMark) {
  Rig r("5|");
  r.field.FocusGained();
  r.Type("1");
  ASSERT_TRUE(r.field.Modified());
  r.field.FocusLost();
  EXPECT_EQ(r.field.Text(), u"1.000");
  EXPECT_TRUE(r.field.Modified());
}

// The owner's box over the window takes the focus and gives it back: no
// reformat, no new OrigText, no select-all; the hold ends with the box.
TEST(NumericEdit, AFocusHeldByTheOwnersBoxKeepsTextSelectionAndOrigText) {
  Rig r("4.200|");
  r.field.FocusGained();
  r.Type("5");
  ASSERT_EQ(r.changes, 0);
  r.field.SetFocusHeldByBox(true);
  r.field.FocusLost();
  r.field.FocusGained();
  r.field.SetFocusHeldByBox(false);
  EXPECT_EQ(r.State(), "5|");
  EXPECT_EQ(r.field.OrigText(), u"4.200");
  EXPECT_EQ(r.changes, 0);

  r.field.FocusLost();
  EXPECT_EQ(r.field.Text(), u"5.000");
}

struct PasteCase {
  NumberSeparators separators;
  const char* start;
  std::optional<std::u16string> clipboard;
  const char* expected;
  int changes;
};

TEST(NumericEdit, PasteChecksTheResultAndMovesTheSelectionEitherWay) {
  const PasteCase cases[] = {
      {kPoint, "[0.000]", u"7", "[7].000", 1},
      {kPoint, "[0.000]", u"-3", "[0.]000", 0},
      {kPoint, "[0.000]", u"1 2", "[0.0]00", 0},
      {kPoint, "[0.000]", u"abc", "[0.0]00", 0},
      {kPoint, "[0.000]", u"1e3", "[0.0]00", 0},
      {kPoint, "[0.000]", u"3.5\r\nmore", "[3.5]00", 1},
      {kPoint, "[0.000]", u"3.5\nmore", "[0.000]", 0},
      {kPoint, "[0.000]", u" 7 ", "[7.0]00", 1},
      {kPoint, "12|", u"3", "123|.000", 1},
      {kPoint, "1|2", u"", "1|2.000", 1},
      {kPoint, "12|", std::nullopt, "12|", 0},
      // Thousand separators: not first, and at least three positions apart.
      {kPoint, "[0.000]", u"1,234", "[1234.]000", 1},
      {kPoint, "[0.000]", u"1,23,4", "[1234.0]00", 1},
      {kPoint, "[0.000]", u",123", "[0.00]0", 0},
      {kPoint, "[0.000]", u"1,2,3", "[0.000]", 0},
      {kPoint, "[0.000]", u"1.2.3", "[0.000]", 0},
      {kPoint, "1|.000", u".5", "1.0|00", 0},
      {kComma, "[0,000]", u"3,5", "[3,5]00", 1},
      {kComma, "[0,000]", u"3.5", "[35,]000", 1},
      {kComma, "[0,000]", u"3,5,1", "[0,000]", 0},
  };
  for (const PasteCase& c : cases) {
    SCOPED_TRACE(std::string(c.start) + " + " + (c.clipboard ? Utf16ToUtf8(*c.clipboard) : "none"));
    Rig r(c.start, c.separators);
    r.box.clipboard = c.clipboard;
    r.field.SetModified(false);
    r.field.PasteRequested();
    EXPECT_EQ(r.State(), c.expected);
    EXPECT_EQ(r.changes, c.changes);
    EXPECT_EQ(r.field.Modified(), c.changes > 0);
  }
}

TEST(NumericEdit, EveryPasteRouteRunsThePasteRule) {
  Rig byCtrlV("[0.000]");
  byCtrlV.box.clipboard = u"-3";
  byCtrlV.Type("\x16", true);
  EXPECT_EQ(byCtrlV.State(), "[0.]000");
  Rig byShiftInsert("[0.000]");
  byShiftInsert.box.clipboard = u"-3";
  byShiftInsert.field.KeyWentDown(kKeyInsert, {.shift = true});
  EXPECT_EQ(byShiftInsert.State(), "[0.]000");
}

struct CutCase {
  const char* start;
  bool byCtrlX;
  const char* expected;
  int changes;
};

TEST(NumericEdit, EveryCutNotifiesOnceMoreThanTheBoxDoes) {
  const CutCase cases[] = {
      {"[12].5", true, "|.5", 2},
      {"[12].5", false, "|.5", 2},
      // Ctrl+X over the whole text silences the box's report.
      {"[12.5]", true, "|", 1},
      {"12|.5", false, "12|.5", 1},
  };
  for (const CutCase& c : cases) {
    SCOPED_TRACE(c.start);
    Rig r(c.start);
    if (c.byCtrlX)
      r.Type("\x18", true);
    else
      r.field.CutRequested();
    EXPECT_EQ(r.State(), c.expected);
    EXPECT_EQ(r.changes, c.changes);
  }
}

TEST(NumericEdit, DisablingTurnsTheBackgroundSilverAndEnablingRestoresIt) {
  Rig r;
  r.field.SetEnabled(false);
  EXPECT_FALSE(r.box.enabled());
  EXPECT_EQ(r.field.BackgroundColor(), kSilver);
  EXPECT_EQ(r.box.redraws, 1);

  r.field.SetEnabled(false);
  EXPECT_EQ(r.box.redraws, 1);

  EXPECT_EQ(r.changes, 0) << "enabling and disabling notify nothing";
  r.field.SetText(u"3");
  EXPECT_EQ(r.field.Text(), u"3.000");

  r.field.SetEnabled(true);
  EXPECT_TRUE(r.box.enabled());
  EXPECT_EQ(r.field.BackgroundColor(), kWindowColor);
  EXPECT_EQ(r.box.redraws, 2);
}

struct FloatReadCase {
  NumberSeparators separators;
  const char* text;
  double value;
};

TEST(NumericEdit, FloatValueIsTheLenientReadingAsADouble) {
  const FloatReadCase cases[] = {
      {kPoint, "", 0},
      {kPoint, "-", 0},
      {kPoint, "abc", 0},
      {kPoint, "1,234.5", 1234.5},
      {kPoint, "1.2345", 1.2345},
      {kPoint, "-2.5", -2.5},
      {kComma, "4,2", 4.2},
      {kComma, "4.2", 42},
      {kPoint, "1e400", std::numeric_limits<double>::infinity()},
  };
  for (const FloatReadCase& c : cases) {
    SCOPED_TRACE(c.text);
    Rig r(std::string(c.text) + "|", c.separators);
    EXPECT_EQ(r.field.FloatValue(), c.value);
  }
}

TEST(NumericEdit, WritingFloatValueShowsTheFixedFormAndMarksModified) {
  const std::pair<double, const char*> cases[] = {
      {2.5, "2.500"},
      {1e20, "1E020"},
      {-0.0, "0.000"},
      {std::numeric_limits<double>::quiet_NaN(), "0.000"},
      {std::numeric_limits<double>::infinity(), "0.000"},
  };
  for (const auto& [value, shown] : cases) {
    SCOPED_TRACE(shown);
    Rig r("7|");
    r.field.SetFloatValue(value);
    EXPECT_EQ(Utf16ToUtf8(r.field.Text()), shown);
    EXPECT_TRUE(r.field.Modified());
  }
}

TEST(NumericEdit, APressOnTheSelectionOfTheFocusedFieldBecomesAClick) {
  Rig r("12.5|");
  int clicks = 0;
  r.field.OnClick = [&](TNumericEdit&) { ++clicks; };
  EXPECT_TRUE(r.field.MouseWentDown(true)) << "the press that gives the focus goes to the box";

  r.field.FocusGained();
  EXPECT_FALSE(r.field.MouseWentDown(true));
  EXPECT_EQ(r.State(), "[12.5]");
  EXPECT_FALSE(r.field.MouseWentUp(2));
  EXPECT_EQ(r.State(), "12|.5");
  EXPECT_EQ(clicks, 1);

  EXPECT_TRUE(r.field.MouseWentDown(false));
  EXPECT_TRUE(r.field.MouseWentUp(1));
  EXPECT_EQ(clicks, 1);
}

TEST(NumericEdit, AnExceptionFromAHandlerLeavesTheField) {
  Rig r;
  r.field.OnChange = [](TNumericEdit&) { throw std::runtime_error("handler failed"); };
  EXPECT_THROW(r.field.SetText(u"5"), std::runtime_error);
  EXPECT_EQ(r.field.Text(), u"5.000");
}

}  // namespace
}  // namespace ambrelix::ui::testing
