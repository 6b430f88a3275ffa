#include "capture/pick_outline.h"

#include <algorithm>

namespace tessory {
namespace {

// One axis of the ring: outward by `thickness` where [low, high] has room.
void PlaceSide(int& near, int& far, int low, int high, int thickness) {
  near = near - thickness >= low ? near - thickness : near;
  far = far + thickness <= high ? far + thickness : far;
}

// One axis of the label: after the pointer, else before it, then inside.
int PlaceAlong(int pointer, int size, int low, int high, int gap) {
  int start = pointer + gap;
  if (start + size > high) start = pointer - gap - size;
  return std::max(low, std::min(start, high - size));
}

}  // namespace

PixelRect OutlineRing(PixelRect target, PixelRect screen, int thickness) {
  PixelRect ring{std::max(target.left, screen.left), std::max(target.top, screen.top),
                 std::min(target.right, screen.right), std::min(target.bottom, screen.bottom)};
  if (ring.Empty()) return {};
  PlaceSide(ring.left, ring.right, screen.left, screen.right, thickness);
  PlaceSide(ring.top, ring.bottom, screen.top, screen.bottom, thickness);
  return ring;
}

std::array<PixelRect, 4> RingBands(PixelRect ring, int thickness) {
  const int innerTop = ring.top + thickness, innerBottom = ring.bottom - thickness;
  return {{{ring.left, ring.top, ring.right, innerTop},
           {ring.left, innerBottom, ring.right, ring.bottom},
           {ring.left, innerTop, ring.left + thickness, innerBottom},
           {ring.right - thickness, innerTop, ring.right, innerBottom}}};
}

std::string PickLabelText(const std::string& title, int width, int height) {
  std::string size = std::to_string(width) + " x " + std::to_string(height);
  return title.empty() ? size : title + "   " + size;
}

PixelRect LabelPlacement(int pointerX, int pointerY, int width, int height, PixelRect screen, int gap) {
  const int left = PlaceAlong(pointerX, width, screen.left, screen.right, gap);
  const int top = PlaceAlong(pointerY, height, screen.top, screen.bottom, gap);
  return {left, top, left + width, top + height};
}

}  // namespace tessory
