// Resource identifiers shared by Ambrelix.rc and the code that loads them.
// Prefixes: IDI_ icons, IDR_ raw data (RCDATA), IDC_ controls, IDS_ strings.
#pragma once

#define IDI_MAIN 100  // the coil, 32 x 32 and 48 x 48, 32-bit with alpha

#define IDR_DRAWING 200  // drawing.png: the calculator window's picture, 550 x 484 RGB
#define IDR_COIL48 201   // coil48.png: the About dialog's 48 x 48 RGBA coil
