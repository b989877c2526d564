// The platform side of an entry field: the text box it wraps and the few
// things it asks of the box's window. One Win32 implementation (a subclassed
// EDIT control) and one in-memory implementation for the native tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ambrelix::ui {

// A colour as a control keeps it: 0x00BBGGRR, or one of the user's system
// colours (kSystemColor | index), looked up when painting so that the field
// follows a change of the colour scheme.
using Color = std::uint32_t;
inline constexpr Color kSystemColor = 0xFF000000;
inline constexpr Color kWindowColor = kSystemColor | 5;      // COLOR_WINDOW
inline constexpr Color kWindowTextColor = kSystemColor | 8;  // COLOR_WINDOWTEXT
inline constexpr Color kSilver = 0x00C0C0C0;

// Windows virtual-key codes of the keys the field treats specially.
inline constexpr std::uint16_t kKeyTab = 0x09;
inline constexpr std::uint16_t kKeyEscape = 0x1B;
inline constexpr std::uint16_t kKeyLeft = 0x25;
inline constexpr std::uint16_t kKeyUp = 0x26;
inline constexpr std::uint16_t kKeyRight = 0x27;
inline constexpr std::uint16_t kKeyDown = 0x28;
inline constexpr std::uint16_t kKeyInsert = 0x2D;
inline constexpr std::uint16_t kKeyDelete = 0x2E;

struct ShiftState {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// With nothing selected, start == end is the caret position.
struct TextSelection {
  std::size_t start = 0;
  std::size_t end = 0;
  bool operator==(const TextSelection&) const = default;
};

// The box must hold the two properties the field relies on:
//  1. SetText (a change from code) sends no change notification; every user
//     edit the box performs sends exactly one.
//  2. Enter and Escape belong to the box: they never reach the window's
//     default-button or cancel-button handling.
// Change notifications, and the paste and cut requests the box makes of its
// own (keyboard shortcuts, context menu), go to the field's entry points.
class TextBox {
 public:
  // The text exactly as shown.
  virtual std::u16string Text() const = 0;
  // A change from code: no change notification; the box's modified mark is
  // cleared and the caret goes wherever the platform puts it.
  virtual void SetText(std::u16string_view text) = 0;
  virtual TextSelection Selection() const = 0;
  // Selects [start, end), clamped to the text; the caret ends at `end`.
  virtual void Select(std::size_t start, std::size_t end) = 0;
  // The box's own modified mark, set by every user edit.
  virtual bool IsModified() const = 0;
  // The clipboard's text, or nothing when it holds no text.
  virtual std::optional<std::u16string> ClipboardText() const = 0;

  // The box's own handling of a typed character, a key going down, and a
  // cut (copy the selection to the clipboard, then delete it).
  virtual void DefaultChar(char16_t key) = 0;
  virtual void DefaultKeyDown(std::uint16_t key, ShiftState shift) = 0;
  virtual void DefaultCut() = 0;

  virtual void Enable(bool enabled) = 0;
  // Paints the box and its frame anew (colours or the enabled look changed).
  virtual void Redraw() = 0;
  // Posts an Escape key-down and key-up to the window that contains the box.
  virtual void PostEscapeToWindow() = 0;

 protected:
  ~TextBox() = default;
};

}  // namespace ambrelix::ui
