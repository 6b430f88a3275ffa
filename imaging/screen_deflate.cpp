#include "imaging/screen_deflate.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <optional>

#include "imaging/deflate_codes.h"

namespace tessory {
namespace {

constexpr std::size_t kWindow = 32768;
constexpr std::uint32_t kMinMatch = 3, kMaxMatch = 258;

// The chain search: positions hashed by their first four bytes, at most
// kChainDepth of them tried. A match found at one position is weighed
// against the next position's (one step of lazy matching) when it is
// shorter than kLazyBelow.
constexpr int kHashBits = 15;
constexpr int kChainDepth = 32;
constexpr std::uint32_t kLazyBelow = 64;

// Each block gets its own Huffman codes after this many literals and
// matches.
constexpr std::size_t kBlockSymbols = 2048;

// Screen content has at most one literal byte in kLiteralShare.
constexpr std::size_t kLiteralShare = 100;

constexpr int kLitLenSymbols = 286, kDistSymbols = 30;
constexpr int kEndOfBlock = 256;
constexpr int kMaxPrecodeBits = 7;

constexpr std::uint32_t kNoPosition = std::numeric_limits<std::uint32_t>::max();

std::uint64_t Load64(const std::uint8_t* at) {
  std::uint64_t value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

constexpr std::uint64_t kHashedBytes = 0xFFFFFFFF;  // the low four bytes of a load

std::uint32_t HashOf(std::uint64_t bytes) {
  return static_cast<std::uint32_t>(((bytes & kHashedBytes) * 0x9E3779B97F4A7C15ull) >> (64 - kHashBits));
}

// The bytes `a` and `b` have in common, at most `most`; 8 bytes are read at
// a time while `most` leaves room for them.
std::uint32_t CommonLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t most) {
  std::uint32_t n = 0;
  for (; n + 8 <= most; n += 8) {
    const std::uint64_t difference = Load64(a + n) ^ Load64(b + n);
    if (difference) return n + static_cast<std::uint32_t>(std::countr_zero(difference) >> 3);
  }
  while (n < most && a[n] == b[n]) ++n;
  return n;
}

// A literal (distance 0) or a match.
struct Symbol {
  std::uint16_t lengthOrLiteral = 0;
  std::uint16_t distance = 0;
};

struct Match {
  std::uint32_t length = 0, distance = 0;
};

// Bits in deflate's order, the first in the lowest bit of the first byte.
class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  // `count` (at most 16) bits of `bits`.
  void Put(std::uint32_t bits, int count) {
    pending_ |= static_cast<std::uint64_t>(bits) << pendingCount_;
    pendingCount_ += count;
    if (pendingCount_ >= 32) {
      for (int i = 0; i < 4; ++i, pending_ >>= 8) out_.push_back(static_cast<std::uint8_t>(pending_));
      pendingCount_ -= 32;
    }
  }

  // The last bits, padded with zeros to a whole byte.
  void Finish() {
    for (; pendingCount_ > 0; pendingCount_ -= 8, pending_ >>= 8) out_.push_back(static_cast<std::uint8_t>(pending_));
    pendingCount_ = 0;
  }

 private:
  std::vector<std::uint8_t>& out_;
  std::uint64_t pending_ = 0;
  int pendingCount_ = 0;
};

// Code lengths of at most `maxBits` for `count` symbols of these
// frequencies: Huffman's, shortened where they run too long by moving
// leaves up the tree as JPEG does (ITU T.81, annex K.3). At least two
// symbols must occur, so that every code is complete.
void CodeLengths(const std::uint32_t* frequency, int count, int maxBits, std::uint8_t* lengths) {
  std::array<int, kLitLenSymbols> used;
  int n = 0;
  for (int s = 0; s < count; ++s) {
    lengths[s] = 0;
    if (frequency[s]) used[n++] = s;
  }
  std::sort(used.begin(), used.begin() + n,
            [frequency](int a, int b) { return frequency[a] != frequency[b] ? frequency[a] < frequency[b] : a < b; });
  // Two queues: the leaves in order, and the joined nodes, made in order.
  std::array<std::uint64_t, 2 * kLitLenSymbols> weight;
  std::array<int, 2 * kLitLenSymbols> parent;
  for (int i = 0; i < n; ++i) weight[i] = frequency[used[i]];
  int leaf = 0, joined = n, made = n;
  const auto take = [&] { return leaf < n && (joined == made || weight[leaf] <= weight[joined]) ? leaf++ : joined++; };
  while (made < 2 * n - 1) {
    const int a = take(), b = take();
    weight[made] = weight[a] + weight[b];
    parent[a] = parent[b] = made++;
  }
  // Depths from the root down, counted per length.
  std::array<int, 2 * kLitLenSymbols> depth;
  std::array<int, 2 * kLitLenSymbols> perLength{};
  depth[made - 1] = 0;
  for (int i = made - 2; i >= 0; --i) depth[i] = depth[parent[i]] + 1;
  for (int i = 0; i < n; ++i) ++perLength[depth[i]];
  for (int bits = n - 1; bits > maxBits; --bits) {
    while (perLength[bits] > 0) {
      int shorter = bits - 2;
      while (perLength[shorter] == 0) --shorter;
      perLength[bits] -= 2;
      ++perLength[bits - 1];
      perLength[shorter + 1] += 2;
      --perLength[shorter];
    }
  }
  // The most frequent symbols take the shortest codes.
  int next = n - 1;
  for (int bits = 1; bits <= maxBits; ++bits) {
    for (int i = 0; i < perLength[bits]; ++i) lengths[used[next--]] = static_cast<std::uint8_t>(bits);
  }
}

// Canonical codes for these lengths, bit-reversed for deflate's order.
void CanonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes) {
  std::array<int, kMaxCodeBits + 1> perLength{};
  for (int s = 0; s < count; ++s) ++perLength[lengths[s]];
  perLength[0] = 0;
  std::array<std::uint32_t, kMaxCodeBits + 2> next{};
  for (int bits = 1; bits <= kMaxCodeBits; ++bits) next[bits + 1] = (next[bits] + perLength[bits]) << 1;
  for (int s = 0; s < count; ++s) {
    if (!lengths[s]) continue;
    const std::uint32_t code = next[lengths[s]]++;
    std::uint32_t reversed = 0;
    for (int b = 0; b < lengths[s]; ++b) reversed |= ((code >> b) & 1) << (lengths[s] - 1 - b);
    codes[s] = static_cast<std::uint16_t>(reversed);
  }
}

// Gives a second symbol a count where fewer than two occur: a code of one
// symbol is incomplete, which decoders refuse.
void AtLeastTwoSymbols(std::uint32_t* frequency, int count) {
  auto used = std::count_if(frequency, frequency + count, [](std::uint32_t f) { return f != 0; });
  for (int s = 0; s < count && used < 2; ++s) {
    if (!frequency[s]) frequency[s] = 1, ++used;
  }
}

// One alphabet's code: lengths and codes.
template <int kSymbols>
struct Code {
  std::array<std::uint8_t, kSymbols> lengths{};
  std::array<std::uint16_t, kSymbols> codes{};

  void Build(std::array<std::uint32_t, kSymbols>& frequency, int maxBits) {
    AtLeastTwoSymbols(frequency.data(), kSymbols);
    CodeLengths(frequency.data(), kSymbols, maxBits, lengths.data());
    CanonicalCodes(lengths.data(), kSymbols, codes.data());
  }
  void Put(BitWriter& bits, int symbol) const { bits.Put(codes[symbol], lengths[symbol]); }
};

// The code lengths of both alphabets run-length coded as deflate's
// dynamic block header has them: symbols 0 to 18, each with its extra
// bits' value.
struct LengthRun {
  std::uint8_t symbol = 0, extra = 0;
};

std::vector<LengthRun> RunLengths(std::span<const std::uint8_t> lengths) {
  std::vector<LengthRun> runs;
  for (std::size_t i = 0; i < lengths.size();) {
    const std::uint8_t value = lengths[i];
    std::size_t run = 1;
    while (i + run < lengths.size() && lengths[i + run] == value) ++run;
    i += run;
    if (value == 0) {
      for (; run >= 11; run -= std::min<std::size_t>(run, 138))
        runs.push_back({18, static_cast<std::uint8_t>(std::min<std::size_t>(run, 138) - 11)});
      if (run >= 3) runs.push_back({17, static_cast<std::uint8_t>(run - 3)}), run = 0;
    } else {
      runs.push_back({value, 0});
      for (--run; run >= 3; run -= std::min<std::size_t>(run, 6))
        runs.push_back({16, static_cast<std::uint8_t>(std::min<std::size_t>(run, 6) - 3)});
    }
    for (; run > 0; --run) runs.push_back({value, 0});
  }
  return runs;
}

// Writes `symbols` as one block with its own Huffman codes.
void WriteBlock(BitWriter& bits, std::span<const Symbol> symbols, bool final) {
  std::array<std::uint32_t, kLitLenSymbols> litLenCount{};
  std::array<std::uint32_t, kDistSymbols> distCount{};
  for (const Symbol& symbol : symbols) {
    if (!symbol.distance) {
      ++litLenCount[symbol.lengthOrLiteral];
    } else {
      ++litLenCount[257 + LengthCode(symbol.lengthOrLiteral).code];
      ++distCount[DistanceCode(symbol.distance).code];
    }
  }
  litLenCount[kEndOfBlock] = 1;
  Code<kLitLenSymbols> litLen;
  Code<kDistSymbols> dist;
  litLen.Build(litLenCount, kMaxCodeBits);
  dist.Build(distCount, kMaxCodeBits);
  int litLenUsed = kLitLenSymbols, distUsed = kDistSymbols;
  while (!litLen.lengths[litLenUsed - 1]) --litLenUsed;
  while (!dist.lengths[distUsed - 1]) --distUsed;

  std::array<std::uint8_t, kLitLenSymbols + kDistSymbols> lengths;
  std::copy_n(litLen.lengths.begin(), litLenUsed, lengths.begin());
  std::copy_n(dist.lengths.begin(), distUsed, lengths.begin() + litLenUsed);
  const std::vector<LengthRun> runs = RunLengths(std::span(lengths).first(litLenUsed + distUsed));
  std::array<std::uint32_t, kPrecodeSymbols> precodeCount{};
  for (const LengthRun& run : runs) ++precodeCount[run.symbol];
  Code<kPrecodeSymbols> precode;
  precode.Build(precodeCount, kMaxPrecodeBits);
  int precodeUsed = kPrecodeSymbols;
  while (precodeUsed > 4 && !precode.lengths[kPrecodeOrder[precodeUsed - 1]]) --precodeUsed;

  bits.Put(final ? 1 : 0, 1);
  bits.Put(2, 2);  // Huffman codes of its own
  bits.Put(litLenUsed - 257, 5);
  bits.Put(distUsed - 1, 5);
  bits.Put(precodeUsed - 4, 4);
  for (int i = 0; i < precodeUsed; ++i) bits.Put(precode.lengths[kPrecodeOrder[i]], 3);
  for (const LengthRun& run : runs) {
    precode.Put(bits, run.symbol);
    if (run.symbol >= 16) bits.Put(run.extra, run.symbol == 16 ? 2 : run.symbol == 17 ? 3 : 7);
  }
  for (const Symbol& symbol : symbols) {
    if (!symbol.distance) {
      litLen.Put(bits, symbol.lengthOrLiteral);
      continue;
    }
    const DeflateCode length = LengthCode(symbol.lengthOrLiteral), distance = DistanceCode(symbol.distance);
    litLen.Put(bits, 257 + length.code);
    bits.Put((symbol.lengthOrLiteral - kMinMatch) & ((1u << length.extraBits) - 1), length.extraBits);
    dist.Put(bits, distance.code);
    bits.Put((symbol.distance - 1u) & ((1u << distance.extraBits) - 1), distance.extraBits);
  }
  litLen.Put(bits, kEndOfBlock);
}

}  // namespace

struct ScreenDeflater::Tables {
  std::array<std::uint32_t, 1 << kHashBits> head;
  std::array<std::uint32_t, kWindow> previous;  // by position modulo the window
  std::vector<Symbol> symbols = std::vector<Symbol>(kBlockSymbols);
};

namespace {

// The parse of one input: the best match at each position, and the chains
// of positions where the input changes.
class Parser {
 public:
  Parser(std::span<const std::uint8_t> data, std::size_t pixelBytes, std::size_t rowBytes, std::uint32_t* head,
         std::uint32_t* previous)
      : data_(data.data()),
        size_(static_cast<std::uint32_t>(data.size())),
        hashedEnd_(data.size() >= 8 ? static_cast<std::uint32_t>(data.size() - 8) : 0),
        pixelBytes_(pixelBytes < kWindow ? static_cast<std::uint32_t>(pixelBytes) : 0),
        rowBytes_(rowBytes < kWindow ? static_cast<std::uint32_t>(rowBytes) : 0),
        head_(head),
        previous_(previous) {
    std::fill_n(head_, std::size_t{1} << kHashBits, kNoPosition);
  }

  // The best match at `at`, after every earlier position is on its chain;
  // a length under kMinMatch means none.
  Match BestAt(std::uint32_t at) {
    Chain(at);
    const std::uint32_t most = std::min(kMaxMatch, size_ - at);
    const std::uint8_t* const here = data_ + at;
    Match best;
    const auto consider = [&](std::uint32_t distance) {
      const std::uint32_t length = CommonLength(here, here - distance, most);
      if (length > best.length) best = {length, distance};
    };
    if (pixelBytes_ && at >= pixelBytes_) consider(pixelBytes_);
    // Inside a run, an earlier run of at least this length may end in
    // what this one ends in: the places that end has been seen before
    // give the distances to try.
    if (best.length >= kMinMatch && best.length < most && at + best.length < hashedEnd_) {
      WalkChain(at + best.length, [&](std::uint32_t distance) {
        if (distance <= at && distance != pixelBytes_) consider(distance);
        return best.length < most;
      });
    }
    if (rowBytes_ && at >= rowBytes_ && best.length < most) consider(rowBytes_);
    if (at < hashedEnd_ && best.length < most) {
      WalkChain(at, [&](std::uint32_t distance) {
        if (here[best.length] == here[static_cast<std::ptrdiff_t>(best.length) - distance]) consider(distance);
        return best.length < most;
      });
    }
    if (best.length < kMinMatch) best.length = 0;
    return best;
  }

 private:
  // Calls `visit` with the distance from `from` back to each place on its
  // chain, nearest first, at most kChainDepth of them and all inside the
  // window, while it returns true.
  template <typename Visit>
  void WalkChain(std::uint32_t from, Visit visit) const {
    std::uint32_t candidate = head_[HashOf(Load64(data_ + from))];
    for (int tries = kChainDepth; candidate != kNoPosition && tries > 0; --tries) {
      const std::uint32_t distance = from - candidate;
      if (distance >= kWindow || !visit(distance)) return;
      candidate = previous_[candidate % kWindow];
    }
  }

  // Puts positions up to `at` on their chains, apart from those whose
  // hashed bytes repeat the pixel before: inside a run they would fill the
  // chain with places the run's own match finds.
  void Chain(std::uint32_t at) {
    // Locals, which the stores into the tables cannot be taken to change.
    const std::uint8_t* const data = data_;
    const std::uint32_t pixel = pixelBytes_, end = std::min(at, hashedEnd_);
    std::uint32_t position = chained_;
    for (; position < end; ++position) {
      const std::uint64_t bytes = Load64(data + position);
      if (pixel && position >= pixel && ((bytes ^ Load64(data + position - pixel)) & kHashedBytes) == 0) continue;
      std::uint32_t& first = head_[HashOf(bytes)];
      previous_[position % kWindow] = first;
      first = position;
    }
    chained_ = std::max(position, at);
  }

  const std::uint8_t* const data_;
  const std::uint32_t size_, hashedEnd_, pixelBytes_, rowBytes_;
  std::uint32_t* const head_;
  std::uint32_t* const previous_;
  std::uint32_t chained_ = 0;
};

}  // namespace

ScreenDeflater::ScreenDeflater() = default;
ScreenDeflater::~ScreenDeflater() = default;

bool ScreenDeflater::Compress(std::span<const std::uint8_t> data, std::size_t pixelBytes, std::size_t rowBytes,
                              std::vector<std::uint8_t>& out) {
  if (data.size() >= std::numeric_limits<std::uint32_t>::max() - kMaxMatch) return false;
  const std::size_t outSize = out.size();
  const std::uint32_t size = static_cast<std::uint32_t>(data.size());
  const std::size_t mostLiterals = data.size() / kLiteralShare;
  // Set up on first use, left uninitialised: the parser fills what it reads.
  if (!tables_) tables_.reset(new Tables);
  Parser parser(data, pixelBytes, rowBytes, tables_->head.data(), tables_->previous.data());
  std::vector<Symbol>& symbols = tables_->symbols;
  BitWriter bits(out);
  std::size_t literals = 0, count = 0;
  // The match at the next position, where it has been looked for.
  std::optional<Match> next;
  for (std::uint32_t at = 0; at < size || count > 0;) {
    if (count == symbols.size() || at == size) {
      WriteBlock(bits, std::span(symbols).first(count), at == size);
      count = 0;
      continue;
    }
    Match match = next ? *next : parser.BestAt(at);
    next.reset();
    if (match.length && match.length < kLazyBelow && at + 1 < size) {
      next = parser.BestAt(at + 1);
      if (next->length > match.length) match = {0, 0};
    }
    if (!match.length) {
      if (++literals > mostLiterals) {
        out.resize(outSize);
        return false;
      }
      symbols[count++] = {data[at++], 0};
    } else {
      symbols[count++] = {static_cast<std::uint16_t>(match.length), static_cast<std::uint16_t>(match.distance)};
      at += match.length;
      next.reset();
    }
  }
  if (size == 0) WriteBlock(bits, {}, true);
  bits.Finish();
  return true;
}

}  // namespace tessory
