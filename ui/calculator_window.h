// TForm1, the calculator window: the input column with its radio group,
// entry fields, result labels and buttons over a colour gradient, and the
// dimensioned drawing with its value labels. Its components are built from
// one form description (calculator_window.cpp); its handlers keep the solve
// mode, the tail switches and the enabled fields consistent, clear the totals
// on every edit and run the calculation.
//
// The components and the handlers are public, under their form names: they
// are the window's interface to the settings store, the tests and the reader
// tracing a behaviour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <span>

#include "calc/calculation_run.h"
#include "settings/settings_controls.h"
#include "ui/controls_win32.h"
#include "ui/error_display.h"
#include "ui/numeric_edit_win32.h"
#include "ui/regional_separators.h"
#include "ui/result_writes.h"

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

class TForm1 final : public settings::SettingsControls {
 public:
  static constexpr wchar_t kWindowClass[] = L"TForm1";

  // `drawingPng` is the drawing's PNG file (the IDR_DRAWING resource); it
  // must outlive Create.
  TForm1(RegionalSeparators& separators, ErrorDisplay& errors, TForm1Hooks hooks,
         std::span<const std::uint8_t> drawingPng);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Creates the window hidden, owned by `owner`, builds the components from
  // the form description and runs FormCreate. A drawing that does not decode
  // is reported through the error display; the window opens without it.
  void Create(HWND owner);
  HWND hwnd() const { return hwnd_; }
  // Shows the window with a ShowWindow command; the first showing centres it
  // on the virtual desktop.
  void Show(int showCommand);

  // Handlers.
  void FormCreate();
  void FormClose();
  void FormPaint(HDC dc);
  void FormResize();
  void RadioGroup1Click();
  void chT1Click();
  void chT2Click();
  void ClearResults();
  void edAKeyPress(char16_t& Key);
  void edNKeyPress(char16_t& Key);
  void edDKeyPress(char16_t& Key);
  void edPKeyPress(char16_t& Key);
  void edODKeyPress(char16_t& Key);
  void edIDKeyPress(char16_t& Key);
  void edT1KeyPress(char16_t& Key);
  void edT2KeyPress(char16_t& Key);
  void btnCalcClick();
  void btnInfoClick();
  void btExitClick();

  // settings::SettingsControls
  std::u16string FieldText(settings::Field field) const override;
  void SetFieldText(settings::Field field, std::u16string_view text) override;
  int RadioIndex() const override;
  void SetRadioIndex(int index) override;
  bool TailChecked(settings::Tail tail) const override;
  void SetTailChecked(settings::Tail tail, bool checked) override;
  bool TailFieldEnabled(settings::Tail tail) const override;
  void SetTailFieldEnabled(settings::Tail tail, bool enabled) override;

 private:
  // Declared before the components: the entry fields are built with them.
  RegionalSeparators& separators_;
  ErrorDisplay& errors_;

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
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateComponents();
  void Command(int id);
  void Paint();
  void PaintClient(HDC dc);
  // The brush a child paints its background with, and the text colours set
  // for it.
  HBRUSH ChildBackground(HDC dc, HWND child);
  void ActivationChanged(bool active);
  HWND FocusTarget() const;

  void EnterRunsCalculation(NumericEditWindow& sender, char16_t key);
  void Apply(const Write& write);
  NumericEditWindow& FieldOf(settings::Field field);
  const NumericEditWindow& FieldOf(settings::Field field) const;
  const NumericEditWindow& FieldOf(RunInput input) const;

  TForm1Hooks hooks_;
  std::span<const std::uint8_t> drawingPng_;
  HWND hwnd_ = nullptr;
  FontHandle windowFont_;
  FontHandle t12_;
  FontHandle t12BoldNavy_;
  FontHandle a15Bold_;
  // The client background (gradient and drawing) as a pattern for the
  // children that show it through.
  HBITMAP backgroundBitmap_ = nullptr;
  HBRUSH backgroundBrush_ = nullptr;
  SIZE backgroundSize_ = {};
  HWND lastFocus_ = nullptr;
  bool initialPlacement_ = true;
};

}  // namespace ambrelix::ui
