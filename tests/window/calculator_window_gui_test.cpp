// The calculator window on the screen under Wine, hosted as Ambrelix.exe
// hosts it and driven with real keyboard and mouse input: the results of a
// run in every label and field, the gap notice, the error box, the rules for
// changes made from code, the tab order, the layout and what the screen shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "calc/calculation_run.h"
#include "calc/unicode.h"
#include "form_host_win32.h"

#ifndef AMBRELIX_EXPECT_VISUAL_STYLES
#error "Build with AMBRELIX_EXPECT_VISUAL_STYLES=1 (comctl32 6 manifest) or 0"
#endif

namespace ambrelix::testing {
namespace {

using settings::Field;
using settings::Tail;
using ui::TForm1;
using Texts = std::map<std::string, std::string>;

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

// What the window shows wherever a run writes, read from the controls.
Texts Shown(TForm1& f) {
  const std::pair<const char*, HWND> places[] = {{"edA", f.edA.hwnd()},
                                                 {"edN", f.edN.hwnd()},
                                                 {"edP", f.edP.hwnd()},
                                                 {"lbG", f.lbG.hwnd()},
                                                 {"lbH", f.lbH.hwnd()},
                                                 {"lbO", f.lbO.hwnd()},
                                                 {"lbI", f.lbI.hwnd()},
                                                 {"lbA2", f.lbA2.hwnd()},
                                                 {"lbG2", f.lbG2.hwnd()},
                                                 {"lbP2", f.lbP2.hwnd()},
                                                 {"lbID2", f.lbID2.hwnd()},
                                                 {"lbOD2", f.lbOD2.hwnd()},
                                                 {"lbh2", f.lbh2.hwnd()},
                                                 {"lbI2", f.lbI2.hwnd()},
                                                 {"lbD2", f.lbD2.hwnd()},
                                                 {"lbO2", f.lbO2.hwnd()},
                                                 {"lbTotalLength", f.lbTotalLength.hwnd()},
                                                 {"lbTotalVolume", f.lbTotalVolume.hwnd()}};
  Texts texts;
  for (const auto& [name, window] : places) texts[name] = U8(TextOf(window));
  return texts;
}

void ExpectShown(TForm1& f, const Texts& expected) {
  const Texts shown = Shown(f);
  for (const auto& [name, text] : expected) EXPECT_EQ(shown.at(name), text) << name;
}

// D 80, P 4.2, A 101, OD 3.2, ID 1.2, overall height given, no tails.
const Texts kDefaultCoil = {{"lbG", "1.00"},
                            {"lbH", "97.80"},
                            {"lbO", "83.20"},
                            {"lbI", "76.80"},
                            {"lbA2", "101.00"},
                            {"lbG2", "1.00"},
                            {"lbP2", "4.20"},
                            {"lbID2", "1.20"},
                            {"lbOD2", "3.20"},
                            {"lbh2", "97.80"},
                            {"lbI2", "76.80"},
                            {"lbD2", "80.00"},
                            {"lbO2", "83.20"},
                            {"edA", "101.000"},
                            {"edN", "23.290"},
                            {"edP", "4.200"},
                            {"lbTotalLength", "5.853M"},
                            {"lbTotalVolume", "6.62ml"}};

struct Selection {
  DWORD start = 0;
  DWORD end = 0;
  bool operator==(const Selection&) const = default;
};

Selection SelectionOf(HWND edit) {
  Selection s;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s.start),
               reinterpret_cast<LPARAM>(&s.end));
  return s;
}

bool Near(COLORREF shown, int r, int g, int b, int tolerance) {
  return std::abs(GetRValue(shown) - r) <= tolerance &&
         std::abs(GetGValue(shown) - g) <= tolerance && std::abs(GetBValue(shown) - b) <= tolerance;
}

std::string Rgb(COLORREF c) {
  char text[16];
  std::snprintf(text, sizeof text, "(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// Dark pixels (ink) the screen shows in a rectangle of the window's client area.
int InkIn(HWND window, RECT area) {
  int ink = 0;
  for (LONG y = area.top; y < area.bottom; ++y)
    for (LONG x = area.left; x < area.right; ++x) {
      const COLORREF c = ShownAt(window, {x, y});
      ink += GetRValue(c) < 160 && GetGValue(c) < 160;
    }
  return ink;
}

void ExpectErrorBox(const ShownBox& box, std::u16string_view text) {
  EXPECT_EQ(U8(box.caption), "Ambrelix");
  EXPECT_EQ(U8(box.text), U8(text));
  EXPECT_EQ(box.buttons, std::vector<std::u16string>{u"OK"});
  EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_ERROR));
}

// The tests type "." as the decimal separator unless they say otherwise;
// set before the window loads the user's separators.
struct PointAsDecimalSeparator {
  PointAsDecimalSeparator() {
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L".");
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, L",");
  }
};

class CalculatorWindow : public ::testing::Test {
 protected:
  void TearDown() override {
    for (const ShownBox& box : host.Boxes())
      ADD_FAILURE() << "box not expected: " << U8(box.caption) << ": " << U8(box.text);
  }

  // The user picks "Overall Height (A)" and types the coil, ending in edID.
  void TypeDefaultCoil() {
    host.ClickCentre(f.RadioGroup1.item(0));
    host.Retype(f.edA, "101");
    host.Retype(f.edD, "80");
    host.Retype(f.edP, "4.2");
    host.Retype(f.edOD, "3.2");
    host.Retype(f.edID, "1.2");
  }

  ShownBox OnlyBox() {
    std::vector<ShownBox> boxes = host.Boxes();
    EXPECT_EQ(boxes.size(), 1u);
    return boxes.empty() ? ShownBox{} : boxes.front();
  }

  UserSeparatorsRestored restored;
  PointAsDecimalSeparator point;
  FormHost host;
  TForm1& f = host.form;
};

TEST_F(CalculatorWindow, TheDefaultCoilTypedAndEnteredShowsEveryResult) {
  TypeDefaultCoil();
  host.Key(VK_RETURN);

  ExpectShown(f, kDefaultCoil);
  EXPECT_EQ(GetFocus(), f.edID.hwnd());
  EXPECT_EQ(f.edID.field().Text(), u"1.2") << "the run does not write edID";
  EXPECT_EQ(SelectionOf(f.edID.hwnd()), (Selection{0, 3})) << "Enter selects the field's text";
}

TEST_F(CalculatorWindow, EnterWithNoSolveModeChangesNothingAndStillSelectsTheText) {
  host.Retype(f.edD, "80");
  const Texts before = Shown(f);

  host.Key(VK_RETURN);

  EXPECT_EQ(Shown(f), before);
  EXPECT_EQ(SelectionOf(f.edD.hwnd()), (Selection{0, 2}));
}

TEST_F(CalculatorWindow, TickedTailsCountAndTogglingATailEmptiesOnlyTheTotals) {
  TypeDefaultCoil();
  host.Key(VK_RETURN);

  host.ClickCentre(f.chT1.hwnd());
  EXPECT_TRUE(IsWindowEnabled(f.edT1.hwnd()));
  ExpectShown(f,
              {{"lbTotalLength", ""}, {"lbTotalVolume", ""}, {"lbG", "1.00"}, {"lbD2", "80.00"}});

  host.Retype(f.edT1, "100");
  host.ClickCentre(f.chT2.hwnd());
  host.Retype(f.edT2, "120");
  host.Key(VK_RETURN);
  ExpectShown(f, {{"lbTotalLength", "6.073M"}, {"lbTotalVolume", "6.87ml"}});

  host.ClickCentre(f.chT1.hwnd());
  host.ClickCentre(f.chT2.hwnd());
  EXPECT_FALSE(IsWindowEnabled(f.edT1.hwnd()));
  EXPECT_FALSE(IsWindowEnabled(f.edT2.hwnd()));
  host.ClickCentre(f.btnCalc.hwnd());
  ExpectShown(f, {{"lbTotalLength", "5.853M"}, {"lbTotalVolume", "6.62ml"}});
}

TEST_F(CalculatorWindow, TurnsGivenComputesTheOverallHeightIntoItsField) {
  host.ClickCentre(f.RadioGroup1.item(1));
  EXPECT_FALSE(IsWindowEnabled(f.edA.hwnd()));
  EXPECT_TRUE(IsWindowEnabled(f.edN.hwnd()));
  host.Retype(f.edN, "20");
  host.Retype(f.edD, "80");
  host.Retype(f.edP, "4.2");
  host.Retype(f.edOD, "3.2");
  host.Retype(f.edID, "1.2");
  host.Key(VK_RETURN);

  ExpectShown(f, {{"edA", "87.200"},
                  {"lbA2", "87.20"},
                  {"lbH", "84.00"},
                  {"lbTotalLength", "5.027M"},
                  {"lbTotalVolume", "5.69ml"}});
}

TEST_F(CalculatorWindow, SwitchingTheSolveModeKeepsEveryResult) {
  TypeDefaultCoil();
  host.ClickCentre(f.btnCalc.hwnd());

  host.ClickCentre(f.RadioGroup1.item(1));
  EXPECT_FALSE(IsWindowEnabled(f.edA.hwnd()));
  EXPECT_TRUE(IsWindowEnabled(f.edN.hwnd()));
  ExpectShown(f, kDefaultCoil);

  host.ClickCentre(f.RadioGroup1.item(1));  // the item already selected
  ExpectShown(f, kDefaultCoil);
}

TEST_F(CalculatorWindow, TypingAfterEnterKeepsTheTotalsForOneKeystroke) {
  TypeDefaultCoil();
  SetFocus(f.edP.hwnd());
  host.Pump();
  host.Key(VK_RETURN);
  ASSERT_EQ(SelectionOf(f.edP.hwnd()), (Selection{0, 5}));

  host.Type("5");
  ExpectShown(f, {{"lbTotalLength", "5.853M"}, {"lbTotalVolume", "6.62ml"}});
  host.Type("0");
  ExpectShown(f, {{"lbTotalLength", ""}, {"lbTotalVolume", ""}, {"lbG", "1.00"}});
}

struct NoticeCase {
  const char* pitch;
  const char* gap;
  const char* length;
  const char* volume;
};

TEST_F(CalculatorWindow, NoticeWhenThePitchLeavesNoGapComesOverTheWrittenResults) {
  const NoticeCase cases[] = {{"3.2", "0.00", "7.682M", "8.69ml"},
                              {"2.2", "-1.00", "11.173M", "12.64ml"}};
  TypeDefaultCoil();
  for (const NoticeCase& c : cases) {
    SCOPED_TRACE(c.pitch);
    host.Retype(f.edP, c.pitch);
    host.Key(VK_RETURN);

    const ShownBox box = OnlyBox();
    EXPECT_EQ(U8(box.caption), "Information");
    EXPECT_EQ(U8(box.text), U8(kGapWarningText));
    EXPECT_EQ(box.buttons, std::vector<std::u16string>{u"OK"});
    EXPECT_EQ(box.defaultButton, IDOK);
    EXPECT_NE(box.icon, nullptr);
    if (!AMBRELIX_EXPECT_VISUAL_STYLES) {
      EXPECT_EQ(box.icon, LoadIconW(nullptr, IDI_INFORMATION));
    } else {
      // The task-dialog box, centred in the work area of the window's monitor.
      MONITORINFO monitor = {};
      monitor.cbSize = sizeof monitor;
      GetMonitorInfoW(MonitorFromWindow(f.hwnd(), MONITOR_DEFAULTTONEAREST), &monitor);
      const RECT& work = monitor.rcWork;
      EXPECT_NEAR((box.rect.left + box.rect.right) / 2, (work.left + work.right) / 2, 1);
      EXPECT_NEAR((box.rect.top + box.rect.bottom) / 2, (work.top + work.bottom) / 2, 1);
    }
    ExpectShown(f, {{"lbG", c.gap},
                    {"lbG2", c.gap},
                    {"lbTotalLength", c.length},
                    {"lbTotalVolume", c.volume}});
  }
}

struct ErrorCase {
  const char* name;
  std::vector<std::pair<ui::NumericEditWindow TForm1::*, const char*>> typed;
  const char16_t* message;
};

TEST_F(CalculatorWindow, AnArithmeticErrorIsShownAndChangesNothing) {
  const ErrorCase cases[] = {
      {"P = 0", {{&TForm1::edP, "0"}}, u"Floating point division by zero."},
      {"P = 0 and A = OD",
       {{&TForm1::edP, "0"}, {&TForm1::edA, "3.2"}},
       u"Invalid floating point operation."},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    TypeDefaultCoil();
    host.Key(VK_RETURN);
    for (const auto& [field, text] : c.typed) host.Retype(f.*field, text);
    // Calculate takes the focus first, and the field reformats its text.
    SetFocus(f.btnCalc.hwnd());
    host.Pump();
    const Texts before = Shown(f);

    host.ClickCentre(f.btnCalc.hwnd());

    ExpectErrorBox(OnlyBox(), c.message);
    EXPECT_EQ(Shown(f), before);
  }
}

// The gap notice and the error box take the focus from the field Enter was
// pressed in: the field neither reformats its text (which would empty the
// totals) nor takes its text anew and selects it when the focus comes back.
TEST_F(CalculatorWindow, TheFieldsFocusStaysAsTheRunLeftItWhileItsBoxIsShown) {
  // The notice, with ID typed as "1.2" and P = OD.
  TypeDefaultCoil();
  host.Retype(f.edP, "3.2");
  host.Retype(f.edID, "1.2");
  host.Key(VK_RETURN);
  EXPECT_EQ(U8(OnlyBox().caption), "Information");
  ExpectShown(f, {{"lbTotalLength", "7.682M"}, {"lbTotalVolume", "8.69ml"}});
  EXPECT_EQ(GetFocus(), f.edID.hwnd());
  EXPECT_EQ(f.edID.field().Text(), u"1.2");
  EXPECT_EQ(f.edID.field().OrigText(), u"1.200") << "taken when the user entered the field";
  EXPECT_EQ(SelectionOf(f.edID.hwnd()), (Selection{0, 3})) << "Enter selects the field's text";

  // The error box, with P typed as "0" after a run.
  host.Retype(f.edP, "4.2");
  host.Key(VK_RETURN);
  host.Retype(f.edP, "0");
  const Texts before = Shown(f);
  ASSERT_EQ(before.at("lbTotalLength"), "5.853M");
  host.Key(VK_RETURN);
  ExpectErrorBox(OnlyBox(), u"Floating point division by zero.");
  EXPECT_EQ(Shown(f), before);
  EXPECT_EQ(GetFocus(), f.edP.hwnd());
  EXPECT_EQ(f.edP.field().OrigText(), u"3.200") << "taken when the user entered the field";
  EXPECT_EQ(SelectionOf(f.edP.hwnd()), (Selection{1, 1})) << "the caret behind the typed 0";

  // Other focus changes reformat as before.
  host.Key(VK_TAB);
  EXPECT_EQ(f.edP.field().Text(), u"0.000");
  ExpectShown(f, {{"lbTotalLength", ""}, {"lbTotalVolume", ""}});
}

TEST_F(CalculatorWindow, EnterInAnEmptyFieldReportsTheEmptyText) {
  TypeDefaultCoil();
  SetFocus(f.edA.hwnd());
  host.Pump();
  host.Key(VK_BACK);
  ASSERT_EQ(f.edA.field().Text(), u"");

  host.Key(VK_RETURN);

  ExpectErrorBox(OnlyBox(), u"'' is not a valid floating point value.");
  EXPECT_EQ(Shown(f).at("lbG"), "0.0");
}

struct FirstInvalidCase {
  int mode;
  const char* reported;
  Field fix;  // then written anew in the new locale
  const char16_t* value;
};

// With "," as decimal separator every text written with "." stops the run;
// the fields are put right one by one from code, and each run reports the
// first one still wrong in reading order: D, P, A or n, OD, ID, t1, t2.
TEST_F(CalculatorWindow, OnlyTheFirstFieldThatDoesNotReadIsReported) {
  const std::pair<Field, const char16_t*> texts[] = {
      {Field::A, u"101"},  {Field::N, u"20"},   {Field::D, u"80"},   {Field::P, u"4.2"},
      {Field::OD, u"3.2"}, {Field::ID, u"1.2"}, {Field::t1, u"100"}, {Field::t2, u"120"}};
  for (const auto& [field, text] : texts) f.SetFieldText(field, text);
  f.SetTailFieldEnabled(Tail::T1, false);
  f.SetTailFieldEnabled(Tail::T2, false);
  SetUserSeparators(L",", L".", f.hwnd());

  const FirstInvalidCase cases[] = {
      {0, "'80.000'", Field::D, u"80"},    {0, "'4.200'", Field::P, u"4,2"},
      {0, "'101.000'", Field::A, u"101"},  {1, "'20.000'", Field::N, u"20"},
      {1, "'3.200'", Field::OD, u"3,2"},   {1, "'1.200'", Field::ID, u"1,2"},
      {1, "'100.000'", Field::t1, u"100"}, {1, "'120.000'", Field::t2, u"120"},
  };
  for (const FirstInvalidCase& c : cases) {
    SCOPED_TRACE(c.reported);
    f.SetRadioIndex(c.mode);
    host.ClickCentre(f.btnCalc.hwnd());
    ExpectErrorBox(OnlyBox(),
                   Utf8ToUtf16(std::string(c.reported) + " is not a valid floating point value."));
    f.SetFieldText(c.fix, c.value);
  }

  host.ClickCentre(f.btnCalc.hwnd());
  ExpectShown(f, {{"edA", "87,200"}, {"lbH", "84,00"}, {"lbTotalLength", "5,027M"}});
}

TEST_F(CalculatorWindow, TheRegionalDecimalSeparatorIsTakenFromTheSettingsChange) {
  SetUserSeparators(L",", L".", f.hwnd());
  // The tails' design texts were written with "."; each is written anew.
  f.SetFieldText(Field::t1, u"0");
  f.SetFieldText(Field::t2, u"0");
  host.ClickCentre(f.RadioGroup1.item(0));
  host.Retype(f.edA, "101");
  host.Retype(f.edD, "80");
  host.Retype(f.edP, "4,2");
  host.Retype(f.edOD, "3,2");
  host.Retype(f.edID, "1,2");
  host.Key(VK_RETURN);
  ExpectShown(f, {{"lbG", "1,00"},
                  {"edP", "4,200"},
                  {"lbTotalLength", "5,853M"},
                  {"lbTotalVolume", "6,62ml"}});

  SetUserSeparators(L".", L",", f.hwnd());
  host.ClickCentre(f.btnCalc.hwnd());
  ExpectErrorBox(OnlyBox(), u"'80,000' is not a valid floating point value.");
}

TEST_F(CalculatorWindow, DesignValuesAndFieldTextsFromCodeNotifyOnlyOnChange) {
  for (HWND edit : {f.edA.hwnd(), f.edN.hwnd(), f.edD.hwnd(), f.edP.hwnd(), f.edOD.hwnd(),
                    f.edID.hwnd(), f.edT1.hwnd(), f.edT2.hwnd()}) {
    EXPECT_EQ(U8(TextOf(edit)), "0.000");
    EXPECT_TRUE(IsWindowEnabled(edit));
  }
  EXPECT_EQ(f.RadioIndex(), -1);
  EXPECT_FALSE(f.TailChecked(Tail::T1));
  ExpectShown(f, {{"lbG", "0.0"},
                  {"lbI", "0.0"},
                  {"lbA2", ""},
                  {"lbTotalLength", "0"},
                  {"lbTotalVolume", "0"}});

  f.SetFieldText(Field::D, u"0");
  ExpectShown(f, {{"lbTotalLength", "0"}});  // the same text notifies nothing
  f.SetFieldText(Field::D, u"80");
  EXPECT_EQ(f.FieldText(Field::D), u"80.000");
  ExpectShown(f, {{"lbTotalLength", ""}, {"lbTotalVolume", ""}});

  f.lbTotalLength.SetCaption(u"x");
  f.SetFieldText(Field::D, u"80.000");
  f.SetFieldText(Field::D, u"80");
  ExpectShown(f, {{"lbTotalLength", "x"}});
}

TEST_F(CalculatorWindow, ARadioIndexFromCodeIsClampedAndNotifiesOnlyWhenAnItemIsSelected) {
  f.SetRadioIndex(5);
  EXPECT_EQ(f.RadioIndex(), 1);
  EXPECT_EQ(SendMessageW(f.RadioGroup1.item(1), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(f.edA.hwnd()));
  EXPECT_TRUE(IsWindowEnabled(f.edN.hwnd()));

  f.edA.field().SetEnabled(true);
  f.SetRadioIndex(1);
  EXPECT_TRUE(IsWindowEnabled(f.edA.hwnd())) << "an unchanged index runs nothing";

  f.edA.field().SetEnabled(false);
  f.SetRadioIndex(-3);
  EXPECT_EQ(f.RadioIndex(), -1);
  EXPECT_EQ(SendMessageW(f.RadioGroup1.item(1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_FALSE(IsWindowEnabled(f.edA.hwnd())) << "clearing the selection runs nothing";

  f.SetRadioIndex(0);
  EXPECT_TRUE(IsWindowEnabled(f.edA.hwnd()));
  EXPECT_FALSE(IsWindowEnabled(f.edN.hwnd()));
  ExpectShown(f, {{"lbTotalLength", "0"}});
}

TEST_F(CalculatorWindow, ATailBoxFromCodeRunsItsClickOnlyOnAChangeAndEnablingRunsNothing) {
  f.SetTailFieldEnabled(Tail::T1, false);
  f.lbTotalLength.SetCaption(u"x");
  f.SetTailChecked(Tail::T1, false);
  ExpectShown(f, {{"lbTotalLength", "x"}});

  f.SetTailChecked(Tail::T1, true);
  EXPECT_TRUE(f.TailFieldEnabled(Tail::T1));
  ExpectShown(f, {{"lbTotalLength", ""}, {"lbTotalVolume", ""}});

  f.lbTotalLength.SetCaption(u"x");
  f.SetTailChecked(Tail::T1, true);
  f.SetTailFieldEnabled(Tail::T1, false);
  EXPECT_TRUE(f.TailChecked(Tail::T1));
  EXPECT_FALSE(IsWindowEnabled(f.edT1.hwnd()));
  ExpectShown(f, {{"lbTotalLength", "x"}});

  // Checked with its field disabled: the first click leaves the field
  // disabled, the second enables it.
  host.ClickCentre(f.chT1.hwnd());
  EXPECT_FALSE(f.TailChecked(Tail::T1));
  EXPECT_FALSE(IsWindowEnabled(f.edT1.hwnd()));
  host.ClickCentre(f.chT1.hwnd());
  EXPECT_TRUE(f.TailChecked(Tail::T1));
  EXPECT_TRUE(IsWindowEnabled(f.edT1.hwnd()));
}

TEST_F(CalculatorWindow, TabVisitsTheSelectedItemCalculateAndTheEnabledFields) {
  EXPECT_EQ(GetFocus(), f.btnCalc.hwnd()) << "no item selected: Calculate takes the focus";
  const std::vector<HWND> noMode = {f.edA.hwnd(),  f.edN.hwnd(),  f.edD.hwnd(),
                                    f.edP.hwnd(),  f.edOD.hwnd(), f.edID.hwnd(),
                                    f.edT1.hwnd(), f.edT2.hwnd(), f.btnCalc.hwnd()};
  for (HWND expected : noMode) {
    host.Key(VK_TAB);
    EXPECT_EQ(GetFocus(), expected);
  }

  host.ClickCentre(f.RadioGroup1.item(0));
  host.Key(VK_TAB, {.shift = true});
  EXPECT_EQ(GetFocus(), f.edT2.hwnd());
  const std::vector<HWND> heightGiven = {f.RadioGroup1.item(0), f.btnCalc.hwnd(), f.edA.hwnd(),
                                         f.edD.hwnd()};
  for (HWND expected : heightGiven) {
    host.Key(VK_TAB);
    EXPECT_EQ(GetFocus(), expected);
  }
}

struct Place {
  const char* name;
  HWND window;
  RECT design;  // left, top, right, bottom in the client area
};

TEST_F(CalculatorWindow, LayoutFollowsTheFormDescription) {
  RECT client;
  GetClientRect(f.hwnd(), &client);
  EXPECT_EQ(client.right, 824);
  EXPECT_EQ(client.bottom, 483);
  const LONG style = GetWindowLongW(f.hwnd(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  EXPECT_TRUE(GetWindowLongW(f.hwnd(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_EQ(U8(TextOf(f.hwnd())), "Ambrelix");
  ICONINFO icon = {};
  BITMAP bitmap = {};
  ASSERT_TRUE(
      GetIconInfo(reinterpret_cast<HICON>(SendMessageW(f.hwnd(), WM_GETICON, ICON_BIG, 0)), &icon));
  GetObjectW(icon.hbmColor, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 32);
  EXPECT_EQ(bitmap.bmHeight, 32);
  EXPECT_EQ(bitmap.bmBitsPixel, 32);
  DeleteObject(icon.hbmColor);
  DeleteObject(icon.hbmMask);

  const Place exact[] = {
      {"RadioGroup1", f.RadioGroup1.box(), {8, 6, 260, 72}},
      {"btnCalc", f.btnCalc.hwnd(), {150, 446, 260, 472}},
      {"chT1", f.chT1.hwnd(), {8, 309, 25, 326}},
      {"chT2", f.chT2.hwnd(), {8, 332, 25, 349}},
      {"btExit", f.btExit.hwnd(), {79, 446, 144, 472}},
      {"GroupBox1", f.GroupBox1.hwnd(), {8, 361, 260, 435}},
      {"btnInfo", f.btnInfo.hwnd(), {8, 446, 73, 472}},
      {"edA", f.edA.hwnd(), {176, 78, 236, 100}},
      {"edN", f.edN.hwnd(), {176, 101, 236, 123}},
      {"edD", f.edD.hwnd(), {176, 123, 236, 145}},
      {"edP", f.edP.hwnd(), {176, 145, 236, 167}},
      {"edOD", f.edOD.hwnd(), {176, 167, 236, 189}},
      {"edID", f.edID.hwnd(), {176, 189, 236, 211}},
      {"edT1", f.edT1.hwnd(), {176, 308, 236, 330}},
      {"edT2", f.edT2.hwnd(), {176, 331, 236, 353}},
  };
  for (const Place& p : exact) {
    const RECT shown = RectInParent(p.window);
    EXPECT_TRUE(EqualRect(&shown, &p.design)) << p.name << " at " << shown.left << "," << shown.top
                                              << "," << shown.right << "," << shown.bottom;
  }

  // Labels take the size of their texts: left and top (or the right edge
  // of the right-justified results) are the description's; the sizes are
  // those of this machine's fonts, close to the description's.
  const Place labels[] = {
      {"Label5", f.Label5.hwnd(), {8, 82, 154, 96}},
      {"Label2", f.Label2.hwnd(), {8, 103, 122, 117}},
      {"Label1", f.Label1.hwnd(), {8, 125, 108, 139}},
      {"Label3", f.Label3.hwnd(), {8, 147, 56, 161}},
      {"Label7", f.Label7.hwnd(), {8, 169, 167, 183}},
      {"Label8", f.Label8.hwnd(), {8, 191, 152, 205}},
      {"Label6", f.Label6.hwnd(), {8, 213, 132, 227}},
      {"Label4", f.Label4.hwnd(), {8, 235, 109, 249}},
      {"Label9", f.Label9.hwnd(), {8, 257, 148, 271}},
      {"Label10", f.Label10.hwnd(), {8, 279, 133, 293}},
      {"Label11", f.Label11.hwnd(), {31, 310, 103, 324}},
      {"Label12", f.Label12.hwnd(), {31, 333, 103, 347}},
      {"Label15", f.Label15.hwnd(), {240, 82, 260, 96}},
      {"Label25", f.Label25.hwnd(), {240, 125, 260, 139}},
      {"Label26", f.Label26.hwnd(), {240, 147, 260, 161}},
      {"Label16", f.Label16.hwnd(), {240, 169, 260, 183}},
      {"Label17", f.Label17.hwnd(), {240, 191, 260, 205}},
      {"Label19", f.Label19.hwnd(), {240, 213, 260, 227}},
      {"Label20", f.Label20.hwnd(), {240, 235, 260, 249}},
      {"Label21", f.Label21.hwnd(), {240, 257, 260, 271}},
      {"Label22", f.Label22.hwnd(), {240, 279, 260, 293}},
      {"Label23", f.Label23.hwnd(), {240, 310, 260, 324}},
      {"Label24", f.Label24.hwnd(), {240, 333, 260, 347}},
      {"Label13", f.Label13.hwnd(), {14, 381, 160, 395}},
      {"Label14", f.Label14.hwnd(), {14, 408, 162, 422}},
      {"lbTotalLength", f.lbTotalLength.hwnd(), {167, 381, 175, 395}},
      {"lbTotalVolume", f.lbTotalVolume.hwnd(), {167, 408, 175, 422}},
      {"lbID2", f.lbID2.hwnd(), {454, 51, 458, 69}},
      {"lbOD2", f.lbOD2.hwnd(), {664, 51, 668, 69}},
      {"lbA2", f.lbA2.hwnd(), {285, 149, 289, 167}},
      {"lbG2", f.lbG2.hwnd(), {343, 191, 347, 209}},
      {"lbP2", f.lbP2.hwnd(), {343, 240, 347, 258}},
      {"lbh2", f.lbh2.hwnd(), {728, 217, 732, 235}},
      {"lbI2", f.lbI2.hwnd(), {541, 353, 545, 371}},
      {"lbD2", f.lbD2.hwnd(), {541, 395, 545, 413}},
      {"lbO2", f.lbO2.hwnd(), {541, 438, 545, 456}},
  };
  for (const Place& p : labels) {
    const RECT shown = RectInParent(p.window);
    const LONG width = p.design.right - p.design.left;
    EXPECT_EQ(shown.left, p.design.left) << p.name;
    EXPECT_EQ(shown.top, p.design.top) << p.name;
    EXPECT_NEAR(shown.right - shown.left, width, 3 + width / 10) << p.name;
    EXPECT_NEAR(shown.bottom - shown.top, p.design.bottom - p.design.top, 1) << p.name;
  }
  for (const ui::LabelWindow* result : {&f.lbG, &f.lbH, &f.lbO, &f.lbI}) {
    EXPECT_EQ(RectInParent(result->hwnd()).right, 233);
  }
  f.lbG.SetCaption(u"-12345.67");
  EXPECT_EQ(RectInParent(f.lbG.hwnd()).right, 233) << "a longer value grows to the left";
  EXPECT_LT(RectInParent(f.lbG.hwnd()).left, 200);

  struct FontCase {
    const char* name;
    HWND window;
    const wchar_t* face;
    LONG height;
    bool bold;
  };
  const FontCase fonts[] = {
      {"btnCalc", f.btnCalc.hwnd(), L"Tahoma", -11, false},
      {"chT1", f.chT1.hwnd(), L"Tahoma", -11, false},
      {"RadioGroup1", f.RadioGroup1.box(), L"Tahoma", -12, false},
      {"its items", f.RadioGroup1.item(0), L"Tahoma", -12, false},
      {"edP", f.edP.hwnd(), L"Tahoma", -12, false},
      {"Label5", f.Label5.hwnd(), L"Tahoma", -12, false},
      {"lbTotalLength", f.lbTotalLength.hwnd(), L"Tahoma", -12, true},
      {"lbD2", f.lbD2.hwnd(), L"Arial", -15, true},
  };
  for (const FontCase& c : fonts) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(c.window, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    EXPECT_STREQ(font.lfFaceName, c.face) << c.name;
    EXPECT_EQ(font.lfHeight, c.height) << c.name;
    EXPECT_EQ(font.lfWeight >= FW_BOLD, c.bold) << c.name;
  }
}

TEST_F(CalculatorWindow, LooksGradientDrawingAndLabelsShowingThemThrough) {
  UpdateWindow(f.hwnd());
  const auto shown = [this](LONG x, LONG y) { return ShownAt(f.hwnd(), {x, y}); };
  EXPECT_TRUE(Near(shown(0, 440), 200, 200, 255, 3)) << Rgb(shown(0, 440));
  EXPECT_TRUE(Near(shown(137, 440), 227, 227, 255, 3)) << Rgb(shown(137, 440));
  EXPECT_TRUE(Near(shown(0, 482), 200, 200, 255, 3)) << "to the client's bottom row";
  EXPECT_TRUE(Near(shown(270, 440), 255, 255, 255, 4)) << Rgb(shown(270, 440));
  // The drawing from x = 274: white paper, and the ID leader's ink at y = 69.
  EXPECT_TRUE(Near(shown(274, 0), 255, 255, 255, 0)) << Rgb(shown(274, 0));
  EXPECT_TRUE(Near(shown(274 + 200, 69), 0, 0, 0, 40)) << Rgb(shown(274 + 200, 69));

  // A label's blank top row, over the gradient and over the drawing.
  const COLORREF buttonFace = GetSysColor(COLOR_BTNFACE);
  const COLORREF overGradient = shown(8, 82);
  const COLORREF overDrawing = shown(285, 149);
  if (AMBRELIX_EXPECT_VISUAL_STYLES) {
    EXPECT_TRUE(Near(overGradient, 201, 201, 255, 3)) << Rgb(overGradient);
    EXPECT_TRUE(Near(overDrawing, 255, 255, 255, 0)) << Rgb(overDrawing);
  } else {
    EXPECT_EQ(overGradient, buttonFace) << Rgb(overGradient);
    EXPECT_EQ(overDrawing, buttonFace) << Rgb(overDrawing);
  }
}

TEST_F(CalculatorWindow, LooksCleanWhereALabelsTextShrank) {
  TypeDefaultCoil();
  host.Key(VK_RETURN);
  const RECT total = RectInParent(f.lbTotalLength.hwnd());
  ASSERT_GT(InkIn(f.hwnd(), total), 0);
  host.Retype(f.edD, "81");  // the second keystroke empties the totals
  host.Pump();
  EXPECT_EQ(InkIn(f.hwnd(), total), 0);

  f.lbG.SetCaption(u"-12345.67");
  const RECT wide = RectInParent(f.lbG.hwnd());
  f.lbG.SetCaption(u"1.00");
  host.Pump();
  const RECT narrow = RectInParent(f.lbG.hwnd());
  EXPECT_EQ(InkIn(f.hwnd(), {wide.left, wide.top, narrow.left, wide.bottom}), 0);
  EXPECT_GT(InkIn(f.hwnd(), narrow), 0);
}

TEST(CalculatorWindowStartUp, ADamagedDrawingIsReportedAndTheWindowStillOpens) {
  std::vector<std::uint8_t> damaged(DrawingPng().begin(), DrawingPng().end());
  damaged[damaged.size() / 2] ^= 0x5A;
  FormHost host(damaged);

  const std::vector<ShownBox> boxes = host.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(U8(boxes[0].caption), "Ambrelix");
  EXPECT_EQ(U8(boxes[0].text).rfind("The drawing is damaged and cannot be shown: ", 0), 0u)
      << U8(boxes[0].text);
  EXPECT_TRUE(IsWindowVisible(host.form.hwnd()));
  EXPECT_TRUE(host.form.Image2.Empty());
}

TEST(CalculatorWindowHooks, SettingsStartUpTheAboutSeamAndASaveThatFailsKeepsTheWindowOpen) {
  int closes = 0;
  HWND aboutOwner = nullptr;
  ui::TForm1Hooks hooks;
  hooks.OnFormCreate = [](settings::SettingsControls& controls) {
    controls.SetFieldText(Field::D, u"80");
    controls.SetRadioIndex(0);
    controls.SetTailChecked(Tail::T1, true);
    controls.SetTailFieldEnabled(Tail::T1, false);
  };
  hooks.OnFormClose = [&closes](settings::SettingsControls& controls) {
    if (++closes == 1) throw std::runtime_error("Failed to set data for 'A'");
    EXPECT_EQ(controls.FieldText(Field::D), u"80.000");
  };
  hooks.ShowAbout = [&aboutOwner](HWND owner) { aboutOwner = owner; };
  UserSeparatorsRestored restored;
  PointAsDecimalSeparator point;
  FormHost host(DrawingPng(), std::move(hooks));
  TForm1& f = host.form;

  EXPECT_EQ(U8(TextOf(f.edD.hwnd())), "80.000");
  EXPECT_FALSE(IsWindowEnabled(f.edN.hwnd()));
  EXPECT_TRUE(f.TailChecked(Tail::T1));
  EXPECT_FALSE(IsWindowEnabled(f.edT1.hwnd()));
  EXPECT_EQ(GetFocus(), f.RadioGroup1.item(0)) << "the selected item takes the focus";

  host.ClickCentre(f.btnInfo.hwnd());
  EXPECT_EQ(aboutOwner, f.hwnd());

  host.ClickCentre(f.btExit.hwnd());
  std::vector<ShownBox> boxes = host.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  ExpectErrorBox(boxes[0], u"Failed to set data for 'A'");
  ASSERT_TRUE(IsWindow(f.hwnd())) << "a failed save keeps the window open";

  host.ClickCentre(f.btExit.hwnd());
  EXPECT_EQ(closes, 2);
  EXPECT_EQ(f.hwnd(), nullptr);
  EXPECT_TRUE(host.Boxes().empty());
}

// The default coil loaded as the settings start-up loads it.
void LoadDefaultCoil(settings::SettingsControls& controls) {
  const std::pair<Field, const char16_t*> coil[] = {
      {Field::A, u"101"},  {Field::N, u"20"},   {Field::D, u"80"},   {Field::P, u"4.2"},
      {Field::OD, u"3.2"}, {Field::ID, u"1.2"}, {Field::t1, u"100"}, {Field::t2, u"120"}};
  for (const auto& [field, text] : coil) controls.SetFieldText(field, text);
  controls.SetRadioIndex(0);
}

TEST(CalculatorWindowKeyboard, EnterOnAFocusedPushButtonClicksIt) {
  enum class Button { Calculate, About, Exit };
  for (const Button pressed : {Button::Calculate, Button::About, Button::Exit}) {
    int abouts = 0;
    int closes = 0;
    ui::TForm1Hooks hooks;
    hooks.OnFormCreate = &LoadDefaultCoil;
    hooks.OnFormClose = [&closes](settings::SettingsControls&) { ++closes; };
    hooks.ShowAbout = [&abouts](HWND) { ++abouts; };
    UserSeparatorsRestored restored;
    PointAsDecimalSeparator point;
    FormHost host(DrawingPng(), std::move(hooks));
    TForm1& f = host.form;
    ui::PushButtonWindow& button = pressed == Button::Calculate ? f.btnCalc
                                   : pressed == Button::About   ? f.btnInfo
                                                                : f.btExit;
    SetFocus(button.hwnd());
    host.Pump();
    ASSERT_EQ(GetFocus(), button.hwnd());

    host.Key(VK_RETURN);

    const int shown = static_cast<int>(pressed);
    EXPECT_EQ(U8(TextOf(f.lbTotalLength.hwnd())), pressed == Button::Calculate ? "5.853M" : "")
        << shown;
    EXPECT_EQ(abouts, pressed == Button::About ? 1 : 0) << shown;
    EXPECT_EQ(closes, pressed == Button::Exit ? 1 : 0) << shown;
    EXPECT_EQ(f.hwnd() == nullptr, pressed == Button::Exit) << shown;
    EXPECT_TRUE(host.Boxes().empty()) << shown;
  }
}

TEST(CalculatorWindowKeyboard, TheFocusReturnsToTheLastFocusedControlOnReactivation) {
  UserSeparatorsRestored restored;
  PointAsDecimalSeparator point;
  ui::TForm1Hooks hooks;
  hooks.OnFormCreate = &LoadDefaultCoil;
  FormHost host(DrawingPng(), std::move(hooks));
  TForm1& f = host.form;
  HWND other =
      CreateWindowExW(0, L"STATIC", L"Another program", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 40,
                      40, 200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(other, nullptr);

  for (HWND last : {f.edP.hwnd(), f.btExit.hwnd(), f.chT2.hwnd(), f.edD.hwnd()}) {
    SetFocus(last);
    host.Pump();
    ASSERT_EQ(GetFocus(), last);

    SetForegroundWindow(other);
    SetActiveWindow(other);
    host.Pump();
    ASSERT_NE(GetActiveWindow(), f.hwnd());
    EXPECT_NE(GetFocus(), last);

    SetForegroundWindow(f.hwnd());
    SetActiveWindow(f.hwnd());
    host.Pump();
    EXPECT_EQ(GetActiveWindow(), f.hwnd());
    EXPECT_EQ(GetFocus(), last) << U8(TextOf(last));
  }
  DestroyWindow(other);
  host.Pump();
}

}  // namespace
}  // namespace ambrelix::testing
