// The colours of the window and its controls: the form's backgrounds, and in
// high-contrast mode the user's theme for every background and text alike, here a
// black theme whose button text (yellow) differs from its window text (white).
#include "windows/colours.h"

#include <gtest/gtest.h>

namespace {

using korvane::Colour;
using korvane::ControlKind;

constexpr korvane::SystemColours kStandard{{240, 240, 240}, {0, 0, 1}, {0, 0, 2}};
constexpr korvane::SystemColours kHighContrastBlack{{0, 0, 0}, {255, 255, 0}, {255, 255, 255}};
constexpr Colour kWindow{128, 128, 255};
constexpr Colour kOrange{255, 192, 128};
constexpr Colour kGreen{128, 255, 128};

korvane::ControlSpec Control(ControlKind kind, bool has_background, Colour background = {}) {
  korvane::ControlSpec c{};
  c.kind = kind;
  c.has_background = has_background;
  c.background = background;
  return c;
}

const korvane::ControlSpec kLabel = Control(ControlKind::Label, true, kOrange);
const korvane::ControlSpec kButton = Control(ControlKind::Button, true, kGreen);
const korvane::ControlSpec kFrame = Control(ControlKind::Frame, false);

struct Case {
  const char* name;
  const korvane::ControlSpec* control;  // nullptr: the window
  bool high_contrast;
  Colour background, text;
};

class PaintOfTest : public ::testing::TestWithParam<Case> {};

TEST_P(PaintOfTest, ChoosesTheFormsOrTheThemesColours) {
  const Case& c = GetParam();
  const korvane::Paint paint =
      korvane::PaintOf(c.control, kWindow, c.high_contrast, c.high_contrast ? kHighContrastBlack : kStandard);
  const auto rgb = [](Colour x) {
    return std::to_string(x.red) + "," + std::to_string(x.green) + "," + std::to_string(x.blue);
  };
  EXPECT_EQ(rgb(paint.background), rgb(c.background));
  EXPECT_EQ(rgb(paint.text), rgb(c.text));
}

INSTANTIATE_TEST_SUITE_P(Colours, PaintOfTest,
                         ::testing::Values(Case{"Window", nullptr, false, kWindow, kStandard.window_text},
                                           Case{"LabelInItsOwnColour", &kLabel, false, kOrange, kStandard.window_text},
                                           Case{"ButtonInItsOwnColour", &kButton, false, kGreen, kStandard.button_text},
                                           Case{"FrameOnTheWindowsColour", &kFrame, false, kWindow,
                                                kStandard.window_text},
                                           Case{"HighContrastWindow", nullptr, true, {0, 0, 0}, {255, 255, 0}},
                                           Case{"HighContrastLabel", &kLabel, true, {0, 0, 0}, {255, 255, 0}},
                                           Case{"HighContrastButton", &kButton, true, {0, 0, 0}, {255, 255, 0}},
                                           Case{"HighContrastFrame", &kFrame, true, {0, 0, 0}, {255, 255, 0}}),
                         [](const auto& test) { return std::string(test.param.name); });

}  // namespace
