// The entry field on the real EDIT control under Wine, driven through the
// message loop with real keyboard and mouse input and the real clipboard.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "calc/errors.h"
#include "calc/unicode.h"
#include "test_host_win32.h"
#include "tests/support/user_separators_win32.h"
#include "ui/win32/regional_separators.h"

#ifndef AMBRELIX_EXPECT_VISUAL_STYLES
#error "Build with AMBRELIX_EXPECT_VISUAL_STYLES=1 (comctl32 6 manifest) or 0"
#endif

namespace ambrelix::ui::testing {
namespace {

class BeepEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { counter_ = new BeepCounter; }
  void TearDown() override { delete counter_; }

 private:
  BeepCounter* counter_ = nullptr;
};

[[maybe_unused]] auto* const beepEnvironment =
    ::testing::AddGlobalTestEnvironment(new BeepEnvironment);

// With AMBRELIX_UI_SCREENSHOTS set to a folder, the tests that look at the
// field save what the screen shows there, for a person to look at.
void SaveScreenshot(HWND window, const char* name) {
  if (const char* folder = std::getenv("AMBRELIX_UI_SCREENSHOTS"))
    SaveScreenArea(window, std::string(folder) + "\\" + name);
}

std::u16string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return std::u16string(text.begin(), text.end());
}

TextSelection SelectionOf(HWND window) {
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(window, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return {start, end};
}

class FieldOnScreen : public ::testing::Test {
 protected:
  FieldOnScreen() {
    // The tests type "." as the decimal separator unless they say otherwise.
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L".");
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, L",");
    separators.Reload();
    a().OnChange = [this](TNumericEdit&) { ++changesA; };
    a().OnKeyPress = [this](TNumericEdit&, char16_t& key) { keysA.push_back(key); };
    host.b.field().OnChange = [this](TNumericEdit&) { ++changesB; };
  }

  void TearDown() override {
    EXPECT_EQ(BeepCounter::count(), beepsBefore) << "the field beeped";
    EXPECT_EQ(host.closeRequests(), 0);
    for (const std::u16string& error : host.errors.shown)
      ADD_FAILURE() << "error shown: " << Utf16ToUtf8(error);
  }

  TNumericEdit& a() { return host.a.field(); }
  HWND editA() const { return host.a.hwnd(); }

  // Writes A's text from code, then tabs into A from B, as a user would.
  void EnterA(std::u16string_view text) {
    a().SetText(text);
    SetFocus(host.b.hwnd());
    host.Pump();
    host.Press(VK_TAB);
    ASSERT_EQ(GetFocus(), editA());
    changesA = 0;
    changesB = 0;
    keysA.clear();
  }

  test_support::UserSeparatorsRestored restored;
  RegionalSeparators separators;
  TestHost host{separators};
  int changesA = 0;
  int changesB = 0;
  std::u16string keysA;
  const int beepsBefore = BeepCounter::count();
};

TEST(BeepCounterProbe, SeesMessageBeep) {
  BeepCounter counter;
  const int before = BeepCounter::count();
  MessageBeep(MB_OK);
  EXPECT_EQ(BeepCounter::count(), before + 1);
}

TEST_F(FieldOnScreen, TabbingInSelectsAllAndTypingReplacesItWithoutNotifyingOnce) {
  EnterA(u"3");
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{0, 5}));
  EXPECT_EQ(a().OrigText(), u"3.000");

  host.Type("5");
  EXPECT_EQ(a().Text(), u"5");
  EXPECT_EQ(changesA, 0);

  host.Type("0");
  EXPECT_EQ(a().Text(), u"50");
  EXPECT_EQ(changesA, 1);
  EXPECT_EQ(keysA, u"50");
}

TEST_F(FieldOnScreen, DigitsOverwriteFullDecimalsAndArrowsUpAndDownStay) {
  EnterA(u"12.345");
  host.Press(VK_HOME);
  for (int i = 0; i < 3; ++i) host.Press(VK_RIGHT);
  host.Press(VK_UP);
  host.Press(VK_DOWN);
  ASSERT_EQ(SelectionOf(editA()), (TextSelection{3, 3}));

  host.Type("9");
  EXPECT_EQ(a().Text(), u"12.945");
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{4, 4}));

  host.Press(VK_END);
  host.Type("9");
  EXPECT_EQ(a().Text(), u"12.945");
}

TEST_F(FieldOnScreen, TheDecimalSeparatorJumpsBehindTheExistingOne) {
  EnterA(u"12.345");
  host.Press(VK_HOME);
  host.Press(VK_RIGHT);
  host.Type(".");
  EXPECT_EQ(a().Text(), u"12.345");
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{3, 3}));
  EXPECT_EQ(changesA, 0);
  EXPECT_TRUE(keysA.empty());
}

TEST_F(FieldOnScreen, EscapeAfterTypingRestoresTheTextAndSelectsIt) {
  EnterA(u"5");
  host.Type("77");
  ASSERT_EQ(a().Text(), u"77");

  host.Press(VK_ESCAPE);

  EXPECT_EQ(a().Text(), u"5.000");
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{0, 5}));
  EXPECT_EQ(changesA, 2);
  EXPECT_EQ(host.escapesReceived(), 1) << "the field passes Escape on to its window";
  EXPECT_TRUE(IsWindow(host.hwnd()));
}

TEST_F(FieldOnScreen, EnterIsReportedOnceAndLeavesTheText) {
  EnterA(u"5");
  host.Press(VK_RETURN);
  EXPECT_EQ(keysA, u"\r");
  EXPECT_EQ(a().Text(), u"5.000");
  EXPECT_EQ(GetFocus(), editA());

  host.Press(VK_RETURN, {.ctrl = true});
  host.Press('M', {.ctrl = true});
  EXPECT_EQ(keysA, u"\r");
  EXPECT_EQ(a().Text(), u"5.000");
}

struct LeavingCase {
  const char* typed;  // over the selected "1.000"; "\b" empties it
  const char16_t* shown;
  int changesOnLeaving;
};

TEST_F(FieldOnScreen, LeavingTheFieldReformatsItsText) {
  const LeavingCase cases[] = {
      {"\b", u"0.000", 1},
      {"5", u"5.000", 1},
      {"5.000", u"5.000", 0},
  };
  for (const LeavingCase& c : cases) {
    SCOPED_TRACE(c.typed);
    EnterA(u"1");
    if (std::string(c.typed) == "\b")
      host.Press(VK_BACK);
    else
      host.Type(c.typed);
    const int changesBefore = changesA;

    host.Press(VK_TAB);

    EXPECT_EQ(GetFocus(), host.b.hwnd());
    EXPECT_EQ(a().Text(), c.shown);
    EXPECT_EQ(changesA - changesBefore, c.changesOnLeaving);
  }
}

struct PasteCase {
  const char16_t* clipboard;
  const char16_t* shown;
  TextSelection selection;
  int changes;
};

TEST_F(FieldOnScreen, CtrlVPastesOnlyWhatPassesTheCheck) {
  const PasteCase cases[] = {
      {u"7", u"7.000", {0, 1}, 1},
      {u"-3", u"0.000", {0, 2}, 0},
      {u"1 2", u"0.000", {0, 3}, 0},
      {u"3.5\r\nmore", u"3.500", {0, 3}, 1},
  };
  for (const PasteCase& c : cases) {
    SCOPED_TRACE(std::u16string(c.clipboard).size());
    EnterA(u"0");
    PutTextOnClipboard(c.clipboard);
    host.Press('V', {.ctrl = true});
    EXPECT_EQ(a().Text(), c.shown);
    EXPECT_EQ(SelectionOf(editA()), c.selection);
    EXPECT_EQ(changesA, c.changes);
  }
}

TEST_F(FieldOnScreen, ShiftInsertAndTheContextMenuPasteThroughTheSameCheck) {
  EnterA(u"0");
  PutTextOnClipboard(u"-3");
  host.Press(VK_INSERT, {.shift = true});
  EXPECT_EQ(a().Text(), u"0.000");
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{0, 2}));

  EnterA(u"0");
  PutTextOnClipboard(u"8");
  host.Press(VK_INSERT, {.shift = true});
  EXPECT_EQ(a().Text(), u"8.000");

  EnterA(u"0");
  PutTextOnClipboard(u"-4");
  host.RightClick(editA(), {10, 8});
  host.Press('P');
  EXPECT_EQ(a().Text(), u"0.000");
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{0, 2}));

  EnterA(u"0");
  PutTextOnClipboard(u"9");
  host.RightClick(editA(), {10, 8});
  host.Press('P');
  EXPECT_EQ(a().Text(), u"9.000");
  EXPECT_EQ(GetFocus(), editA());
}

TEST_F(FieldOnScreen, CtrlCCopiesAndCtrlXCutsToTheClipboard) {
  EnterA(u"12.5");
  host.Press(VK_END);
  host.Press('A', {.ctrl = true});
  ASSERT_EQ(SelectionOf(editA()), (TextSelection{0, 6}));
  PutTextOnClipboard(u"");
  host.Press('C', {.ctrl = true});
  EXPECT_EQ(ClipboardText(), u"12.500");
  EXPECT_EQ(changesA, 0);

  PutTextOnClipboard(u"");
  host.Press('X', {.ctrl = true});
  EXPECT_EQ(a().Text(), u"");
  EXPECT_EQ(ClipboardText(), u"12.500");
  EXPECT_EQ(changesA, 1);
}

TEST_F(FieldOnScreen, ForbiddenCharactersAreDroppedSilently) {
  EnterA(u"1");
  host.Press(VK_END);
  host.Type("-+e ,aZ");
  host.Press('Z', {.ctrl = true});
  EXPECT_EQ(a().Text(), u"1.000");
  EXPECT_EQ(changesA, 0);
  EXPECT_TRUE(keysA.empty());
}

// Typing grows a short number leftwards from the right edge; the box must
// not keep a sideways scroll from before the text was realigned, which
// would show "12.57" as "2.57".
TEST_F(FieldOnScreen, AShortNumberBeingTypedShowsWhole) {
  EnterA(u"0");
  host.Type("12.57");
  ASSERT_EQ(a().Text(), u"12.57");
  RECT client;
  GetClientRect(editA(), &client);
  const LRESULT first = SendMessageW(editA(), EM_POSFROMCHAR, 0, 0);
  const LRESULT last = SendMessageW(editA(), EM_POSFROMCHAR, 4, 0);
  EXPECT_GE(static_cast<short>(LOWORD(first)), client.left);
  EXPECT_LT(static_cast<short>(LOWORD(last)), client.right);
}

TEST_F(FieldOnScreen, LongTextStaysOnOneLineWithTheCaretInView) {
  EnterA(u"0");
  host.Type("98765432101234567");
  EXPECT_EQ(SendMessageW(editA(), EM_GETLINECOUNT, 0, 0), 1);
  RECT client;
  GetClientRect(editA(), &client);
  POINT caret;
  ASSERT_TRUE(GetCaretPos(&caret));
  EXPECT_GE(caret.x, client.left);
  EXPECT_LT(caret.x, client.right);

  SaveScreenshot(host.hwnd(), "long-end.bmp");

  host.Press(VK_HOME);
  ASSERT_TRUE(GetCaretPos(&caret));
  EXPECT_GE(caret.x, client.left);
  EXPECT_LT(caret.x, client.right);
  SaveScreenshot(host.hwnd(), "long-start.bmp");

  host.Press(VK_TAB);
  EXPECT_EQ(a().Text(), u"98765432101234560.000") << "narrowed to a double on leaving";
  EXPECT_EQ(SendMessageW(editA(), EM_GETLINECOUNT, 0, 0), 1);
  SaveScreenshot(host.hwnd(), "long-left.bmp");
}

TEST_F(FieldOnScreen, AClickOnTheSelectionOfTheFocusedFieldPlacesTheCaret) {
  int clicks = 0;
  a().OnClick = [&](TNumericEdit&) { ++clicks; };
  EnterA(u"12.5");
  ASSERT_EQ(SelectionOf(editA()), (TextSelection{0, 6}));
  RECT client;
  GetClientRect(editA(), &client);
  const LRESULT end = SendMessageW(editA(), EM_POSFROMCHAR, 5, 0);
  host.LeftClick(editA(), {static_cast<short>(LOWORD(end)) + 1, client.bottom / 2});

  EXPECT_EQ(SelectionOf(editA()), (TextSelection{5, 5}));
  EXPECT_EQ(clicks, 1);
}

// A click that gives the field the focus selects all, then places the caret
// at the click, whichever order the EDIT does the two in.
TEST_F(FieldOnScreen, AClickThatGivesTheFocusLeavesTheCaretAtTheClick) {
  a().SetText(u"12.5");
  SetFocus(host.b.hwnd());
  host.Pump();
  RECT client;
  GetClientRect(editA(), &client);
  const LRESULT dot = SendMessageW(editA(), EM_POSFROMCHAR, 2, 0);
  host.LeftClick(editA(), {static_cast<short>(LOWORD(dot)) + 1, client.bottom / 2});

  EXPECT_EQ(GetFocus(), editA());
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{2, 2}));
  EXPECT_EQ(a().OrigText(), u"12.500");

  host.Press(VK_TAB);
  host.Press(VK_TAB);
  ASSERT_EQ(GetFocus(), editA());
  EXPECT_EQ(SelectionOf(editA()), (TextSelection{0, 6})) << "Tab still selects all";
}

TEST_F(FieldOnScreen, ADisabledFieldIsSilverCannotBeEnteredAndStillTakesTexts) {
  a().SetEnabled(false);
  a().SetText(u"4.2");
  UpdateWindow(host.hwnd());
  host.Pump();

  RECT bounds;
  GetWindowRect(editA(), &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const COLORREF silver = RGB(192, 192, 192);
  EXPECT_EQ(ShownPixel(editA(), 5, height / 2), silver) << "background";
  const POINT ring[] = {{0, 0}, {width / 2, 0}, {width - 1, height / 2}, {width / 2, height - 1}};
  for (const POINT& p : ring) {
    SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
    EXPECT_EQ(ShownPixel(editA(), p.x, p.y) == silver, AMBRELIX_EXPECT_VISUAL_STYLES != 0)
        << "the silver frame is drawn exactly under visual styles";
  }
  EXPECT_EQ(ShownPixel(host.b.hwnd(), 5, height / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_NE(ShownPixel(host.b.hwnd(), 0, 0), silver);
  SaveScreenshot(host.hwnd(), "disabled.bmp");

  EXPECT_EQ(a().Text(), u"4.200");
  SetFocus(host.b.hwnd());
  host.Pump();
  host.Press(VK_TAB);
  EXPECT_EQ(GetFocus(), host.b.hwnd()) << "Tab skips the disabled field";

  a().SetEnabled(true);
  UpdateWindow(host.hwnd());
  host.Pump();
  EXPECT_EQ(ShownPixel(editA(), 5, height / 2), GetSysColor(COLOR_WINDOW));
  EXPECT_NE(ShownPixel(editA(), 0, 0), silver);
  host.Press(VK_TAB);
  EXPECT_EQ(GetFocus(), editA());
}

TEST_F(FieldOnScreen, TextsWrittenBeforeTheWindowExistsAreShown) {
  NumericEditWindow late(separators, host.errors);
  int changes = 0;
  late.field().OnChange = [&](TNumericEdit&) { ++changes; };
  late.field().SetText(u"4.2");
  late.field().SetEnabled(false);
  late.Create(host.hwnd(), 103, {100, 20, 160, 42}, nullptr);
  EXPECT_EQ(WindowText(late.hwnd()), u"4.200");
  EXPECT_FALSE(IsWindowEnabled(late.hwnd()));
  EXPECT_EQ(changes, 1);
}

TEST_F(FieldOnScreen, AnErrorFromAHandlerGoesToTheErrorDisplayAndTheFieldCarriesOn) {
  EnterA(u"0");
  a().OnKeyPress = [](TNumericEdit&, char16_t& key) {
    if (key == u'\r') throw ConversionError(u"x");
  };
  host.Press(VK_RETURN);
  ASSERT_EQ(host.errors.shown.size(), 1u);
  EXPECT_EQ(host.errors.shown[0], u"'x' is not a valid floating point value.");
  host.Type("4");
  EXPECT_EQ(a().Text(), u"4");
  host.errors.shown.clear();
}

TEST_F(FieldOnScreen, TheUsersRegionalSeparatorsAreUsed) {
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, L"."));
  separators.Reload();

  EnterA(u"4.2");
  EXPECT_EQ(a().Text(), u"42,000");
  host.Type("1.5");
  EXPECT_EQ(a().Text(), u"15");
  host.Type(",");
  EXPECT_EQ(a().Text(), u"15,");
}

}  // namespace
}  // namespace ambrelix::ui::testing
