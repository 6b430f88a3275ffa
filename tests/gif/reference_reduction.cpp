#include "gif/reference_reduction.h"

#include <array>
#include <cstdlib>
#include <memory>

namespace tessory::test {
namespace {

struct Node {
  bool leaf = false;
  long long count = 0, red = 0, green = 0, blue = 0;
  Node* nextReducible = nullptr;
  std::array<std::unique_ptr<Node>, 8> children;
};

class Octree {
 public:
  void Add(Rgb c) {
    Insert(root_, c, 0);
    while (leaves_ > 256) Reduce();
  }
  int Leaves() const { return leaves_; }
  void ReadOut(const Node* node, std::vector<PaletteColor>& out) const {
    if (!node) return;
    if (node->leaf) {
      out.push_back({static_cast<std::uint8_t>(node->red / node->count),
                     static_cast<std::uint8_t>(node->green / node->count),
                     static_cast<std::uint8_t>(node->blue / node->count)});
      return;
    }
    for (const auto& child : node->children) ReadOut(child.get(), out);
  }
  const Node* Root() const { return root_.get(); }

 private:
  void Insert(std::unique_ptr<Node>& node, Rgb c, int level) {
    if (!node) {
      node = std::make_unique<Node>();
      if (level == 8) {
        node->leaf = true;
        ++leaves_;
      } else {
        node->nextReducible = reducible_[level];
        reducible_[level] = node.get();
      }
    }
    if (node->leaf) {
      node->count += 1, node->red += c.r, node->green += c.g, node->blue += c.b;
      return;
    }
    const int mask = 0x80 >> level, shift = 7 - level;
    const int index = ((c.r & mask) >> shift) << 2 | ((c.g & mask) >> shift) << 1 | ((c.b & mask) >> shift);
    Insert(node->children[index], c, level + 1);
  }
  void Reduce() {
    int level = 7;
    while (level > 0 && !reducible_[level]) --level;
    Node* node = reducible_[level];
    reducible_[level] = node->nextReducible;
    long long r = 0, g = 0, b = 0;
    int children = 0;
    for (auto& child : node->children) {
      if (!child) continue;
      r += child->red, g += child->green, b += child->blue;
      node->count += child->count;
      child.reset();
      ++children;
    }
    node->leaf = true;
    node->red = r, node->green = g, node->blue = b;
    leaves_ -= children - 1;
  }

  std::unique_ptr<Node> root_;
  int leaves_ = 0;
  std::array<Node*, 8> reducible_{};
};

class Lookup {
 public:
  explicit Lookup(const std::vector<PaletteColor>& palette) : palette_(palette) {
    inverse_.fill(-1);
    for (std::size_t i = 0; i < palette.size(); ++i) {
      const int key = Key(palette[i].red, palette[i].green, palette[i].blue);
      if (inverse_[key] == -1) inverse_[key] = static_cast<short>(i);
    }
  }
  int Find(int r, int g, int b) {
    const int key = Key(r, g, b);
    if (inverse_[key] != -1) return inverse_[key] & 0xFF;
    int best = 0, bestDistance = 196608;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
      const int d = std::abs(palette_[i].red - r) + std::abs(palette_[i].green - g) + std::abs(palette_[i].blue - b);
      if (d < bestDistance) bestDistance = d, best = static_cast<int>(i);
    }
    inverse_[key] = static_cast<short>(best);
    return best;
  }

 private:
  static int Key(int r, int g, int b) { return (r >> 3) | ((g >> 3) << 5) | ((b >> 3) << 10); }
  const std::vector<PaletteColor>& palette_;
  std::array<short, 32768> inverse_;
};

}  // namespace

std::vector<PaletteColor> ReferencePalette(const ReferenceImage& image, int* leaves) {
  Octree tree;
  for (const Rgb& c : image.pixels) tree.Add(c);
  std::vector<PaletteColor> palette;
  tree.ReadOut(tree.Root(), palette);
  if (leaves) *leaves = tree.Leaves();
  const PaletteColor first = palette.empty() ? PaletteColor{} : palette[0];
  palette.resize(256, first);
  return palette;
}

std::vector<std::uint8_t> ReferenceDither(const ReferenceImage& image, const std::vector<PaletteColor>& palette) {
  const int w = image.width;
  Lookup lookup(palette);
  std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * image.height);
  std::array<std::vector<int>, 3> errors;
  for (auto& e : errors) e.assign(static_cast<std::size_t>(w) + 2, 0);
  int direction = 1, column = 0, pos = 0;
  for (int y = 0; y < image.height; ++y) {
    std::array<int, 3> cur{}, below{}, belowPrev{};
    while (column >= 0 && column < w) {
      const Rgb s = image.At(column, y);
      const int source[3] = {s.r, s.g, s.b};
      for (int ch = 0; ch < 3; ++ch) {
        int v = source[ch] + (errors[ch][pos] + cur[ch] + 8) / 16;  // C++ division truncates towards zero
        cur[ch] = v < 0 ? 0 : v > 255 ? 255 : v;
      }
      const int index = lookup.Find(cur[0], cur[1], cur[2]);
      out[static_cast<std::size_t>(y) * w + column] = static_cast<std::uint8_t>(index);
      column += direction;
      const int chosen[3] = {palette[index].red, palette[index].green, palette[index].blue};
      for (int ch = 0; ch < 3; ++ch) {
        const int e = cur[ch] - chosen[ch];
        if (e == 0) {
          cur[ch] = 0;
          continue;
        }
        errors[ch][pos] = belowPrev[ch] + 3 * e;
        belowPrev[ch] = below[ch] + 5 * e;
        below[ch] = e;
        cur[ch] = 7 * e;
      }
      pos += direction;
    }
    for (int ch = 0; ch < 3; ++ch) errors[ch][pos] = belowPrev[ch];
    direction = -direction;
    column = direction > 0 ? 0 : w - 1;
    pos = direction > 0 ? 0 : w + 1;
  }
  return out;
}

IndexedImage ReferenceReduce(const ReferenceImage& image) {
  IndexedImage result;
  result.width = image.width;
  result.height = image.height;
  result.palette = ReferencePalette(image);
  const std::vector<std::uint8_t> indices = ReferenceDither(image, result.palette);
  result.pixels.assign(indices.begin(), indices.end());
  return result;
}

}  // namespace tessory::test
