#include "app/capture_hint.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

TEST(CaptureHint, RouteWordAndTypeSuffix) {
  EXPECT_EQ(CaptureHint(0, 0), "Capture to: Clipboard");
  EXPECT_EQ(CaptureHint(0, 2), "Capture to: Clipboard");  // the clipboard never names a type
  EXPECT_EQ(CaptureHint(1, 0), "Capture to: Named File [BMP]");
  EXPECT_EQ(CaptureHint(2, 1), "Capture to: Autosave File [JPG]");
  EXPECT_EQ(CaptureHint(2, 2), "Capture to: Autosave File [GIF]");
  EXPECT_EQ(CaptureHint(1, 3), "Capture to: Named File [PNG]");
  EXPECT_EQ(CaptureHint(1, 4), "Capture to: Named File");  // prompt at save
}

TEST(CaptureHint, ValuesOutsideTheirRangesAddNothing) {
  EXPECT_EQ(CaptureHint(3, 1), "Capture to:  [JPG]");
  EXPECT_EQ(CaptureHint(-1, 9), "Capture to: ");
  EXPECT_EQ(CaptureHint(2, -1), "Capture to: Autosave File");
}

TEST(TargetRelease, InsideTestIsInclusiveFromTheIconCorner) {
  // A 74 x 18 client: the icon's corner is at (2, 3), so a release up to 2
  // pixels right of and 3 below the client area still counts as inside.
  EXPECT_TRUE(IsReleaseOverWindow(0, 0, 74, 18));
  EXPECT_TRUE(IsReleaseOverWindow(74, 18, 74, 18));
  EXPECT_FALSE(IsReleaseOverWindow(75, 5, 74, 18));
  EXPECT_FALSE(IsReleaseOverWindow(5, 19, 74, 18));
  EXPECT_FALSE(IsReleaseOverWindow(-1, 5, 74, 18));  // left of the icon, over the window's edge
  EXPECT_FALSE(IsReleaseOverWindow(5, -1, 74, 18));
  EXPECT_FALSE(IsReleaseOverWindow(-400, 300, 74, 18));  // a monitor left of the primary
}

}  // namespace
}  // namespace tessory
