// Where the picker's outline and its label go while a drag lasts, and what
// the label says: plain geometry in screen pixels, free of the platform.
#pragma once

#include <array>
#include <string>

namespace tessory {

struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The outer edge of an outline `thickness` wide around `target`. The target
// is first cut to `screen` (the part a user can see); then each side of the
// outline lies just outside the target where the screen has room for it,
// else just inside, so that it covers the window only where it must. Empty
// when no part of the target is on the screen.
PixelRect OutlineRing(PixelRect target, PixelRect screen, int thickness);

// The four bands of the ring whose outer edge is `ring`: top, bottom, left,
// right. Top and bottom run the full width; left and right fill between.
std::array<PixelRect, 4> RingBands(PixelRect ring, int thickness);

// The label's text: the title, three spaces and the size in pixels,
// "Untitled - Notepad   800 x 600"; only the size for a window without title.
std::string PickLabelText(const std::string& title, int width, int height);

// Where a label of `width` x `height` goes: `gap` below and right of the
// pointer, on the pointer's other side where `screen` has no room there,
// and always inside `screen` (as far as it fits).
PixelRect LabelPlacement(int pointerX, int pointerY, int width, int height, PixelRect screen, int gap);

}  // namespace tessory
