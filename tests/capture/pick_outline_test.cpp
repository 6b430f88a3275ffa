#include "capture/pick_outline.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

constexpr PixelRect kScreen{0, 0, 1280, 1024};

TEST(OutlineRing, LiesOutsideTheWindowWhereTheScreenHasRoom) {
  EXPECT_EQ(OutlineRing({400, 300, 720, 540}, kScreen, 4), (PixelRect{396, 296, 724, 544}));
}

TEST(OutlineRing, FallsInsideAtTheScreensEdgesAndClosesAroundTheVisiblePart) {
  // A maximised window: no room on any side.
  EXPECT_EQ(OutlineRing({0, 0, 1280, 1024}, kScreen, 4), (PixelRect{0, 0, 1280, 1024}));
  // Past the left and bottom edges: the ring runs along those edges, inside.
  EXPECT_EQ(OutlineRing({-200, 500, 440, 1100}, kScreen, 4), (PixelRect{0, 496, 444, 1024}));
  // A monitor left of the primary: negative coordinates are ordinary.
  EXPECT_EQ(OutlineRing({-1000, 10, -500, 400}, {-1920, 0, 1280, 1080}, 3), (PixelRect{-1003, 7, -497, 403}));
  EXPECT_TRUE(OutlineRing({1300, 0, 1500, 100}, kScreen, 4).Empty());
}

TEST(OutlineRing, BandsTileTheRingWithoutOverlap) {
  const auto bands = RingBands({10, 20, 110, 70}, 4);
  EXPECT_EQ(bands[0], (PixelRect{10, 20, 110, 24}));
  EXPECT_EQ(bands[1], (PixelRect{10, 66, 110, 70}));
  EXPECT_EQ(bands[2], (PixelRect{10, 24, 14, 66}));
  EXPECT_EQ(bands[3], (PixelRect{106, 24, 110, 66}));
}

TEST(PickLabel, TitleThenSizeOrSizeAlone) {
  EXPECT_EQ(PickLabelText("Untitled - Notepad", 800, 600), "Untitled - Notepad   800 x 600");
  EXPECT_EQ(PickLabelText("", 32, 7), "32 x 7");
}

TEST(PickLabel, StaysOnScreenNearThePointer) {
  // Below and right of the pointer where there is room.
  EXPECT_EQ(LabelPlacement(100, 100, 200, 20, kScreen, 16), (PixelRect{116, 116, 316, 136}));
  // In the bottom-right corner it flips to the pointer's other side.
  EXPECT_EQ(LabelPlacement(1270, 1020, 200, 20, kScreen, 16), (PixelRect{1054, 984, 1254, 1004}));
  // Moving along one axis only moves it along that axis.
  EXPECT_EQ(LabelPlacement(100, 500, 200, 20, kScreen, 16).top, LabelPlacement(900, 500, 200, 20, kScreen, 16).top);
  // Wider than the room on either side: kept inside, from the left edge.
  EXPECT_EQ(LabelPlacement(300, 10, 1000, 20, {0, 0, 1100, 600}, 16).left, 0);
}

}  // namespace
}  // namespace tessory
