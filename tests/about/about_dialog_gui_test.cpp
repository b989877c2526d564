// Form2 on the screen under Wine, shown modally over a stand-in for the
// calculator window and driven with real keyboard and mouse input.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "about_test_host.h"
#include "png/png_reader.h"
#include "resources/resource.h"
#include "tests/ui/test_host_win32.h"
#include "ui/window_placement.h"

#ifndef AMBRELIX_EXPECT_VISUAL_STYLES
#error "Build with AMBRELIX_EXPECT_VISUAL_STYLES=1 (comctl32 6 manifest) or 0"
#endif

namespace ambrelix::ui::testing {
namespace {

constexpr wchar_t kHost[] = L"www.example.com";

// With AMBRELIX_UI_SCREENSHOTS set to a folder, the tests that look at the
// dialog save what the screen shows there, for a person to look at.
void SaveScreenshot(HWND window, const char* name) {
  if (const char* folder = std::getenv("AMBRELIX_UI_SCREENSHOTS"))
    SaveScreenArea(window, std::string(folder) + "\\" + name);
}

std::string Rgb(COLORREF c) {
  std::ostringstream out;
  out << "(" << int{GetRValue(c)} << "," << int{GetGValue(c)} << "," << int{GetBValue(c)} << ")";
  return out.str();
}

// Channels within `tolerance` of each other.
::testing::AssertionResult Near(COLORREF shown, COLORREF expected, int tolerance = 2) {
  for (int shift : {0, 8, 16}) {
    const int a = static_cast<int>((shown >> shift) & 0xFF);
    const int b = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - b) > tolerance)
      return ::testing::AssertionFailure()
             << "shown " << Rgb(shown) << ", expected " << Rgb(expected);
  }
  return ::testing::AssertionSuccess();
}

class AboutDialogOnScreen : public ::testing::Test {
 protected:
  bool Shown() const { return IsWindowVisible(dialog.hwnd()) != FALSE; }

  // A click on the dialog's bare gradient, which does nothing, so that the
  // next press on the link is not taken as the second half of a double click.
  Step ClickTheGradient() {
    return Do([this] { LeftClick(OnScreen(dialog.hwnd(), {420, 10})); });
  }
  Step PressOk() {
    return Do([this] { LeftClick(ClientCentre(dialog.Button1.hwnd())); });
  }
  // A step that waits for the focus to reach `part`.
  Step FocusOn(HWND part) {
    return [part] { return GetFocus() == part; };
  }

  AboutHost host;
  RecordingErrorDisplay errors;
  RecordingShellOpener shell;
  TForm2 dialog{errors, shell, host.application()};
};

struct Closing {
  const char* how;
  void (*close)(TForm2&);
  int result;

  friend std::ostream& operator<<(std::ostream& out, const Closing& closing) {
    return out << closing.how;
  }
};

class ClosingTheDialog : public AboutDialogOnScreen,
                         public ::testing::WithParamInterface<Closing> {};

TEST_P(ClosingTheDialog, HidesItWithItsResultAndEnablesTheOwnerAgain) {
  const Closing& closing = GetParam();
  const int result = host.ShowModal(dialog, {Do([&] {
                                               EXPECT_TRUE(Shown());
                                               EXPECT_FALSE(IsWindowEnabled(host.owner()))
                                                   << "the calculator stays usable";
                                               EXPECT_EQ(GetForegroundWindow(), dialog.hwnd());
                                               EXPECT_EQ(GetFocus(), dialog.Button1.hwnd());
                                               EXPECT_EQ(WindowText(dialog.Label3.hwnd()), L"V1.1");
                                             }),
                                             Do([&] { closing.close(dialog); })});
  EXPECT_EQ(result, closing.result) << closing.how;
  EXPECT_FALSE(Shown());
  EXPECT_TRUE(IsWindowEnabled(host.owner()));
  EXPECT_EQ(GetForegroundWindow(), host.owner()) << "the calculator is not active again";
  EXPECT_TRUE(IsWindow(dialog.hwnd())) << "closing only hides the dialog";
  EXPECT_TRUE(errors.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, ClosingTheDialog,
    ::testing::Values(
        Closing{"OK clicked", [](TForm2& d) { LeftClick(ClientCentre(d.Button1.hwnd())); }, 1},
        Closing{"Enter on OK", [](TForm2&) { PressKey(VK_RETURN); }, 1},
        Closing{"close box clicked",
                [](TForm2& d) {
                  const auto closeBox = FramePoint(d.hwnd(), HTCLOSE);
                  ASSERT_TRUE(closeBox) << "no close box on the frame";
                  LeftClick(*closeBox);
                },
                2},
        Closing{"Alt+F4", [](TForm2&) { PressKey(VK_F4, {.alt = true}); }, 2},
        Closing{"system menu Close",
                [](TForm2& d) { PostMessageW(d.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }, 2}),
    [](const auto& test) {
      std::string name;
      for (char c : std::string(test.param.how))
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
      return name;
    });

TEST_F(AboutDialogOnScreen, TabMovesOnlyBetweenOkAndTheTextAndEnterAndEscapeStayInTheText) {
  const std::wstring disclaimer = WindowText(dialog.Memo2.hwnd());
  const int result = host.ShowModal(
      dialog, {FocusOn(dialog.Button1.hwnd()), Do([] { PressKey(VK_ESCAPE); }),
               Do([&] { EXPECT_TRUE(Shown()) << "Escape on OK closed the dialog"; }),
               Do([] { PressKey(VK_TAB); }), FocusOn(dialog.Memo2.hwnd()),
               Do([] { PressKey(VK_RETURN); }), Do([&] {
                 EXPECT_TRUE(Shown()) << "Enter in the text closed the dialog";
                 EXPECT_EQ(GetFocus(), dialog.Memo2.hwnd());
                 PressKey(VK_ESCAPE);
               }),
               Do([&] {
                 EXPECT_TRUE(Shown()) << "Escape in the text closed the dialog";
                 EXPECT_EQ(WindowText(dialog.Memo2.hwnd()), disclaimer);
                 PressKey(VK_TAB);
               }),
               FocusOn(dialog.Button1.hwnd()), Do([] { PressKey(VK_TAB, {.shift = true}); }),
               FocusOn(dialog.Memo2.hwnd()), Do([] { PressKey(VK_TAB, {.shift = true}); }),
               FocusOn(dialog.Button1.hwnd()), Do([] { PressKey(VK_RETURN); })});
  EXPECT_EQ(result, mrOk);
}

TEST_F(AboutDialogOnScreen, FirstShowingIsCentredAndTheNextKeepsPositionScrollAndVersion) {
  RECT first = {};
  RECT moved = {};
  int topLine = 0;
  host.ShowModal(
      dialog, {Do([&] {
                 GetWindowRect(dialog.hwnd(), &first);
                 const WindowOrigin centred = CentredOrigin(
                     {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                      GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)},
                     first.right - first.left, first.bottom - first.top);
                 EXPECT_EQ(first.left, centred.left);
                 EXPECT_EQ(first.top, centred.top);
                 // The user moves it by its title bar.
                 const auto caption = FramePoint(dialog.hwnd(), HTCAPTION);
                 ASSERT_TRUE(caption);
                 LeftDrag(*caption, {caption->x - 150, caption->y + 90});
               }),
               [&] {
                 GetWindowRect(dialog.hwnd(), &moved);
                 return moved.left != first.left;
               },
               // ... and scrolls the text to its end.
               Do([] { PressKey(VK_TAB); }), FocusOn(dialog.Memo2.hwnd()),
               Do([] { PressKey(VK_END, {.ctrl = true}); }), Do([&] {
                 topLine = static_cast<int>(
                     SendMessageW(dialog.Memo2.hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0));
                 EXPECT_GT(topLine, 0);
                 // Closed while the text has the focus.
                 PressKey(VK_F4, {.alt = true});
               })});
  EXPECT_EQ(moved.left, first.left - 150);
  EXPECT_EQ(moved.top, first.top + 90);

  SetWindowTextW(dialog.Label3.hwnd(), L"Version");
  host.ShowModal(dialog, {Do([&] {
                            RECT again;
                            GetWindowRect(dialog.hwnd(), &again);
                            EXPECT_EQ(again.left, moved.left);
                            EXPECT_EQ(again.top, moved.top);
                            EXPECT_EQ(
                                SendMessageW(dialog.Memo2.hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0),
                                topLine);
                            EXPECT_EQ(WindowText(dialog.Label3.hwnd()), L"V1.1");
                            EXPECT_EQ(GetFocus(), dialog.Button1.hwnd());
                          }),
                          PressOk()});
}

TEST_F(AboutDialogOnScreen, TheTextCanBeSelectedAndCopiedButNotChanged) {
  const std::wstring disclaimer = WindowText(dialog.Memo2.hwnd());
  PutTextOnClipboard(u"before");
  host.ShowModal(dialog, {Do([&] { SendMessageW(dialog.Memo2.hwnd(), WM_CHAR, 'x', 0); }),
                          Do([] { PressKey(VK_TAB); }), FocusOn(dialog.Memo2.hwnd()), Do([] {
                            PressKey('X');
                            PressKey(VK_BACK);
                            PressKey(VK_DELETE);
                            PressKey('V', {.ctrl = true});
                          }),
                          Do([&] {
                            EXPECT_EQ(WindowText(dialog.Memo2.hwnd()), disclaimer);
                            // Tabbing in selected the whole text.
                            PressKey('C', {.ctrl = true});
                          }),
                          Do([&] {
                            EXPECT_EQ(ClipboardText(),
                                      std::u16string(disclaimer.begin(), disclaimer.end()));
                            SendMessageW(dialog.Memo2.hwnd(), EM_SETSEL, 0, 20);
                            SendMessageW(dialog.Memo2.hwnd(), WM_COPY, 0, 0);
                            EXPECT_EQ(ClipboardText(), u"Licence and Warranty");
                          }),
                          PressOk()});
}

TEST_F(AboutDialogOnScreen, TheDisclaimerIsTwentyShortLinesInFourParagraphs) {
  const std::wstring text = WindowText(dialog.Memo2.hwnd());
  EXPECT_EQ(text.find_first_of(L"\r\n"), text.find(L"\r\n"));
  std::vector<std::wstring> lines;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(L"\r\n", start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::wstring::npos) break;
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(lines[0], L"Licence and Warranty");
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::size_t number = i + 1;
    const bool separator = number == 2 || number == 8 || number == 14;
    EXPECT_EQ(lines[i].empty(), separator) << "line " << number;
    EXPECT_LE(lines[i].size(), 60u) << "line " << number;
    for (wchar_t c : lines[i]) EXPECT_TRUE(c != L'\r' && c != L'\n') << "line " << number;
  }
}

// Every disclaimer line, measured in the text box's font, fits the box's
// formatting rectangle with room to spare, as Tahoma's widths differ by a
// pixel or two between systems; so word wrap never breaks a line and the box
// shows exactly the twenty lines of the text.
TEST_F(AboutDialogOnScreen, EveryDisclaimerLineFitsTheTextAreaWithRoomToSpare) {
  constexpr int kSpare = 8;
  HWND memo = dialog.Memo2.hwnd();
  RECT format = {};
  SendMessageW(memo, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  const int room = format.right - format.left;
  ASSERT_GT(room, 200);

  const std::wstring text = WindowText(memo);
  HDC dc = GetDC(memo);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(memo, WM_GETFONT, 0, 0)));
  for (std::size_t start = 0, number = 1; start <= text.size(); ++number) {
    std::size_t end = text.find(L"\r\n", start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    // A blank at a line's end hangs past the wrap point: it never wraps.
    while (!line.empty() && line.back() == L' ') line.pop_back();
    SIZE size = {};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &size);
    EXPECT_LE(size.cx + kSpare, room) << "line " << number << " is " << size.cx << " px wide";
    start = end + 2;
  }
  SelectObject(dc, old);
  ReleaseDC(memo, dc);
  EXPECT_EQ(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 20) << "a line wraps";
}

TEST_F(AboutDialogOnScreen, PressingTheLinkOpensTheHostOnceBeforeTheRelease) {
  POINT link = {};
  host.ShowModal(dialog, {ClickTheGradient(), Do([&] {
                            link = ClientCentre(dialog.WebLabel1.hwnd());
                            LeftDown(link);
                          }),
                          Do([&] {
                            ASSERT_EQ(shell.calls.size(), 1u) << "the press alone opens the link";
                            const RecordingShellOpener::Call& call = shell.calls[0];
                            EXPECT_EQ(call.verb, L"open");
                            EXPECT_EQ(call.file, kHost);
                            EXPECT_EQ(call.showCommand, SW_SHOWDEFAULT);
                            EXPECT_EQ(call.owner, host.application());
                            LeftUp(link);
                          }),
                          Do([&] {
                            EXPECT_EQ(shell.calls.size(), 1u) << "the release opened it again";
                            EXPECT_TRUE(Shown());
                            EXPECT_EQ(GetFocus(), dialog.Button1.hwnd())
                                << "the link took the focus";
                          }),
                          PressOk()});
}

TEST_F(AboutDialogOnScreen, ADoubleClickOnTheLinkOpensItOnce) {
  host.ShowModal(dialog, {ClickTheGradient(),
                          Do([&] { LeftDoubleClick(ClientCentre(dialog.WebLabel1.hwnd())); }),
                          Do([&] { EXPECT_EQ(shell.calls.size(), 1u); }), PressOk()});
}

TEST_F(AboutDialogOnScreen, WithoutAnApplicationWindowTheDialogOwnsTheShellRequest) {
  TForm2 alone(errors, shell, nullptr);
  host.ShowModal(alone, {Do([&] {
                           LeftClick(OnScreen(alone.hwnd(), {420, 10}));
                         }),
                         Do([&] { LeftClick(ClientCentre(alone.WebLabel1.hwnd())); }), Do([&] {
                           ASSERT_EQ(shell.calls.size(), 1u);
                           EXPECT_EQ(shell.calls[0].owner, alone.hwnd());
                           LeftClick(ClientCentre(alone.Button1.hwnd()));
                         })});
}

TEST_F(AboutDialogOnScreen, AFailingShellRequestIsShownAndTheDialogCarriesOn) {
  shell.failing = true;
  const int result = host.ShowModal(
      dialog, {ClickTheGradient(), Do([&] { LeftClick(ClientCentre(dialog.WebLabel1.hwnd())); }),
               [&] { return !errors.shown.empty(); }, Do([&] {
                 EXPECT_EQ(errors.shown.size(), 1u);
                 EXPECT_EQ(errors.shown.front(), u"The shell is out of order.");
                 EXPECT_TRUE(Shown());
               }),
               PressOk()});
  EXPECT_EQ(result, mrOk);
}

TEST_F(AboutDialogOnScreen, HoveringTheLinkShowsTheHandAndChangesNothingElse) {
  HWND link = dialog.WebLabel1.hwnd();
  RECT area = {};
  std::vector<COLORREF> before;
  host.ShowModal(dialog, {Do([&] {
                            MoveMouseTo(OnScreen(dialog.hwnd(), {420, 10}));
                            GetWindowRect(link, &area);
                            MapWindowPoints(nullptr, dialog.hwnd(), reinterpret_cast<POINT*>(&area),
                                            2);
                          }),
                          Do([&] {
                            before = ShownClientArea(dialog.hwnd(), area);
                            MoveMouseTo(ClientCentre(link));
                          }),
                          [&] { return dialog.WebLabel1.MouseAbove(); },
                          // The mouse goes on moving over the link, as a hand on it does.
                          Do([&] {
                            MoveMouseTo(OnScreen(link, {40, 6}));
                          }),
                          Do([&] {
                            EXPECT_TRUE(dialog.WebLabel1.MouseAbove());
                            EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
                            EXPECT_EQ(ShownClientArea(dialog.hwnd(), area), before);
                            MoveMouseTo(OnScreen(dialog.hwnd(), {420, 10}));
                          }),
                          [&] { return !dialog.WebLabel1.MouseAbove(); }, Do([&] {
                            EXPECT_EQ(ShownClientArea(dialog.hwnd(), area), before);
                            EXPECT_TRUE(shell.calls.empty());
                          }),
                          PressOk()});
}

// The picture's pixels as the executable carries them, straight alpha.
struct CoilPixel {
  int x, y;
  COLORREF color;
  int alpha;
};

std::vector<CoilPixel> CoilPixels() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(IDR_COIL48), RT_RCDATA);
  HGLOBAL loaded = LoadResource(nullptr, found);
  const DecodedImage image = DecodePng({static_cast<const std::uint8_t*>(LockResource(loaded)),
                                        static_cast<std::size_t>(SizeofResource(nullptr, found))});
  std::vector<CoilPixel> pixels;
  for (std::uint32_t y = 0; y < image.height; ++y)
    for (std::uint32_t x = 0; x < image.width; ++x) {
      const std::uint8_t* p = image.pixels.data() + y * image.stride + 4 * x;
      pixels.push_back({static_cast<int>(x), static_cast<int>(y), RGB(p[2], p[1], p[0]), p[3]});
    }
  return pixels;
}

// `over` seen through `pixel`.
COLORREF Blend(const CoilPixel& pixel, COLORREF over) {
  auto channel = [&](int shift) {
    const int front = static_cast<int>((pixel.color >> shift) & 0xFF);
    const int back = static_cast<int>((over >> shift) & 0xFF);
    return (front * pixel.alpha + back * (255 - pixel.alpha) + 127) / 255;
  };
  return RGB(channel(0), channel(8), channel(16));
}

// The size of a control's text in the control's font.
SIZE TextSize(HWND control) {
  const std::wstring text = WindowText(control);
  HDC dc = GetDC(control);
  HGDIOBJ old =
      SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return size;
}

TEST_F(AboutDialogOnScreen, LooksGradientPictureLabelsAndText) {
  host.ShowModal(
      dialog,
      {Do([&] {
         HWND d = dialog.hwnd();
         RECT client;
         GetClientRect(d, &client);
         EXPECT_EQ(client.right, 434);
         EXPECT_EQ(client.bottom, 155);
         EXPECT_EQ(WindowText(d), L"About");

         // The gradient starts pale blue at the left edge.
         EXPECT_TRUE(Near(ShownClientPixel(d, 0, 60), RGB(200, 200, 255)));
         EXPECT_TRUE(Near(ShownClientPixel(d, 2, 120), RGB(200, 200, 255)));

         // The picture at (358, 45), over the gradient, which depends on
         // the column only and shows just above the picture.
         int probed = 0;
         for (const CoilPixel& p : CoilPixels()) {
           if ((p.x * 7 + p.y * 3) % 23 != 0) continue;  // a spread of samples
           ++probed;
           const COLORREF gradient = ShownClientPixel(d, 358 + p.x, 44);
           EXPECT_TRUE(Near(ShownClientPixel(d, 358 + p.x, 45 + p.y), Blend(p, gradient)))
               << "picture pixel " << p.x << "," << p.y << " alpha " << p.alpha;
         }
         EXPECT_GT(probed, 90);

         // Label1 (9, 3, 218 x 23) right of its text, against the gradient
         // of the same column just below it.
         const COLORREF insideLabel = ShownClientPixel(d, 222, 12);
         if (AMBRELIX_EXPECT_VISUAL_STYLES)
           EXPECT_TRUE(Near(insideLabel, ShownClientPixel(d, 222, 27), 1)) << "label not clear";
         else
           EXPECT_TRUE(Near(insideLabel, GetSysColor(COLOR_BTNFACE), 0)) << "label not filled";
         // The link label (8, 137, 213 x 13) is clear either way.
         EXPECT_TRUE(Near(ShownClientPixel(d, 216, 144), ShownClientPixel(d, 216, 133), 1));

         // Every label's text fits its rectangle; none is cut off.
         for (HWND label : {dialog.Label1.hwnd(), dialog.Label2.hwnd(), dialog.Label3.hwnd(),
                            dialog.WebLabel1.hwnd()}) {
           const SIZE text = TextSize(label);
           RECT box;
           GetClientRect(label, &box);
           EXPECT_LE(text.cx, box.right) << WindowText(label).size() << " characters too wide";
           EXPECT_LE(text.cy, box.bottom) << WindowText(label).size() << " characters too high";
         }

         // The text box sits on the tooltip colour.
         RECT text;
         GetClientRect(dialog.Memo2.hwnd(), &text);
         EXPECT_TRUE(Near(ShownClientPixel(dialog.Memo2.hwnd(), text.right - 1, text.bottom - 1),
                          GetSysColor(COLOR_INFOBK), 0));
         SaveScreenshot(d, AMBRELIX_EXPECT_VISUAL_STYLES ? "about.bmp" : "about-classic.bmp");
       }),
       PressOk()});
}

}  // namespace
}  // namespace ambrelix::ui::testing
