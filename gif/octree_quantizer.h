// Octree colour quantizer: builds a palette of at most `maxColors` colours
// from an image's own colours, pruning the tree after every pixel.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gif/indexed_image.h"
#include "imaging/capture_image.h"
#include "imaging/packed_color.h"

namespace tessory {

// The child of a level-`level` node that the colour goes down to: the bits
// (0x80 >> level) of red, green and blue, read as a 3-bit number.
constexpr int OctreeChildIndex(std::uint8_t red, std::uint8_t green, std::uint8_t blue, int level) {
  const int shift = 7 - level;
  return (((red >> shift) & 1) << 2) | (((green >> shift) & 1) << 1) | ((blue >> shift) & 1);
}

class TColorQuantizer {
 public:
  // `colorBits` is the depth of the tree: nodes on that level are leaves.
  TColorQuantizer(int maxColors, int colorBits);

  // Adds `count` pixels of one colour, as `count` consecutive pixels would
  // be added one by one: the first may grow the tree and prune it, the
  // others then land in the same leaf.
  void AddPixels(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint64_t count) {
    // Most pixels land in a leaf that a cache holds, which changes nothing
    // in the tree: they are added here, without a call.
    const std::uint32_t known = KnownLeaf(red, green, blue);
    if (known != kNone) {
      AddTo(known, red, green, blue, count);
    } else {
      AddPixelsThroughTheTree(red, green, blue, count);
    }
  }

  int LeafCount() const { return leafCount_; }

  // The leaves' average colours, depth-first with children in order 0 to
  // 7, followed by copies of entry 0 up to `size` entries.
  std::vector<PaletteColor> Palette(std::size_t size) const;

 private:
  static constexpr std::uint32_t kNone = 0;

  struct TOctreeNode {
    std::array<std::uint32_t, 8> children{};  // pool indices, kNone when absent
    std::uint32_t nextReducible = kNone;      // also links free nodes
    bool leaf = false;
    // Which node this pool slot holds: a number no earlier node had, 0
    // while the slot is free. Caches remember it to see that their node is
    // still alive.
    std::uint64_t birth = 0;
    // 64-bit, so that no image can overflow a leaf; the averages are still
    // the exact integer quotients.
    std::uint64_t pixelCount = 0, redSum = 0, greenSum = 0, blueSum = 0;
  };

  std::uint32_t NewNode(int level);
  void FreeNode(std::uint32_t node);
  // Adds `weight` pixels of the colour to the leaf `node`.
  void AddTo(std::uint32_t node, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint64_t weight) {
    TOctreeNode& leaf = pool_[node];
    leaf.pixelCount += weight;
    leaf.redSum += red * weight;
    leaf.greenSum += green * weight;
    leaf.blueSum += blue * weight;
  }
  // AddPixels where no cache holds the colour's leaf: the walk finds it,
  // growing the tree and pruning it where the colour's path is new.
  void AddPixelsThroughTheTree(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint64_t count);
  // The leaf a cache holds for the colour, or kNone. Photographs prune the
  // tree up to levels 3 and 4, where the node cache already holds the
  // leaf: asked first, it answers them without the leaf cache, whose
  // colours they would mostly miss. Screenshots' leaves lie deeper, in few
  // colours, which the leaf cache keeps.
  std::uint32_t KnownLeaf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) const {
    const CachedNode& start = nodeCache_[NodeCacheSlot(red, green, blue)];
    if (start.leaf && Alive(start)) return start.node;
    const std::uint32_t color = PackRgb(red, green, blue);
    const CachedLeaf& cached = leafCache_[LeafCacheSlot(color)];
    return cached.color == color && Alive(cached.leaf) ? cached.leaf.node : kNone;
  }
  // The leaf the colour's path ends in, through the caches where they
  // know it.
  std::uint32_t FindLeaf(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  // The leaf the walk finds for the colour, which the leaf cache then keeps.
  std::uint32_t WalkAndRemember(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  // The leaf the colour's path ends in, creating the absent nodes on it.
  std::uint32_t Walk(std::uint8_t red, std::uint8_t green, std::uint8_t blue);
  int Descend(std::uint32_t& node, int level, std::uint32_t path, int stopLevel);
  void Reduce();
  void ReadOut(std::uint32_t node, std::vector<PaletteColor>& palette) const;

  // Node 0 is a placeholder so that index 0 can mean "none".
  std::vector<TOctreeNode> pool_;
  std::uint32_t freeList_ = kNone;
  std::uint32_t root_ = kNone;
  int leafCount_ = 0;
  int maxColors_;
  int colorBits_;
  // One list per level, most recently created inner node first.
  std::array<std::uint32_t, 8> reducible_{};

  // A node remembered by a cache, valid while that node lives. A living
  // leaf stays the leaf of every colour that reached it, and a living node
  // stays on the paths through it: a reduction frees only leaves (the
  // deepest inner node's children), and only their paths change.
  struct CachedNode {
    std::uint64_t birth = 0;  // 0: never filled
    std::uint32_t node = kNone;
    std::int16_t level = 0;
    // The node was a leaf when last seen. A leaf stays one while it lives;
    // an inner node may have become one since, which the next walk through
    // it notes.
    bool leaf = false;
  };
  bool Alive(const CachedNode& cached) const { return cached.birth != 0 && pool_[cached.node].birth == cached.birth; }

  // Colours whose leaf is known.
  struct CachedLeaf {
    std::uint32_t color = 0;  // as PackRgb packs it
    CachedNode leaf;
  };
  static constexpr int kCacheBits = 12;
  static std::size_t LeafCacheSlot(std::uint32_t color) { return (color * 2654435761u) >> (32 - kCacheBits); }
  std::vector<CachedLeaf> leafCache_;
  // For each path through the first kCachedLevels levels, the node the walk
  // reaches there (or the leaf it ends in above).
  static constexpr int kCachedLevels = 4;
  std::vector<CachedNode> nodeCache_;
  // One slot per combination of the top kCachedLevels bits of red, green
  // and blue: the first kCachedLevels levels of the colour's path.
  static std::size_t NodeCacheSlot(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    constexpr int kShift = 8 - kCachedLevels;
    return static_cast<std::size_t>((red >> kShift) << (2 * kCachedLevels) | (green >> kShift) << kCachedLevels |
                                    (blue >> kShift));
  }
  std::uint64_t births_ = 0;
};

// The palette of reduction method 7: `colors` entries from an octree of
// depth `colorBits` over `source`, a 24-bit image.
std::vector<PaletteColor> BuildOctreePalette(const CaptureImage& source, int colors, int colorBits);

}  // namespace tessory
