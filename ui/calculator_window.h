// TForm1, the calculator window: the input column with its radio group,
// entry fields, result labels and buttons over a colour gradient, and the
// dimensioned drawing with its value labels. Its components are built from
// one form description (calculator_window.cpp), which binds their events to
// the window's rules (calculator_rules.h); the window routes messages to the
// components and paints.
//
// The components and the handlers are public, under their form names: they
// are the window's interface to the settings store, the tests and the reader
// tracing a behaviour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>

#include "app/error_display.h"
#include "calc/calculation_run.h"
#include "settings/settings_controls.h"
#include "ui/calculator_rules.h"
#include "ui/result_writes.h"
#include "ui/win32/controls.h"
#include "ui/win32/form.h"
#include "ui/win32/numeric_edit_window.h"
#include "ui/win32/regional_separators.h"
#include "ui/win32/window_base.h"

namespace ambrelix::ui {

// What the window asks of the rest of the application. An empty hook does
// nothing.
struct TForm1Hooks {
  // The settings start-up, once, when the components exist; an error ends it
  // and is shown, and the window opens all the same.
  std::function<void(settings::SettingsControls&)> OnFormCreate;
  // The settings save at every close; an error keeps the window open.
  std::function<void(settings::SettingsControls&)> OnFormClose;
  // Shows the About dialog modally over `owner`; returns when it is closed.
  std::function<void(HWND owner)> ShowAbout;
};

class TForm1 final : public WindowBase,
                     public settings::SettingsControls,
                     private CalculatorControls {
 public:
  static constexpr wchar_t kWindowClass[] = L"TForm1";

  // `drawingPng` is the drawing's PNG file (the IDR_DRAWING resource); it
  // must outlive Create.
  TForm1(RegionalSeparators& separators, app::ErrorDisplay& errors, TForm1Hooks hooks,
         std::span<const std::uint8_t> drawingPng);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Creates the window hidden, owned by `owner`, builds the components from
  // the form description and runs FormCreate. A drawing that does not decode
  // is reported through the error display; the window opens without it.
  void Create(HWND owner);
  // Shows the window with a ShowWindow command; the first showing centres it
  // on the virtual desktop.
  void Show(int showCommand);

  // Handlers.
  void FormCreate();
  void FormClose();
  void FormPaint(HDC dc);
  void FormResize();

  // settings::SettingsControls, and the controls of the window's rules
  std::u16string FieldText(settings::Field field) const override;
  void SetFieldText(settings::Field field, std::u16string_view text) override;
  int RadioIndex() const override;
  void SetRadioIndex(int index) override;
  bool TailChecked(settings::Tail tail) const override;
  void SetTailChecked(settings::Tail tail, bool checked) override;
  bool TailFieldEnabled(settings::Tail tail) const override;
  void SetTailFieldEnabled(settings::Tail tail, bool enabled) override;

 private:
  // The application's error box, shown as one of the window's own boxes.
  class WindowErrors final : public app::ErrorDisplay {
   public:
    WindowErrors(TForm1& form, app::ErrorDisplay& box) : form_(form), box_(box) {}
    void ShowError(std::u16string_view boxText) override;

   private:
    TForm1& form_;
    app::ErrorDisplay& box_;
  };

  // Declared before the components: the entry fields are built with them.
  RegionalSeparators& separators_;
  WindowErrors errors_;
  CalculatorRules rules_{*this, separators_};

 public:
  // Components, in the order of the form description.
  RadioGroupWindows RadioGroup1;
  PushButtonWindow btnCalc;
  CheckBoxWindow chT1;
  CheckBoxWindow chT2;
  PushButtonWindow btExit;
  GroupBoxWindow GroupBox1;
  LabelWindow Label13, Label14, lbTotalLength, lbTotalVolume;
  PushButtonWindow btnInfo;
  NumericEditWindow edA{separators_, errors_}, edN{separators_, errors_}, edD{separators_, errors_},
      edP{separators_, errors_}, edOD{separators_, errors_}, edID{separators_, errors_},
      edT1{separators_, errors_}, edT2{separators_, errors_};
  LabelWindow Label5, Label15, Label2, Label1, Label25, Label3, Label26, Label7, Label16, Label8,
      Label17, Label6, lbG, Label19, Label4, lbH, Label20, Label9, lbO, Label21, Label10, lbI,
      Label22, Label11, Label23, Label12, Label24;
  PictureComponent Image2;
  LabelWindow lbID2, lbOD2, lbA2, lbG2, lbP2, lbh2, lbI2, lbD2, lbO2;

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void WindowDestroyed() override;
  void LoadDrawing();
  void Paint();
  void PaintClient(HDC dc);
  // The brush a child paints its background with, and the text colours set
  // for it.
  HBRUSH ChildBackground(HDC dc, HWND child);
  void ActivationChanged(bool active);
  HWND FocusTarget() const;

  // The rules' controls
  void SetFieldEnabled(settings::Field field, bool enabled) override;
  void SelectAllText(settings::Field field) override;
  void SetCaption(Target label, std::u16string_view caption) override;
  void ShowGapNotice() override;
  void ShowAbout() override;
  void RequestClose() override;

  // Shows one of the window's modal boxes (the gap notice, the error box)
  // with the focused field's focus handling held until it is closed.
  void ShowOwnBox(const std::function<void()>& show);

  NumericEditWindow& FieldOf(settings::Field field);
  const NumericEditWindow& FieldOf(settings::Field field) const;

  TForm1Hooks hooks_;
  std::span<const std::uint8_t> drawingPng_;
  FontCache fonts_;
  // The client background (gradient and drawing) as a pattern for the
  // children that show it through.
  BitmapHandle backgroundBitmap_;
  BrushHandle backgroundBrush_;
  SIZE backgroundSize_ = {};
  HWND lastFocus_ = nullptr;
  bool initialPlacement_ = true;
};

}  // namespace ambrelix::ui
