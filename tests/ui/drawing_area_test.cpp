// The drawing area for each output: 4:3 at the window's top left, the page with its margins,
// and the fixed clipboard picture.
#include <gtest/gtest.h>

#include "ui/drawing_area.h"

namespace spectrel {
namespace {

TEST(DrawingArea, WindowKeepsFourToThreeAtTheTopLeft) {
  // 1200 x 0.75 = 900 > 600: limited by the height, width 600 / 0.75.
  EXPECT_EQ(ScreenDrawingArea(1200, 600), (DrawingArea{800, 600, 0, 0}));
  // 800 x 0.75 = 600 <= 900: limited by the width.
  EXPECT_EQ(ScreenDrawingArea(800, 900), (DrawingArea{800, 600, 0, 0}));
  EXPECT_EQ(ScreenDrawingArea(1000, 750), (DrawingArea{1000, 750, 0, 0}));
  EXPECT_EQ(ScreenDrawingArea(101, 50), (DrawingArea{66, 50, 0, 0}));   // 50 / 0.75 = 66.67
  EXPECT_EQ(ScreenDrawingArea(0, 0), (DrawingArea{0, 0, 0, 0}));
}

TEST(DrawingArea, PortraitPageWithSquarePixels) {
  // hh = 600 x (4800 x 0.75) / 600 = 3600 fits in 6600: 4800 x 3600, margins 240 and 180.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 600, 600), (DrawingArea{4560, 3420, 240, 180}));
}

TEST(DrawingArea, PagesLimitedByHeightOrWithOblongPixels) {
  // Landscape 6600 x 4800: hh = 4950 > 4800, so height 4800 and width 4800 x 6600 / 4950 = 6400;
  // margins 320 and 240.
  EXPECT_EQ(PrinterDrawingArea(6600, 4800, 600, 600), (DrawingArea{6080, 4560, 320, 240}));
  // Half the vertical resolution: hh = 300 x 3600 / 600 = 1800; margins 240 and 90.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 600, 300), (DrawingArea{4560, 1710, 240, 90}));
  // A printer without a resolution is treated as square.
  EXPECT_EQ(PrinterDrawingArea(4800, 6600, 0, 0), (DrawingArea{4560, 3420, 240, 180}));
  EXPECT_EQ(PrinterDrawingArea(0, 0, 600, 600), (DrawingArea{0, 0, 0, 0}));
}

TEST(DrawingArea, ClipboardPictureIsAlwaysSixFortyByFourEighty) {
  EXPECT_EQ(ClipboardDrawingArea(), (DrawingArea{640, 480, 0, 0}));
}

}  // namespace
}  // namespace spectrel
