#include "windows/colours.h"

namespace korvane {

Paint PaintOf(const ControlSpec* control, Colour window_background, bool high_contrast, const SystemColours& system) {
  if (high_contrast) return {system.button_face, system.button_text};
  const bool button = control && control->kind == ControlKind::Button;
  return {control && control->has_background ? control->background : window_background,
          button ? system.button_text : system.window_text};
}

}  // namespace korvane
