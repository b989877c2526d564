// A GUI program linked with Ambrelix.rc, as the calculator is, that finds
// its own resources the way the calculator will and checks what they hold.
#include <windows.h>
// The other Windows headers need windows.h first.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resource.h"
#include "png/png_reader.h"

namespace ambrelix {
namespace {

std::span<const std::uint8_t> Resource(const wchar_t* type, int id,
                                       WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)) {
  HRSRC found = FindResourceExW(nullptr, type, MAKEINTRESOURCEW(id), language);
  if (!found) return {};
  HGLOBAL loaded = LoadResource(nullptr, found);
  return {static_cast<const std::uint8_t*>(LockResource(loaded)), SizeofResource(nullptr, found)};
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << "cannot open " << path;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(Resources, TheDrawingIsTheCheckedInPngAndDecodes) {
  const auto png = Resource(RT_RCDATA, IDR_DRAWING);
  ASSERT_FALSE(png.empty());
  const auto file = ReadFile(AMBRELIX_RESOURCES "/drawing.png");
  EXPECT_TRUE(std::equal(png.begin(), png.end(), file.begin(), file.end()));
  const DecodedImage image = DecodePng(png);
  EXPECT_EQ(image.width, 550u);
  EXPECT_EQ(image.height, 484u);
  EXPECT_EQ(image.bitsPerPixel, 24);
  // White paper at the corners, black ink somewhere.
  EXPECT_EQ(image.pixels[0], 255);
  EXPECT_NE(std::find(image.pixels.begin(), image.pixels.end(), 0), image.pixels.end());
}

// Counts fully transparent and fully opaque pixels of 32-bit BGRA rows.
std::pair<int, int> TransparentAndOpaque(const std::uint8_t* bgra, std::size_t pixels) {
  int transparent = 0, opaque = 0;
  for (std::size_t i = 0; i < pixels; ++i) {
    transparent += bgra[4 * i + 3] == 0;
    opaque += bgra[4 * i + 3] == 255;
  }
  return {transparent, opaque};
}

TEST(Resources, TheAboutPictureIs48PixelsWithAlpha) {
  const auto png = Resource(RT_RCDATA, IDR_COIL48);
  ASSERT_FALSE(png.empty());
  const DecodedImage image = DecodePng(png);
  EXPECT_EQ(image.width, 48u);
  EXPECT_EQ(image.height, 48u);
  ASSERT_EQ(image.bitsPerPixel, 32);
  const auto [transparent, opaque] = TransparentAndOpaque(image.pixels.data(), 48 * 48);
  EXPECT_GT(transparent, 100);
  EXPECT_GT(opaque, 500);
}

// The icon group holds exactly a 32 and a 48 pixel image, both 32-bit.
TEST(Resources, TheIconGroupHolds32And48PixelImagesWith32Bits) {
  const auto group = Resource(RT_GROUP_ICON, IDI_MAIN);
  ASSERT_GE(group.size(), 6u);
  const int count = group[4] | group[5] << 8;
  ASSERT_EQ(group.size(), 6u + 14u * count);
  std::vector<std::tuple<int, int, int>> entries;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = group.data() + 6 + 14 * i;
    const int id = e[12] | e[13] << 8;
    const auto image = Resource(RT_ICON, id);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, e[0]);
    EXPECT_EQ(header.biHeight, 2 * e[1]);  // colour rows, then the mask's
    entries.emplace_back(e[0], e[1], header.biBitCount);
  }
  EXPECT_EQ(entries, (std::vector<std::tuple<int, int, int>>{{32, 32, 32}, {48, 48, 32}}));
}

class IconSize : public testing::TestWithParam<int> {};

TEST_P(IconSize, LoadsUnscaledWithAlpha) {
  const int size = GetParam();
  HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MAIN),
                                             IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP colour{};
  ASSERT_TRUE(GetObjectW(info.hbmColor, sizeof colour, &colour));
  EXPECT_EQ(colour.bmWidth, size);
  EXPECT_EQ(colour.bmHeight, size);

  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = size;
  format.bmiHeader.biHeight = -size;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint8_t> bgra(4 * size * size);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetDIBits(screen, info.hbmColor, 0, size, bgra.data(), &format, DIB_RGB_COLORS), size);
  ReleaseDC(nullptr, screen);
  const auto [transparent, opaque] = TransparentAndOpaque(bgra.data(), size * size);
  EXPECT_GT(transparent, size * size / 20);
  EXPECT_GT(opaque, size * size / 5);

  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

INSTANTIATE_TEST_SUITE_P(Main, IconSize, testing::Values(32, 48));

std::wstring VersionString(const std::vector<std::uint8_t>& block, const wchar_t* path) {
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path, &value, &length) || length == 0) return L"(none)";
  return static_cast<const wchar_t*>(value);
}

TEST(Resources, VersionInformationIs1000WithOnlyTheTwoVersionStrings) {
  wchar_t exe[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<std::uint8_t> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe, 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(length, sizeof *fixed);
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0u);
  EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(length, 4u);
  EXPECT_EQ(translation[0], 0x0409);
  EXPECT_EQ(translation[1], 1252);

  EXPECT_EQ(VersionString(block, L"\\StringFileInfo\\040904E4\\FileVersion"), L"1.0.0.0");
  EXPECT_EQ(VersionString(block, L"\\StringFileInfo\\040904E4\\ProductVersion"), L"1.0.0.0");
  for (const wchar_t* absent : {L"CompanyName", L"FileDescription", L"ProductName",
                                L"LegalCopyright", L"OriginalFilename", L"InternalName"}) {
    EXPECT_EQ(
        VersionString(block, (std::wstring(L"\\StringFileInfo\\040904E4\\") + absent).c_str()),
        L"(none)")
        << absent;
  }
}

TEST(Resources, ManifestIsResourceOneInUsEnglish) {
  const auto manifest = Resource(RT_MANIFEST, 1, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
  ASSERT_FALSE(manifest.empty());
  const std::string text(manifest.begin(), manifest.end());
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
  EXPECT_EQ(text.find("dpiAware"), std::string::npos);
  EXPECT_EQ(text.find("supportedOS"), std::string::npos);
}

// The loader reads the manifest and binds comctl32 to the side-by-side
// common controls 6, which live under WinSxS rather than in system32.
TEST(Resources, ManifestBringsCommonControls6) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ASSERT_TRUE(InitCommonControlsEx(&controls));
  HMODULE comctl = GetModuleHandleW(L"comctl32.dll");
  ASSERT_NE(comctl, nullptr);
  wchar_t path[MAX_PATH];
  ASSERT_GT(GetModuleFileNameW(comctl, path, MAX_PATH), 0u);
  std::wstring lower(path);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  EXPECT_NE(lower.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
            std::wstring::npos)
      << lower;
}

}  // namespace
}  // namespace ambrelix

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  testing::InitGoogleTest(&__argc, __argv);
  return RUN_ALL_TESTS();
}
