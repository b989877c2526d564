// The calculator window's standard controls over their Win32 windows, and
// the rules by which they notify their owner of changes made from code: a
// check box set from code runs its click handler when its state changes; a
// radio index set from code is clamped and notifies only when an item becomes
// selected; a label sizes itself to its text. The rules live here once, not
// at every call site.
//
// The child windows belong to their parent and go with it; the objects only
// remember their handles.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/error_display.h"
#include "png/png_reader.h"
#include "ui/text_box.h"
#include "ui/win32/gdi_scopes.h"
#include "ui/win32/window_subclass.h"

namespace ambrelix::ui {

// A rectangle as a form description gives it.
struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  constexpr int right() const { return left + width; }
  constexpr int bottom() const { return top + height; }
};

// A control's colour as GDI takes it: system colours are looked up now.
COLORREF ToColorRef(Color color);
inline constexpr Color kNavy = 0x00800000;

// A font of `pixelHeight` pixels of character height (without the internal
// leading); throws std::runtime_error when it cannot be made.
FontHandle MakeFont(const wchar_t* face, int pixelHeight, bool bold, BYTE charset);

// The bytes of one of this program's RCDATA resources; empty when missing.
std::span<const std::uint8_t> ResourceBytes(int id);

// Moves `window` to its first-show place: centred on the virtual desktop by
// its outer size (window_placement.h).
void CentreOnVirtualDesktop(HWND window);

// Fills `width` x `height` from the top-left corner with the windows' gradient:
// lavender-blue at the left edge to white at `width`, constant down each
// column.
void FillLavenderGradient(HDC dc, int width, int height);

// A label: a static text that takes the size of its text, or keeps its
// design size. An anchored-right label keeps its right edge while its text
// changes, so longer values grow to the left. Its background comes from the
// parent's WM_CTLCOLORSTATIC.
class LabelWindow {
 public:
  enum class Anchor { Left, Right };
  enum class Sizing { ToText, Design };

  void Create(HWND parent, int id, const Bounds& design, std::u16string_view caption, HFONT font,
              Color textColor, Anchor anchor, Sizing sizing = Sizing::ToText);
  HWND hwnd() const { return hwnd_; }
  Color TextColor() const { return textColor_; }

  std::u16string Caption() const;
  void SetCaption(std::u16string_view caption);

 private:
  // Where the label stands and how large it is with `caption`.
  Bounds FittedTo(std::u16string_view caption) const;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  Color textColor_ = kWindowTextColor;
  Anchor anchor_ = Anchor::Left;
  Sizing sizing_ = Sizing::ToText;
  int anchorX_ = 0;
  int top_ = 0;
};

class PushButtonWindow {
 public:
  // A button that starts a group ends the arrow keys' reach of the group
  // before it.
  void Create(HWND parent, int id, const Bounds& bounds, std::u16string_view caption, HFONT font,
              bool tabStop, bool startsGroup = true);
  HWND hwnd() const { return hwnd_; }
  // A click, as the mouse gives it, without moving the focus.
  void Click();

  std::function<void()> OnClick;

 private:
  HWND hwnd_ = nullptr;
};

class CheckBoxWindow {
 public:
  void Create(HWND parent, int id, const Bounds& bounds, std::u16string_view caption, HFONT font,
              bool tabStop);
  HWND hwnd() const { return hwnd_; }

  bool Checked() const;
  // A change runs OnClick, as the user's click would; the same state runs nothing.
  void SetChecked(bool checked);
  // The user toggled the box (BN_CLICKED; the box has changed itself).
  void Clicked();

  std::function<void()> OnClick;

 private:
  HWND hwnd_ = nullptr;
};

class GroupBoxWindow {
 public:
  void Create(HWND parent, int id, const Bounds& bounds, std::u16string_view caption, HFONT font);
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// A captioned group of radio items in one column, the items sharing the room
// below the caption. Only the selected item is a tab stop, so Tab reaches the
// group at its selection and passes it by while nothing is selected.
class RadioGroupWindows {
 public:
  // Item i gets the control id `firstItemId + i`.
  void Create(HWND parent, int boxId, int firstItemId, const Bounds& bounds,
              std::u16string_view caption, std::span<const std::u16string_view> items, HFONT font);
  HWND box() const { return box_; }
  HWND item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  int ItemCount() const { return static_cast<int>(items_.size()); }

  int ItemIndex() const { return index_; }  // -1 while nothing is selected
  // The index is clamped to -1 .. ItemCount()-1. An unchanged index does
  // nothing; otherwise the selection moves and, if an item is now selected,
  // OnClick runs and sees it.
  void SetItemIndex(int index);
  // The user clicked (or arrowed to) item `index`; the item already selected
  // runs nothing.
  void ItemClicked(int index);

  std::function<void()> OnClick;

 private:
  void ShowSelection();

  HWND box_ = nullptr;
  std::vector<HWND> items_;
  int index_ = -1;
};

// A subclassed multi-line EDIT's answer to WM_GETDLGCODE: asked without the
// message, so the EDIT stays out of its dialog mode, in which it closes the
// dialog on Escape and presses the default button on Enter; Enter and
// Escape stay in the box. Tab is left to the window's navigation.
LRESULT EditDialogCode(HWND edit, WPARAM wParam, LPARAM lParam);

// A read-only multi-line text with a sunken edge, a soft bevel inside it and
// a vertical scroll bar, on the tooltip colour. Enter and Escape do nothing
// in it and Tab leaves it, so it never closes its dialog.
class MemoWindow {
 public:
  explicit MemoWindow(app::ErrorDisplay& errors) : errors_(errors) {}
  void Create(HWND parent, int id, const Bounds& bounds, std::u16string_view text, HFONT font,
              bool tabStop);
  HWND hwnd() const { return hwnd_; }

  // The parent hands on WM_CTLCOLORSTATIC first; true when it was the
  // memo's, `result` being the brush.
  bool ParentMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self);
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
  void DrawBevel() const;

  app::ErrorDisplay& errors_;
  HWND hwnd_ = nullptr;
  std::optional<WindowSubclass> subclass_;
};

// A decoded PNG as a DIB section. A picture with an alpha channel is kept
// premultiplied, as AlphaBlend takes it for per-pixel transparency.
struct PictureBitmap {
  BitmapHandle bitmap;
  int width = 0;
  int height = 0;
  bool alpha = false;
};

// Throws PngError for a damaged file.
PictureBitmap DecodePicture(std::span<const std::uint8_t> file);

// A picture the window paints itself (it has no window of its own): drawn
// unscaled from its top-left corner and cut off at its bounds; with an alpha
// channel, blended over what the window painted before it.
class PictureComponent {
 public:
  void SetBounds(const Bounds& bounds) { bounds_ = bounds; }
  const Bounds& bounds() const { return bounds_; }
  // Decodes a PNG file into the picture; throws PngError for a damaged one
  // and leaves the picture empty.
  void LoadPng(std::span<const std::uint8_t> file);
  bool Empty() const { return !picture_.bitmap; }
  void Paint(HDC dc) const;

 private:
  Bounds bounds_;
  PictureBitmap picture_;
};

}  // namespace ambrelix::ui
