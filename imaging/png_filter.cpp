#include "imaging/png_filter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "framework/error.h"
#include "imaging/deflate_codes.h"
#include "imaging/packed_color.h"

// The filters' loops are written for the compiler's vector code, which
// g++ makes at -O2 only where asked to.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC optimize("tree-vectorize", "vect-cost-model=dynamic")
#endif

namespace tessory {
namespace {

// PNG's row filters, by their type byte.
enum Filter : std::uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };

// Rows are filtered in bands of kBandRows, counted from the top of the
// picture. The band's first kTrialRows rows are estimated as deflate would
// code them both ways: unfiltered, and each row with the predicting filter
// (Sub, Up, Average or Paeth) whose samples come out smallest; the cheaper
// way holds for the whole band. Text,
// window edges and dithered wallpaper deflate best unfiltered, since their
// patterns repeat exactly; gradients and photographs with a filter.
// Unfiltered rows win a near tie: flat bands cost next to nothing either
// way, and unfiltered rows keep exact repeats for the bands after them.
constexpr int kBandRows = 32;
constexpr int kTrialRows = 12;
constexpr double kUnfilteredMarginBits = 1000;

// One stored row (blue, green, red) as a PNG row's samples: red, green,
// blue and, with kBpp 4, the key's alpha (0 on the key's colour, else 255).
template <int kBpp>
void UnpackRow(const std::uint8_t* source, std::uint8_t* target, int width, std::uint32_t key) {
  for (int x = 0; x < width; ++x, source += 3, target += kBpp) {
    target[0] = source[2], target[1] = source[1], target[2] = source[0];
    if constexpr (kBpp == 4) target[3] = PackBgr(source) == key ? 0 : 255;
  }
}

inline int PaethPredictor(int a, int b, int c) {
  const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - 2 * c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// A filtered sample's distance from 0, read as a signed byte, in a form
// the compiler turns into vector code.
inline std::uint32_t Distance(std::uint8_t value) {
  return std::min<std::uint8_t>(value, static_cast<std::uint8_t>(-value));
}

// The samples of each predicting filter on `row` (over `above`) summed by
// their distance from 0, from the second pixel on, one loop a filter.
template <int kBpp>
std::array<std::uint32_t, 4> FilterCosts(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes) {
  std::uint32_t sub = 0, up = 0, average = 0, paeth = 0;
  for (std::size_t i = kBpp; i < bytes; ++i) sub += Distance(static_cast<std::uint8_t>(row[i] - row[i - kBpp]));
  for (std::size_t i = kBpp; i < bytes; ++i) up += Distance(static_cast<std::uint8_t>(row[i] - above[i]));
  for (std::size_t i = kBpp; i < bytes; ++i)
    average += Distance(static_cast<std::uint8_t>(row[i] - ((row[i - kBpp] + above[i]) >> 1)));
  for (std::size_t i = kBpp; i < bytes; ++i) {
    const std::int16_t a = row[i - kBpp], b = above[i], c = above[i - kBpp];
    const std::int16_t pa = static_cast<std::int16_t>(std::abs(b - c)), pb = static_cast<std::int16_t>(std::abs(a - c));
    const std::int16_t pc = static_cast<std::int16_t>(std::abs(a + b - 2 * c));
    const std::int16_t predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
    paeth += Distance(static_cast<std::uint8_t>(row[i] - predicted));
  }
  return {sub, up, average, paeth};
}

// The predicting filter whose samples on `row` (over `above`) add up to
// the least distance from 0; the first in PNG's order where several do.
template <int kBpp>
Filter SmallestFilter(const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes) {
  const std::array<std::uint32_t, 4> costs = FilterCosts<kBpp>(row, above, bytes);
  return static_cast<Filter>(kSub + (std::ranges::min_element(costs) - costs.begin()));
}

// Writes `row` filtered by `filter` over `above` to `out`: the type byte,
// then the samples.
template <int kBpp>
void ApplyFilter(Filter filter, const std::uint8_t* row, const std::uint8_t* above, std::size_t bytes,
                 std::uint8_t* out) {
  *out++ = filter;
  const std::size_t first = std::min<std::size_t>(kBpp, bytes);
  switch (filter) {
    case kNone: std::memcpy(out, row, bytes); break;
    case kSub:
      std::memcpy(out, row, first);
      for (std::size_t i = first; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(row[i] - row[i - kBpp]);
      break;
    case kUp:
      for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
      break;
    case kAverage:
      for (std::size_t i = 0; i < first; ++i) out[i] = static_cast<std::uint8_t>(row[i] - (above[i] >> 1));
      for (std::size_t i = first; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(row[i] - ((row[i - kBpp] + above[i]) >> 1));
      break;
    case kPaeth:
      for (std::size_t i = 0; i < first; ++i) out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
      for (std::size_t i = first; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(row[i] - PaethPredictor(row[i - kBpp], above[i], above[i - kBpp]));
      break;
  }
}

// The bits of `counts` coded at their own entropy.
template <std::size_t kSymbols>
double EntropyBits(const std::array<std::uint32_t, kSymbols>& counts) {
  std::uint64_t total = 0;
  for (const std::uint32_t count : counts) total += count;
  double bits = 0;
  for (const std::uint32_t count : counts) {
    if (count) bits += count * std::log2(static_cast<double>(total) / count);
  }
  return bits;
}

// Roughly the bits deflate spends on `data`: a greedy parse into literals
// and matches of 4 bytes or more (found through a table of the last place
// each 4-byte sequence was seen), its symbols coded at their entropy as
// deflate's Huffman codes about do, with the extra bits of lengths and
// distances.
double DeflateBitsEstimate(const std::uint8_t* data, std::size_t context, std::size_t size) {
  constexpr int kHashBits = 13;
  constexpr std::size_t kWindow = 32768, kMaxMatch = 258;
  constexpr std::uint32_t kUnseen = std::numeric_limits<std::uint32_t>::max();
  std::array<std::uint32_t, 1 << kHashBits> last;
  last.fill(kUnseen);
  std::array<std::uint32_t, 256 + 29> literalsAndLengths{};
  std::array<std::uint32_t, 30> distances{};
  double extraBits = 0;
  const auto slotAt = [data](std::size_t at) {
    std::uint32_t word;
    std::memcpy(&word, data + at, 4);
    return (word * 0x9E3779B1u) >> (32 - kHashBits);
  };
  std::size_t i = 0;
  for (; i < context && i + 4 <= size; ++i) last[slotAt(i)] = static_cast<std::uint32_t>(i);
  while (i + 4 <= size) {
    const std::uint32_t slot = slotAt(i);
    const std::uint32_t seen = last[slot];
    last[slot] = static_cast<std::uint32_t>(i);
    if (seen != kUnseen && i - seen <= kWindow && std::memcmp(data + seen, data + i, 4) == 0) {
      std::size_t length = 4;
      const std::size_t most = std::min(kMaxMatch, size - i);
      while (length < most && data[seen + length] == data[i + length]) ++length;
      const DeflateCode lengthCode = LengthCode(length), distanceCode = DistanceCode(i - seen);
      ++literalsAndLengths[256 + static_cast<std::size_t>(lengthCode.code)];
      ++distances[static_cast<std::size_t>(distanceCode.code)];
      extraBits += lengthCode.extraBits + distanceCode.extraBits;
      i += length;
    } else {
      ++literalsAndLengths[data[i++]];
    }
  }
  for (; i < size; ++i) ++literalsAndLengths[data[i]];
  return EntropyBits(literalsAndLengths) + EntropyBits(distances) + extraBits;
}

template <int kBpp>
class BandFilter {
 public:
  BandFilter(const PngSourceRows& rows, std::uint32_t key)
      : rows_(rows),
        key_(key),
        bytes_(static_cast<std::size_t>(rows.width) * kBpp),
        raw_(static_cast<std::size_t>(std::min(kBandRows, rows.height) + 1) * bytes_),
        trial_(static_cast<std::size_t>(std::min(kTrialRows, rows.height) + 1) * (1 + bytes_)) {}

  // Rows [first, first + count) filtered into `out`.
  void Write(int first, int count, std::uint8_t* out) {
    start_ = out;
    // The row above the first: zeros above the picture's top.
    if (first > 0) {
      UnpackRow<kBpp>(Stored(first - 1), raw_.data(), rows_.width, key_);
    } else {
      std::fill_n(raw_.data(), bytes_, 0);
    }
    for (int y = first; y < first + count;) {
      const int end = std::min(first + count, (y / kBandRows + 1) * kBandRows);
      out = WriteBand(y, end - y, out);
      y = end;
    }
  }

 private:
  const std::uint8_t* Stored(int y) const {
    return rows_.data + static_cast<std::size_t>(rows_.height - 1 - y) * rows_.stride;
  }
  std::uint8_t* Raw(int i) { return raw_.data() + static_cast<std::size_t>(i) * bytes_; }

  // Writes band row `i` (1 for the first) to `out` with the predicting
  // filter whose samples come out smallest.
  void WriteFiltered(int i, std::uint8_t* out) {
    const std::uint8_t* row = Raw(i);
    const std::uint8_t* above = Raw(i - 1);
    ApplyFilter<kBpp>(SmallestFilter<kBpp>(row, above, bytes_), row, above, bytes_, out);
  }

  // Raw(0) holds the row above the band; on return it holds the band's
  // last row. The band's first kTrialRows rows are filtered first and
  // estimated both ways, after the row the stream holds before the band
  // where there is one; the rest are written the way that wins.
  std::uint8_t* WriteBand(int first, int count, std::uint8_t* out) {
    const std::size_t rowBytes = 1 + bytes_;
    for (int i = 1; i <= count; ++i) UnpackRow<kBpp>(Stored(first + i - 1), Raw(i), rows_.width, key_);
    const int trialRows = std::min(count, kTrialRows);
    for (int i = 1; i <= trialRows; ++i) WriteFiltered(i, out + (i - 1) * rowBytes);
    const std::size_t context = out == start_ ? 0 : rowBytes;
    if (context) std::memcpy(trial_.data(), out - rowBytes, rowBytes);
    for (int i = 1; i <= trialRows; ++i) ApplyFilter<kBpp>(kNone, Raw(i), nullptr, bytes_, &trial_[i * rowBytes]);
    const std::size_t trialBytes = static_cast<std::size_t>(trialRows) * rowBytes;
    const double unfiltered = DeflateBitsEstimate(trial_.data() + rowBytes - context, context, context + trialBytes);
    const double filtered = DeflateBitsEstimate(out - context, context, context + trialBytes);
    if (unfiltered < filtered + kUnfilteredMarginBits) {
      std::memcpy(out, trial_.data() + rowBytes, trialBytes);
      for (int i = trialRows + 1; i <= count; ++i)
        ApplyFilter<kBpp>(kNone, Raw(i), nullptr, bytes_, out + (i - 1) * rowBytes);
    } else {
      for (int i = trialRows + 1; i <= count; ++i) WriteFiltered(i, out + (i - 1) * rowBytes);
    }
    std::memcpy(Raw(0), Raw(count), bytes_);
    return out + static_cast<std::size_t>(count) * rowBytes;
  }

  const std::uint8_t* start_ = nullptr;  // the first row written
  const PngSourceRows& rows_;
  const std::uint32_t key_;
  const std::size_t bytes_;
  std::vector<std::uint8_t> raw_;    // the row above the band, then its rows unfiltered
  std::vector<std::uint8_t> trial_;  // the row before the band as written, then its rows unfiltered
};

template <int kBpp>
void WriteRows(const PngSourceRows& rows, int first, int count, std::uint32_t key, std::uint8_t* out) {
  try {
    BandFilter<kBpp>(rows, key).Write(first, count, out);
  } catch (const std::bad_alloc&) {
    // No room to choose filters in: the rows go unfiltered, which needs none.
    const std::size_t rowBytes = 1 + static_cast<std::size_t>(rows.width) * kBpp;
    for (int y = first; y < first + count; ++y, out += rowBytes) {
      out[0] = kNone;
      UnpackRow<kBpp>(rows.data + static_cast<std::size_t>(rows.height - 1 - y) * rows.stride, out + 1, rows.width,
                      key);
    }
  }
}

}  // namespace

std::size_t FilteredRowsSize(int width, int height, int channels) {
  const std::size_t rowBytes = 1 + static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  if (height > 0 && rowBytes > std::numeric_limits<std::size_t>::max() / static_cast<std::size_t>(height)) {
    throw EOutOfResources(kOutOfResourcesText);
  }
  return rowBytes * static_cast<std::size_t>(std::max(height, 0));
}

void FilterRows(const PngSourceRows& rows, int first, int count, std::optional<std::uint32_t> colorKey,
                std::span<std::uint8_t> out) {
  if (count <= 0) return;
  if (rows.width <= 0) {
    std::fill_n(out.begin(), count, kNone);  // rows of a filter byte alone
  } else if (colorKey) {
    WriteRows<4>(rows, first, count, *colorKey, out.data());
  } else {
    WriteRows<3>(rows, first, count, 0, out.data());
  }
}

}  // namespace tessory
