// The colours the window paints with: the form's backgrounds and the system's texts,
// or, in high-contrast mode, the system's for every background and text, so that the
// user's theme stays readable. No Windows header, so that the choice is tested on
// Linux too.
#pragma once

#include "windows/control_table.h"

namespace korvane {

// The system colours the choice draws on: GetSysColor's COLOR_BTNFACE, COLOR_BTNTEXT
// and COLOR_WINDOWTEXT.
struct SystemColours {
  Colour button_face, button_text, window_text;
};

struct Paint {
  Colour background, text;
};

// The background and text of a control, or of the window itself for nullptr.
Paint PaintOf(const ControlSpec* control, Colour window_background, bool high_contrast, const SystemColours& system);

}  // namespace korvane
