#include "app/capture_hint.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

using enum SaveRoute;
using enum ImageKind;

TEST(CaptureHint, RouteWordAndTypeSuffix) {
  EXPECT_EQ(CaptureHint(CopyToClipboard, Bitmap), "Capture to: Clipboard");
  EXPECT_EQ(CaptureHint(CopyToClipboard, Gif), "Capture to: Clipboard");  // the clipboard never names a type
  EXPECT_EQ(CaptureHint(AskFileName, Bitmap), "Capture to: Named File [BMP]");
  EXPECT_EQ(CaptureHint(AutoSave, Jpeg), "Capture to: Autosave File [JPG]");
  EXPECT_EQ(CaptureHint(AutoSave, Gif), "Capture to: Autosave File [GIF]");
  EXPECT_EQ(CaptureHint(AskFileName, Png), "Capture to: Named File [PNG]");
  EXPECT_EQ(CaptureHint(AskFileName, PromptAtSave), "Capture to: Named File");
}

TEST(CaptureHint, ValuesOutsideTheirRangesAddNothing) {
  EXPECT_EQ(CaptureHint(std::nullopt, Jpeg), "Capture to:  [JPG]");
  EXPECT_EQ(CaptureHint(std::nullopt, std::nullopt), "Capture to: ");
  EXPECT_EQ(CaptureHint(AutoSave, std::nullopt), "Capture to: Autosave File");
}

TEST(CaptureHint, WarningNamesTheHotkeysNotTaken) {
  EXPECT_EQ(HintWithUntakenHotkeys("Capture to: Clipboard", {}), "Capture to: Clipboard");
  EXPECT_EQ(HintWithUntakenHotkeys("Capture to: Clipboard", {"Alt+PrtScn"}),
            "Capture to: Clipboard - hotkey not available: Alt+PrtScn");
  EXPECT_EQ(HintWithUntakenHotkeys("Capture to: Clipboard", {"Alt+PrtScn", "Ctrl+Alt+PrtScn"}),
            "Capture to: Clipboard - hotkeys not available: Alt+PrtScn, Ctrl+Alt+PrtScn");
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
