// Ambrelix.exe itself, started as a launcher starts it and driven from
// outside with real input: the start-up order and the version probe, the
// window's place, the launcher's show state, a calculation through the real
// window, the settings across runs, the About dialog, and the exit code of
// every way out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "calc/unicode.h"
#include "form_host_win32.h"
#include "window_test_support.h"

namespace ambrelix::testing {
namespace {

std::string U8(std::u16string_view text) { return Utf16ToUtf8(text); }

// The build's path to the executable, as Windows spells it (a Unix path
// is Wine's drive Z:), or the copy named by AMBRELIX_EXE_UNDER_TEST (an
// installed one).
std::wstring BuiltExe() {
  if (const wchar_t* other = _wgetenv(L"AMBRELIX_EXE_UNDER_TEST"); other && *other) return other;
  std::wstring path;
  for (const char c : std::string_view(AMBRELIX_EXE)) path += c == '/' ? L'\\' : wchar_t(c);
  return path.starts_with(L'\\') ? L"Z:" + path : path;
}

struct WindowSearch {
  DWORD processId;
  const wchar_t* windowClass;
  HWND found = nullptr;
};

BOOL CALLBACK FindProcessWindow(HWND window, LPARAM search) {
  auto* wanted = reinterpret_cast<WindowSearch*>(search);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != wanted->processId || ClassOf(window) != wanted->windowClass) return TRUE;
  wanted->found = window;
  return FALSE;
}

struct ChildSearch {
  const wchar_t* windowClass;
  POINT screen;
  HWND found = nullptr;
};

BOOL CALLBACK FindChildAt(HWND child, LPARAM search) {
  auto* wanted = reinterpret_cast<ChildSearch*>(search);
  RECT rect;
  GetWindowRect(child, &rect);
  if (_wcsicmp(ClassOf(child).c_str(), wanted->windowClass) != 0 ||
      !PtInRect(&rect, wanted->screen))
    return TRUE;
  wanted->found = child;
  return FALSE;
}

// The control of a class at a point of the window's client area, as the
// form description places it.
HWND ChildAt(HWND window, const wchar_t* windowClass, POINT client) {
  ClientToScreen(window, &client);
  ChildSearch search{windowClass, client};
  EnumChildWindows(window, &FindChildAt, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

class RunningAmbrelix {
 public:
  // `showState` goes to the process as the launcher's STARTUPINFO show
  // state; -1 passes none.
  explicit RunningAmbrelix(const std::wstring& arguments = L"", int showState = -1,
                           const std::wstring& exe = BuiltExe()) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (showState >= 0) {
      startup.dwFlags = STARTF_USESHOWWINDOW;
      startup.wShowWindow = static_cast<WORD>(showState);
    }
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_))
      ADD_FAILURE() << "cannot start " << U8(std::u16string(exe.begin(), exe.end()));
  }
  ~RunningAmbrelix() {
    if (!process_.hProcess) return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
  }
  RunningAmbrelix(const RunningAmbrelix&) = delete;
  RunningAmbrelix& operator=(const RunningAmbrelix&) = delete;

  DWORD processId() const { return process_.dwProcessId; }

  HWND Find(const wchar_t* windowClass) const {
    WindowSearch search{process_.dwProcessId, windowClass};
    EnumWindows(&FindProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  HWND Calculator() const { return Find(L"TForm1"); }

  // The calculator window once it is shown and painted.
  HWND WaitForCalculator() const {
    HWND window = nullptr;
    WaitUntil([&] { return (window = Calculator()) && IsWindowVisible(window); });
    if (window) {
      DWORD_PTR ignored = 0;
      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    return window;
  }

  std::optional<ShownBox> WaitForBox() const {
    std::vector<HWND> boxes;
    if (!WaitUntil([&] { return !(boxes = VisibleBoxes(processId())).empty(); })) return {};
    Sleep(50);
    return ReadBox(boxes.front());
  }

  std::optional<DWORD> ExitCode(DWORD milliseconds = 10000) const {
    if (WaitForSingleObject(process_.hProcess, milliseconds) != WAIT_OBJECT_0) return {};
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION process_ = {};
};

struct Route {
  const char* name;
  void (*close)(HWND calculator);
};

constexpr Route kExitButton = {"the Exit button", [](HWND w) {
                                 SendClick(w, {79 + 32, 446 + 13});
                               }};
constexpr Route kCloseBox = {"the close box",
                             [](HWND w) { PostMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }};

TEST(AmbrelixExe, StartsCentredOwnedByItsApplicationWindowAndEveryWayOutExitsWithZero) {
  const Route routes[] = {
      kExitButton,
      kCloseBox,
      {"WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
      {"Alt+F4", [](HWND) { SendKey(VK_F4, {.alt = true}); }},
  };
  for (const Route& route : routes) {
    SCOPED_TRACE(route.name);
    RunningAmbrelix ambrelix;
    HWND calculator = ambrelix.WaitForCalculator();
    ASSERT_NE(calculator, nullptr);
    EXPECT_TRUE(VisibleBoxes(ambrelix.processId()).empty());
    EXPECT_EQ(GetForegroundWindow(), calculator);
    EXPECT_EQ(U8(TextOf(calculator)), "Ambrelix");

    RECT outer;
    GetWindowRect(calculator, &outer);
    EXPECT_EQ(outer.left, GetSystemMetrics(SM_XVIRTUALSCREEN) +
                              GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2 -
                              (outer.right - outer.left) / 2);
    EXPECT_EQ(outer.top, GetSystemMetrics(SM_YVIRTUALSCREEN) +
                             GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2 -
                             (outer.bottom - outer.top) / 2);

    // The application's own top-level window carries the title and owns
    // the calculator window.
    HWND application = GetWindow(calculator, GW_OWNER);
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(U8(TextOf(application)), "Ambrelix");
    EXPECT_EQ(GetWindow(application, GW_OWNER), nullptr);

    route.close(calculator);
    EXPECT_EQ(ambrelix.ExitCode(), 0u);
  }
}

struct ProbeCase {
  const wchar_t* exeName;  // a copy under this name; nullptr for the build's own
  const wchar_t* arguments;
};

TEST(AmbrelixExe, TheVersionProbeAnswersOnceBeforeTheWindowIsCreated) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const ProbeCase cases[] = {
      {nullptr, L"/acver"},
      {nullptr, L"/ACVER /acver /AcVer"},
      // The provisional title: the file name cut at its first full stop,
      // all but its first character in lower case.
      {L"AMBRELIX.TEST.EXE", L"other /aCvEr"},
  };
  for (const ProbeCase& c : cases) {
    SCOPED_TRACE(U8(std::u16string(c.arguments, c.arguments + wcslen(c.arguments))));
    std::wstring exe = BuiltExe();
    if (c.exeName) {
      exe = std::wstring(temp) + c.exeName;
      ASSERT_TRUE(CopyFileW(BuiltExe().c_str(), exe.c_str(), FALSE));
    }
    {
      RunningAmbrelix ambrelix(c.arguments, -1, exe);
      HWND box = nullptr;
      ASSERT_TRUE(WaitUntil([&] {
        const std::vector<HWND> boxes = VisibleBoxes(ambrelix.processId());
        box = boxes.empty() ? nullptr : boxes.front();
        return box || ambrelix.Calculator();
      }));
      ASSERT_NE(box, nullptr) << "the window came first";
      EXPECT_EQ(ambrelix.Calculator(), nullptr);
      Sleep(50);
      const ShownBox shown = ReadBox(box);
      EXPECT_EQ(U8(shown.caption), "Ambrelix");
      EXPECT_EQ(U8(shown.text), "Skin library v10.15");
      EXPECT_EQ(shown.buttons, std::vector<std::u16string>{u"OK"});
      PressOk(box);

      HWND calculator = ambrelix.WaitForCalculator();
      ASSERT_NE(calculator, nullptr);
      EXPECT_TRUE(VisibleBoxes(ambrelix.processId()).empty()) << "one box only";
      PostMessageW(calculator, WM_CLOSE, 0, 0);
      EXPECT_EQ(ambrelix.ExitCode(), 0u);
    }
    if (c.exeName) DeleteFileW(exe.c_str());
  }
}

TEST(AmbrelixExe, ALauncherAskingForMaximisedOrMinimisedIsHonoured) {
  {
    RunningAmbrelix ambrelix(L"", SW_SHOWMAXIMIZED);
    HWND calculator = ambrelix.WaitForCalculator();
    ASSERT_NE(calculator, nullptr);
    EXPECT_TRUE(IsZoomed(calculator));
    PostMessageW(calculator, WM_CLOSE, 0, 0);
    EXPECT_EQ(ambrelix.ExitCode(), 0u);
  }
  {
    RunningAmbrelix ambrelix(L"", SW_SHOWMINNOACTIVE);
    HWND application = nullptr;
    HWND calculator = nullptr;
    // The program minimised: its application window iconic, the calculator
    // window hidden with it.
    ASSERT_TRUE(WaitUntil([&] {
      application = ambrelix.Find(L"AmbrelixApplication");
      calculator = ambrelix.Calculator();
      return application && calculator && IsIconic(application) && !IsWindowVisible(calculator);
    }));
    EXPECT_NE(GetForegroundWindow(), calculator);

    PostMessageW(application, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(calculator) != FALSE; }));
    PostMessageW(calculator, WM_CLOSE, 0, 0);
    EXPECT_EQ(ambrelix.ExitCode(), 0u);
  }
}

TEST(AmbrelixExe, TheDefaultCoilTypedIntoTheRealWindow) {
  RunningAmbrelix ambrelix;
  HWND calculator = ambrelix.WaitForCalculator();
  ASSERT_NE(calculator, nullptr);
  ASSERT_EQ(GetForegroundWindow(), calculator);
  const auto field = [&](LONG top) { return ChildAt(calculator, L"Edit", {200, top + 10}); };
  HWND edA = field(78), edN = field(101), edD = field(123), edP = field(145), edOD = field(167),
       edID = field(189);
  HWND total = ChildAt(calculator, L"Static", {168, 382});
  HWND volume = ChildAt(calculator, L"Static", {168, 409});
  ASSERT_TRUE(edA && edN && edD && edP && edOD && edID && total && volume);

  // "Overall Height (A)", then Tab from field to field; the turns field is
  // disabled and skipped.
  SendClick(calculator, {40, 33});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(edN); }));
  SendKey(VK_TAB);
  const std::pair<HWND, const char*> typed[] = {
      {edA, "101"}, {edD, "80"}, {edP, "4.2"}, {edOD, "3.2"}, {edID, "1.2"}};
  for (const auto& [edit, text] : typed) {
    SendKey(VK_TAB);
    ASSERT_TRUE(WaitUntil([&, edit = edit] { return FocusOf(calculator) == edit; }));
    SendText(text);
    ASSERT_TRUE(WaitUntil([&, edit = edit, text = text] { return U8(TextOf(edit)) == text; }));
  }
  SendKey(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return U8(TextOf(total)) == "5.853M"; })) << U8(TextOf(total));
  EXPECT_EQ(U8(TextOf(volume)), "6.62ml");
  EXPECT_EQ(U8(TextOf(edN)), "23.290");
  EXPECT_EQ(U8(TextOf(edP)), "4.200");

  // A pitch of 0: the error box, captioned with the title, over the window.
  SendKey(VK_TAB, {.shift = true});
  SendKey(VK_TAB, {.shift = true});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(calculator) == edP; }));
  SendText("0");
  SendKey(VK_RETURN);
  const std::optional<ShownBox> box = ambrelix.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(U8(box->caption), "Ambrelix");
  EXPECT_EQ(U8(box->text), "Floating point division by zero.");
  EXPECT_EQ(box->buttons, std::vector<std::u16string>{u"OK"});
  EXPECT_NE(box->icon, nullptr);
  PressOk(VisibleBoxes(ambrelix.processId()).front());
  ASSERT_TRUE(WaitUntil([&] { return VisibleBoxes(ambrelix.processId()).empty(); }));

  PostMessageW(calculator, WM_CLOSE, 0, 0);
  EXPECT_EQ(ambrelix.ExitCode(), 0u);
}

// The settings as the registry holds them, read with the raw API rather
// than the store's own reader.
std::optional<std::pair<DWORD, std::vector<BYTE>>> StoredValue(const wchar_t* name) {
  DWORD type = 0, size = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Ambrelix\\Setup", name, RRF_RT_ANY | RRF_NOEXPAND,
                   &type, nullptr, &size) != ERROR_SUCCESS)
    return {};
  std::vector<BYTE> data(size);
  if (RegGetValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Ambrelix\\Setup", name, RRF_RT_ANY | RRF_NOEXPAND,
                   &type, data.data(), &size) != ERROR_SUCCESS)
    return {};
  data.resize(size);
  return std::make_pair(type, data);
}

std::vector<BYTE> Sz(std::u16string_view text) {
  std::vector<BYTE> bytes;
  for (char16_t c : text) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::vector<BYTE> Dword(std::uint32_t v) {
  return {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
          static_cast<BYTE>(v >> 24)};
}

struct SettingsFields {
  HWND edA, edN, edD, edT1, edT2, total;
};

SettingsFields FieldsOf(HWND calculator) {
  const auto field = [&](LONG top) { return ChildAt(calculator, L"Edit", {200, top + 10}); };
  return {field(78),  field(101), field(123),
          field(308), field(331), ChildAt(calculator, L"Static", {168, 382})};
}

// Types into edD as a user does: a click, Ctrl+A, the digits.
void TypeIntoD(HWND calculator, HWND edD, std::string_view text) {
  SendClick(calculator, {200, 133});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(calculator) == edD; }));
  SendKey('A', {.ctrl = true});
  SendText(text);
  ASSERT_TRUE(WaitUntil([&] { return U8(TextOf(edD)) == text; })) << U8(TextOf(edD));
}

TEST(AmbrelixExe, TheFirstRunSeedsTheDefaultCoilAndOpensWithIt) {
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ambrelix");
  RunningAmbrelix ambrelix;
  HWND calculator = ambrelix.WaitForCalculator();
  ASSERT_NE(calculator, nullptr);

  struct Expected {
    const wchar_t* name;
    DWORD type;
    std::vector<BYTE> data;
  };
  const Expected seeded[] = {{L"A", REG_SZ, Sz(u"101")},
                             {L"N", REG_SZ, Sz(u"20")},
                             {L"D", REG_SZ, Sz(u"80")},
                             {L"P", REG_SZ, Sz(u"4.2")},
                             {L"OD", REG_SZ, Sz(u"3.2")},
                             {L"ID", REG_SZ, Sz(u"1.2")},
                             {L"t1", REG_SZ, Sz(u"100")},
                             {L"t2", REG_SZ, Sz(u"120")},
                             {L"RadioButton", REG_DWORD, Dword(0)},
                             {L"cht1", REG_DWORD, Dword(0)},
                             {L"cht2", REG_DWORD, Dword(0)},
                             {L"edt1", REG_DWORD, Dword(0)},
                             {L"edt2", REG_DWORD, Dword(0)}};
  for (const Expected& e : seeded) {
    const auto stored = StoredValue(e.name);
    ASSERT_TRUE(stored) << U8(std::u16string(e.name, e.name + wcslen(e.name)));
    EXPECT_EQ(stored->first, e.type);
    EXPECT_EQ(stored->second, e.data);
  }

  // Height mode, the turns and tail fields disabled, the totals emptied.
  const SettingsFields f = FieldsOf(calculator);
  EXPECT_EQ(U8(TextOf(f.edA)), "101.000");
  EXPECT_EQ(U8(TextOf(f.edN)), "20.000");
  EXPECT_TRUE(IsWindowEnabled(f.edA));
  EXPECT_FALSE(IsWindowEnabled(f.edN));
  EXPECT_FALSE(IsWindowEnabled(f.edT1));
  EXPECT_FALSE(IsWindowEnabled(f.edT2));
  EXPECT_EQ(U8(TextOf(f.total)), "");

  PostMessageW(calculator, WM_CLOSE, 0, 0);
  EXPECT_EQ(ambrelix.ExitCode(), 0u);
}

// In a locale with "," as decimal separator the point of "4.2" would be a
// thousand separator: the first run writes the fractions the way the fields
// read them, and the window opens with the default coil.
TEST(AmbrelixExe, TheFirstRunInACommaLocaleOpensWithTheDefaultCoil) {
  const wchar_t* const thousands[] = {L".", L"\u00A0"};
  UserSeparatorsRestored restored;
  for (const wchar_t* thousand : thousands) {
    SCOPED_TRACE(static_cast<int>(thousand[0]));
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L",");
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousand);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ambrelix");
    RunningAmbrelix ambrelix;
    HWND calculator = ambrelix.WaitForCalculator();
    ASSERT_NE(calculator, nullptr);

    const std::pair<LONG, const char*> fields[] = {
        {78, "101,000"}, {101, "20,000"}, {123, "80,000"},  {145, "4,200"},
        {167, "3,200"},  {189, "1,200"},  {308, "100,000"}, {331, "120,000"}};
    for (const auto& [top, shown] : fields)
      EXPECT_EQ(U8(TextOf(ChildAt(calculator, L"Edit", {200, top + 10}))), shown) << top;

    PostMessageW(calculator, WM_CLOSE, 0, 0);
    EXPECT_EQ(ambrelix.ExitCode(), 0u);
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Ambrelix");
}

// The Exit button takes the focus, so the field reformats before the save;
// the close box leaves the focus where it is.
TEST(AmbrelixExe, ExitAndTheCloseBoxSaveTheFieldAndARestartLoadsIt) {
  struct Case {
    Route route;
    const char* typed;
    std::u16string_view saved;
  };
  const Case cases[] = {{kExitButton, "74", u"74.000"}, {kCloseBox, "75", u"75"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.route.name);
    {
      RunningAmbrelix ambrelix;
      HWND calculator = ambrelix.WaitForCalculator();
      ASSERT_NE(calculator, nullptr);
      TypeIntoD(calculator, FieldsOf(calculator).edD, c.typed);
      c.route.close(calculator);
      EXPECT_EQ(ambrelix.ExitCode(), 0u);
    }
    const auto stored = StoredValue(L"D");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->second, Sz(c.saved));

    RunningAmbrelix again;
    HWND calculator = again.WaitForCalculator();
    ASSERT_NE(calculator, nullptr);
    EXPECT_EQ(U8(TextOf(FieldsOf(calculator).edD)), std::string(c.typed) + ".000");
    PostMessageW(calculator, WM_CLOSE, 0, 0);
    EXPECT_EQ(again.ExitCode(), 0u);
  }
}

// A value another program spoiled: the load stops there with the store's
// message in the error box, the window opens all the same, and the next
// close writes the value back in its own type.
TEST(AmbrelixExe, ASpoiledValueIsReportedAndTheWindowStillOpens) {
  const wchar_t spoiled[] = L"1";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, L"SOFTWARE\\Ambrelix\\Setup", L"RadioButton", REG_SZ,
                            spoiled, sizeof spoiled),
            ERROR_SUCCESS);
  RunningAmbrelix ambrelix;
  const std::optional<ShownBox> box = ambrelix.WaitForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(U8(box->caption), "Ambrelix");
  // The message ends in a quote, which sorts below the full stop: none is added.
  EXPECT_EQ(U8(box->text), "Invalid data type for 'RadioButton'");
  PressOk(VisibleBoxes(ambrelix.processId()).front());

  HWND calculator = ambrelix.WaitForCalculator();
  ASSERT_NE(calculator, nullptr);
  PostMessageW(calculator, WM_CLOSE, 0, 0);
  EXPECT_EQ(ambrelix.ExitCode(), 0u);
  const auto stored = StoredValue(L"RadioButton");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->first, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(stored->second, Dword(0xFFFFFFFF)) << "no mode was selected";
}

TEST(AmbrelixExe, AboutShowsTheDialogModallyAndClosingOnlyHidesIt) {
  RunningAmbrelix ambrelix;
  HWND calculator = ambrelix.WaitForCalculator();
  ASSERT_NE(calculator, nullptr);
  for (int showing = 0; showing < 2; ++showing) {
    SendClick(calculator, {40, 459});  // "About"
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil(
        [&] { return (about = ambrelix.Find(L"AmbrelixAboutDialog")) && IsWindowVisible(about); }));
    EXPECT_EQ(U8(TextOf(about)), "About");
    EXPECT_FALSE(IsWindowEnabled(calculator)) << "modal: the calculator waits";
    EXPECT_EQ(U8(TextOf(ChildAt(about, L"Static", {262, 16}))), "V1.1");
    SendKey(VK_F4, {.alt = true});
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(about); }));
    EXPECT_TRUE(IsWindow(about)) << "hidden, not destroyed";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(calculator) != FALSE; }));
  }
  PostMessageW(calculator, WM_CLOSE, 0, 0);
  EXPECT_EQ(ambrelix.ExitCode(), 0u);
}

// Logging off or shutting down skips the close handler, but what was typed
// is kept all the same.
TEST(AmbrelixExe, TheEndOfTheSessionSavesWithoutAMessage) {
  RunningAmbrelix ambrelix;
  HWND calculator = ambrelix.WaitForCalculator();
  ASSERT_NE(calculator, nullptr);
  TypeIntoD(calculator, FieldsOf(calculator).edD, "66");
  HWND application = GetWindow(calculator, GW_OWNER);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(application, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  PostMessageW(application, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(ambrelix.ExitCode(), 0u);
  EXPECT_TRUE(VisibleBoxes(ambrelix.processId()).empty());
  const auto stored = StoredValue(L"D");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->second, Sz(u"66"));
}

TEST(AmbrelixExe, EndingTheSessionEndsTheRunWithZero) {
  RunningAmbrelix ambrelix;
  HWND calculator = ambrelix.WaitForCalculator();
  ASSERT_NE(calculator, nullptr);
  HWND application = GetWindow(calculator, GW_OWNER);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(application, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  EXPECT_NE(answer, 0u);
  PostMessageW(application, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(ambrelix.ExitCode(), 0u);
}

}  // namespace
}  // namespace ambrelix::testing
