// How both windows describe their components: one constexpr table of rows
// (which member, its kind by the member's type, rectangle, text, font, tab
// order, handlers), created in a loop from the control wrappers, so that the
// layout reads like a form description. The rows' order is the creation
// order: it gives the tab order among the focusable components and puts each
// group box above what it holds.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cwchar>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "ui/win32/controls.h"
#include "ui/win32/numeric_edit_window.h"
#include "ui/win32/web_link_label.h"

namespace ambrelix::ui {

// A font as a row names it; the height is the character height in pixels.
struct FontSpec {
  const wchar_t* face = L"Tahoma";
  int height = 11;
  bool bold = false;
  BYTE charset = DEFAULT_CHARSET;
};

// The fonts of one window, each made once, released with the window's object.
class FontCache {
 public:
  HFONT Get(const FontSpec& spec);

 private:
  struct Made {
    FontSpec spec;
    FontHandle font;
  };
  std::vector<Made> made_;
};

inline constexpr int kNoTab = -1;

template <class Form, class Handlers>
struct FormRow {
  using Component =
      std::variant<RadioGroupWindows Form::*, PushButtonWindow Form::*, CheckBoxWindow Form::*,
                   GroupBoxWindow Form::*, LabelWindow Form::*, NumericEditWindow Form::*,
                   PictureComponent Form::*, MemoWindow Form::*, TWebLinkLabel Form::*>;
  using Handler = void (Handlers::*)();
  using KeyHandler = void (Handlers::*)(char16_t&);

  Component component;
  // In the window's client area, or in `within`'s for a component inside a
  // group box.
  Bounds bounds;
  std::u16string_view text = {};
  FontSpec font = {};
  Color color = kWindowTextColor;  // a label's text
  int tabOrder = kNoTab;
  bool tabStop = false;
  Handler onClick = nullptr;
  Handler onChange = nullptr;
  KeyHandler onKeyPress = nullptr;
  LabelWindow::Anchor anchor = LabelWindow::Anchor::Left;
  LabelWindow::Sizing sizing = LabelWindow::Sizing::ToText;
  bool startsGroup = true;  // a push button's
  const Bounds* within = nullptr;
  std::span<const std::u16string_view> items = {};  // a radio group's
  int id = 0;                                       // 0: the row's own block of control ids
};

// Control ids: each row gets a block, a radio group's items the ids after
// its box. They stay clear of IDOK and IDCANCEL, which the dialog manager
// sends for Enter and Escape.
inline constexpr int kFirstControlId = 1000;
inline constexpr int kIdsPerRow = 8;

template <class Row>
constexpr int ControlId(std::span<const Row> rows, std::size_t index) {
  if (rows[index].id) return rows[index].id;
  return kFirstControlId + static_cast<int>(index) * kIdsPerRow;
}

// The row a control id belongs to, and which part of the row (a radio
// group's box is part 0, its items 1, 2, ...); null for an id of no row.
template <class Row>
const Row* RowOfControl(std::span<const Row> rows, int id, int* part) {
  for (std::size_t index = 0; index < rows.size(); ++index) {
    const int first = ControlId(rows, index);
    if (id >= first && id < first + (rows[index].id ? 1 : kIdsPerRow)) {
      *part = id - first;
      return &rows[index];
    }
  }
  return nullptr;
}

// The dialog manager tabs through the tab stops in creation order, so the
// rows list them in their tab order.
template <class Row>
constexpr bool TabOrderFollowsTheRows(std::span<const Row> rows) {
  int last = kNoTab;
  for (const Row& row : rows) {
    if (row.tabOrder == kNoTab) continue;
    if (row.tabOrder != last + 1) return false;
    last = row.tabOrder;
  }
  return true;
}

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};

// What the rows are created with.
struct FormContext {
  HWND parent;
  FontCache& fonts;
  HWND shellOwner = nullptr;  // owns the link label's shell requests
};

// Creates every row's component as a child of `context.parent`, its events
// bound to `handlers`. A picture gets its bounds; its owner loads it. An
// entry field gets its design text before its handlers.
template <class Form, class Handlers>
void CreateComponents(Form& form, Handlers& handlers, std::span<const FormRow<Form, Handlers>> rows,
                      const FormContext& context) {
  using Row = FormRow<Form, Handlers>;
  const auto bind = [&handlers](typename Row::Handler handler) -> std::function<void()> {
    if (!handler) return {};
    return [&handlers, handler] { (handlers.*handler)(); };
  };
  for (std::size_t index = 0; index < rows.size(); ++index) {
    const Row& row = rows[index];
    const int id = ControlId(rows, index);
    Bounds at = row.bounds;
    if (row.within) {
      at.left += row.within->left;
      at.top += row.within->top;
    }
    const HFONT font = context.fonts.Get(row.font);
    HWND parent = context.parent;
    std::visit(Overloaded{
                   [&](RadioGroupWindows Form::*member) {
                     RadioGroupWindows& group = form.*member;
                     group.OnClick = bind(row.onClick);
                     group.Create(parent, id, id + 1, at, row.text, row.items, font);
                   },
                   [&](PushButtonWindow Form::*member) {
                     PushButtonWindow& button = form.*member;
                     button.OnClick = bind(row.onClick);
                     button.Create(parent, id, at, row.text, font, row.tabStop, row.startsGroup);
                   },
                   [&](CheckBoxWindow Form::*member) {
                     CheckBoxWindow& box = form.*member;
                     box.OnClick = bind(row.onClick);
                     box.Create(parent, id, at, row.text, font, row.tabStop);
                   },
                   [&](GroupBoxWindow Form::*member) {
                     (form.*member).Create(parent, id, at, row.text, font);
                   },
                   [&](LabelWindow Form::*member) {
                     (form.*member)
                         .Create(parent, id, at, row.text, font, row.color, row.anchor, row.sizing);
                   },
                   [&](NumericEditWindow Form::*member) {
                     NumericEditWindow& edit = form.*member;
                     edit.field().SetText(row.text);
                     edit.field().OnChange = [&handlers, handler = row.onChange](TNumericEdit&) {
                       (handlers.*handler)();
                     };
                     edit.field().OnKeyPress = [&handlers, handler = row.onKeyPress](
                                                   TNumericEdit&, char16_t& key) {
                       (handlers.*handler)(key);
                     };
                     edit.Create(parent, id, {at.left, at.top, at.right(), at.bottom()}, font);
                   },
                   [&](PictureComponent Form::*member) { (form.*member).SetBounds(at); },
                   [&](MemoWindow Form::*member) {
                     (form.*member).Create(parent, id, at, row.text, font, row.tabStop);
                   },
                   [&](TWebLinkLabel Form::*member) {
                     const std::wstring caption(row.text.begin(), row.text.end());
                     (form.*member)
                         .Create(parent, id, {at.left, at.top, at.right(), at.bottom()}, caption,
                                 font, context.shellOwner);
                   },
               },
               row.component);
  }
}

// A click a child reported (BN_CLICKED), given to the component it belongs to.
template <class Form, class Handlers>
void ComponentClicked(Form& form, std::span<const FormRow<Form, Handlers>> rows, int id) {
  int part = 0;
  const FormRow<Form, Handlers>* row = RowOfControl(rows, id, &part);
  if (!row) return;
  std::visit(Overloaded{
                 [&](RadioGroupWindows Form::*member) {
                   if (part > 0) (form.*member).ItemClicked(part - 1);
                 },
                 [&](PushButtonWindow Form::*member) { (form.*member).Click(); },
                 [&](CheckBoxWindow Form::*member) { (form.*member).Clicked(); },
                 [](auto) {},
             },
             row->component);
}

}  // namespace ambrelix::ui
