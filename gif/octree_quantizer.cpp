#include "gif/octree_quantizer.h"

#include <cstring>

#include "framework/error.h"
#include "imaging/packed_color.h"

namespace tessory {

TColorQuantizer::TColorQuantizer(int maxColors, int colorBits)
    : pool_(1),
      maxColors_(maxColors),
      colorBits_(colorBits),
      leafCache_(std::size_t{1} << kCacheBits),
      nodeCache_(std::size_t{1} << (3 * kCachedLevels)) {
  if (colorBits < 1 || colorBits > 8) throw EConvertError("Invalid octree depth");
  // Every inner node has a child, so at most maxColors + 1 leaves with
  // colorBits ancestors each are alive at once.
  pool_.reserve(static_cast<std::size_t>(maxColors + 1) * static_cast<std::size_t>(colorBits + 1) + 2);
}

std::uint32_t TColorQuantizer::NewNode(int level) {
  std::uint32_t node = freeList_;
  if (node != kNone) {
    freeList_ = pool_[node].nextReducible;
    pool_[node] = TOctreeNode{};
  } else {
    node = static_cast<std::uint32_t>(pool_.size());
    pool_.emplace_back();
  }
  pool_[node].birth = ++births_;
  if (level == colorBits_) {
    pool_[node].leaf = true;
    ++leafCount_;
  } else {
    pool_[node].nextReducible = reducible_[level];
    reducible_[level] = node;
  }
  return node;
}

void TColorQuantizer::FreeNode(std::uint32_t node) {
  pool_[node].birth = 0;
  pool_[node].nextReducible = freeList_;
  freeList_ = node;
}

namespace {

// The bits of a byte spread out to every third bit: bit i goes to bit 3i.
constexpr std::array<std::uint32_t, 256> kSpreadBits = [] {
  std::array<std::uint32_t, 256> spread{};
  for (std::uint32_t v = 0; v < 256; ++v)
    for (int bit = 0; bit < 8; ++bit) spread[v] |= ((v >> bit) & 1u) << (3 * bit);
  return spread;
}();

// A colour's whole path down the tree: the child index on level L is in
// bits 21 - 3L to 23 - 3L, so each level takes its index with one shift
// instead of three bit extractions.
std::uint32_t OctreePath(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return kSpreadBits[red] << 2 | kSpreadBits[green] << 1 | kSpreadBits[blue];
}

}  // namespace

std::uint32_t TColorQuantizer::FindLeaf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const std::uint32_t known = KnownLeaf(red, green, blue);
  return known != kNone ? known : WalkAndRemember(red, green, blue);
}

std::uint32_t TColorQuantizer::WalkAndRemember(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  const std::uint32_t leaf = Walk(red, green, blue);
  const std::uint32_t color = PackRgb(red, green, blue);
  leafCache_[LeafCacheSlot(color)] = {color, {pool_[leaf].birth, leaf, 0, true}};
  return leaf;
}

std::uint32_t TColorQuantizer::Walk(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  if (root_ == kNone) root_ = NewNode(0);
  const std::uint32_t path = OctreePath(red, green, blue);
  // Colours sharing the top bits share the first levels of their walk.
  CachedNode& start = nodeCache_[NodeCacheSlot(red, green, blue)];
  if (!Alive(start)) {
    start.node = root_;
    start.level = static_cast<std::int16_t>(Descend(start.node, 0, path, kCachedLevels));
    start.birth = pool_[start.node].birth;
  }
  start.leaf = pool_[start.node].leaf;
  std::uint32_t node = start.node;
  Descend(node, start.level, path, colorBits_);
  return node;
}

// Follows `path` from `node` on `level` down to a leaf or to `stopLevel`,
// creating the absent nodes on the way; returns the level reached.
int TColorQuantizer::Descend(std::uint32_t& node, int level, std::uint32_t path, int stopLevel) {
  for (; level < stopLevel && !pool_[node].leaf; ++level) {
    const std::size_t child = (path >> (21 - 3 * level)) & 7;
    std::uint32_t next = pool_[node].children[child];
    if (next == kNone) {
      next = NewNode(level + 1);
      pool_[node].children[child] = next;
    }
    node = next;
  }
  return level;
}

// Merges the most recently created inner node of the deepest level that
// has one into a leaf holding all of its children's pixels.
void TColorQuantizer::Reduce() {
  int level = colorBits_ - 1;
  while (level > 0 && reducible_[level] == kNone) --level;
  const std::uint32_t node = reducible_[level];
  reducible_[level] = pool_[node].nextReducible;
  std::uint64_t red = 0, green = 0, blue = 0, pixels = 0;
  int children = 0;
  for (std::uint32_t& child : pool_[node].children) {
    if (child == kNone) continue;
    const TOctreeNode& merged = pool_[child];
    red += merged.redSum, green += merged.greenSum, blue += merged.blueSum, pixels += merged.pixelCount;
    FreeNode(child);
    child = kNone;
    ++children;
  }
  TOctreeNode& leaf = pool_[node];
  leaf.leaf = true;
  leaf.pixelCount += pixels;
  leaf.redSum = red, leaf.greenSum = green, leaf.blueSum = blue;
  leafCount_ -= children - 1;
}

void TColorQuantizer::AddPixelsThroughTheTree(std::uint8_t red, std::uint8_t green, std::uint8_t blue,
                                              std::uint64_t count) {
  if (count == 0) return;
  const int leavesBefore = leafCount_;
  std::uint32_t leaf = WalkAndRemember(red, green, blue);
  // Without a new leaf nothing is pruned, so the whole run lands at once.
  if (leafCount_ != leavesBefore) {
    AddTo(leaf, red, green, blue, 1);
    while (leafCount_ > maxColors_) Reduce();
    if (--count == 0) return;
    // The pruning may have merged the new leaf into its parent.
    leaf = FindLeaf(red, green, blue);
  }
  AddTo(leaf, red, green, blue, count);
}

void TColorQuantizer::ReadOut(std::uint32_t node, std::vector<PaletteColor>& palette) const {
  const TOctreeNode& n = pool_[node];
  if (n.leaf) {
    PaletteColor color;
    if (n.pixelCount > 0) {
      color.red = static_cast<std::uint8_t>(n.redSum / n.pixelCount);
      color.green = static_cast<std::uint8_t>(n.greenSum / n.pixelCount);
      color.blue = static_cast<std::uint8_t>(n.blueSum / n.pixelCount);
    }
    palette.push_back(color);
    return;
  }
  for (std::uint32_t child : n.children) {
    if (child != kNone) ReadOut(child, palette);
  }
}

std::vector<PaletteColor> TColorQuantizer::Palette(std::size_t size) const {
  std::vector<PaletteColor> palette;
  palette.reserve(size > static_cast<std::size_t>(leafCount_) ? size : static_cast<std::size_t>(leafCount_));
  if (root_ != kNone) ReadOut(root_, palette);
  // Entries after the last leaf repeat entry 0. As copies of a lower index
  // they never answer a lookup, so pixels only ever get the leaves' colours.
  const PaletteColor filler = palette.empty() ? PaletteColor{} : palette.front();
  palette.resize(size, filler);
  return palette;
}

namespace {

// The first column from `x` (at least 1) on whose pixel differs from the
// one before it, or `width`. Runs are passed five pixels at a time: fifteen
// bytes equal to the fifteen before them, shifted by one pixel, are five
// more pixels of the same colour.
int RunEnd(const std::uint8_t* row, int x, int width) {
  // Photographs' pixels mostly differ from the one before: one test.
  if (x >= width || std::memcmp(row + 3 * x, row + 3 * x - 3, 3) != 0) return x;
  ++x;
  while (x + 5 <= width && std::memcmp(row + 3 * x, row + 3 * x - 3, 15) == 0) x += 5;
  while (x < width && std::memcmp(row + 3 * x, row + 3 * x - 3, 3) == 0) ++x;
  return x;
}

}  // namespace

std::vector<PaletteColor> BuildOctreePalette(const CaptureImage& source, int colors, int colorBits) {
  TColorQuantizer quantizer(colors, colorBits);
  const int width = source.Width(), height = source.Height();
  const std::size_t stride = source.Stride();
  const std::uint8_t* rows = source.Rows().data();
  // Equal neighbours (in scan order, across row ends too) go in as one run.
  std::uint32_t runColor = 0;
  std::uint64_t runLength = 0;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = rows + stride * static_cast<std::size_t>(height - 1 - y);  // rows are stored bottom-up
    for (int x = 0; x < width;) {
      const std::uint32_t color = PackBgr(row + 3 * x);
      const int end = RunEnd(row, x + 1, width);
      const std::uint64_t pixels = static_cast<std::uint64_t>(end - x);
      x = end;
      if (color == runColor && runLength > 0) {
        runLength += pixels;
        continue;
      }
      if (runLength > 0) quantizer.AddPixels(RedOf(runColor), GreenOf(runColor), BlueOf(runColor), runLength);
      runColor = color;
      runLength = pixels;
    }
  }
  if (runLength > 0) quantizer.AddPixels(RedOf(runColor), GreenOf(runColor), BlueOf(runColor), runLength);
  return quantizer.Palette(static_cast<std::size_t>(colors));
}

}  // namespace tessory
