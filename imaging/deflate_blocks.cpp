#include "imaging/deflate_blocks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "imaging/deflate_codes.h"

namespace tessory {
namespace {

constexpr int kLitLenSymbols = 288;  // 286 and 287 have codes but may not occur
constexpr int kDistSymbols = 32;     // 30 and 31 likewise

// A decoded symbol: the bits it takes (its code and the extra bits after
// it) in the low five bits, what it asks of the walker, and the symbol.
// Zero stands for a code no symbol has, or a symbol that may not occur.
constexpr std::uint32_t kBitsMask = 31;
constexpr std::uint32_t kLength = 1u << 5;  // a distance code follows
constexpr std::uint32_t kEnd = 1u << 6;     // end of the block
constexpr std::uint32_t kLong = 1u << 7;    // longer than the table: decode bit by bit
constexpr std::uint32_t kValid = 1u << 8;
constexpr int kSymbolShift = 16;

// Per symbol, all of an entry but the code's own length.
struct SymbolInfo {
  std::array<std::uint32_t, kLitLenSymbols> litLen{};
  std::array<std::uint32_t, kDistSymbols> dist{};
  std::array<std::uint32_t, kPrecodeSymbols> precode{};
};

constexpr SymbolInfo MakeSymbolInfo() {
  constexpr std::uint8_t lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                            2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  SymbolInfo info;
  for (std::uint32_t s = 0; s < 256; ++s) info.litLen[s] = kValid | s << kSymbolShift;
  info.litLen[256] = kValid | kEnd | 256u << kSymbolShift;
  for (std::uint32_t s = 257; s < 286; ++s) {
    info.litLen[s] = kValid | kLength | lengthExtra[s - 257] | s << kSymbolShift;
  }
  for (std::uint32_t s = 0; s < 30; ++s) info.dist[s] = kValid | (s < 4 ? 0 : s / 2 - 1) | s << kSymbolShift;
  for (std::uint32_t s = 0; s < kPrecodeSymbols; ++s) info.precode[s] = kValid | s << kSymbolShift;
  return info;
}

constexpr SymbolInfo kSymbolInfo = MakeSymbolInfo();

// A canonical Huffman code: a table indexed by the next `tableBits` bits
// of the stream, and the code lengths' counts for the rare longer codes.
template <int kTableBits>
class HuffmanCode {
 public:
  // False for lengths that over-subscribe the code; an incomplete code is
  // built, and its missing codes decode as zero.
  bool Build(std::span<const std::uint8_t> lengths, const std::uint32_t* info) {
    info_ = info;
    counts_.fill(0);
    for (const std::uint8_t length : lengths) ++counts_[length];
    int left = 1;
    for (int length = 1; length <= kMaxCodeBits; ++length) {
      left = (left << 1) - counts_[length];
      if (left < 0) return false;
    }
    std::array<std::uint16_t, kMaxCodeBits + 2> offsets{};
    for (int length = 1; length <= kMaxCodeBits; ++length) offsets[length + 1] = offsets[length] + counts_[length];
    for (std::size_t s = 0; s < lengths.size(); ++s) {
      if (lengths[s] != 0) symbols_[offsets[lengths[s]]++] = static_cast<std::uint16_t>(s);
    }
    table_.fill(0);
    std::uint32_t code = 0;
    int index = 0;
    for (int length = 1; length <= kMaxCodeBits; ++length, code <<= 1) {
      for (int i = 0; i < counts_[length]; ++i, ++code) {
        const std::uint16_t symbol = symbols_[index++];
        // Codes go into the stream from their top bit, the table is read
        // from the stream's lowest bit: index by the reversed code.
        const std::uint32_t reversed = Reverse(code, length);
        if (length <= kTableBits) {
          const std::uint32_t entry = info[symbol] ? info[symbol] + length : 0;
          for (std::uint32_t at = reversed; at < table_.size(); at += 1u << length) table_[at] = entry;
        } else {
          table_[reversed & (table_.size() - 1)] = kLong;
        }
      }
    }
    return true;
  }

  // The entry for the code at the front of `bits` (at least 15 bits).
  std::uint32_t Decode(std::uint64_t bits) const {
    const std::uint32_t entry = table_[bits & (table_.size() - 1)];
    return entry & kLong ? DecodeLong(bits) : entry;
  }

 private:
  static std::uint32_t Reverse(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i, code >>= 1) reversed = reversed << 1 | (code & 1);
    return reversed;
  }

  std::uint32_t DecodeLong(std::uint64_t bits) const {
    int code = 0, first = 0, index = 0;
    for (int length = 1; length <= kMaxCodeBits; ++length, bits >>= 1) {
      code |= static_cast<int>(bits & 1);
      const int count = counts_[length];
      if (code - first < count) {
        const std::uint32_t info = info_[symbols_[index + code - first]];
        return info ? info + length : 0;
      }
      index += count;
      first = (first + count) << 1;
      code <<= 1;
    }
    return 0;
  }

  std::array<std::uint32_t, std::size_t{1} << kTableBits> table_{};
  std::array<std::uint16_t, kMaxCodeBits + 1> counts_{};
  std::array<std::uint16_t, kLitLenSymbols> symbols_{};
  const std::uint32_t* info_ = nullptr;
};

using LitLenCode = HuffmanCode<11>;
using DistCode = HuffmanCode<9>;
using Precode = HuffmanCode<7>;

// The stream's bits, read a word at a time into a buffer of at least 56
// bits. Past the end it reads zeros, and Overrun() tells that the walk went
// there.
class BitReader {
 public:
  explicit BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  // Tops the buffer up to at least 56 bits. Bits above those counted are
  // either zero or the stream's own, so adding them again changes nothing.
  void Refill() {
    if (at_ + 8 <= bytes_.size() && std::endian::native == std::endian::little) {
      std::uint64_t word;
      std::memcpy(&word, bytes_.data() + at_, 8);
      bits_ |= word << count_;
      at_ += (63 - count_) >> 3;
      count_ |= 56;
    } else {
      for (; count_ < 56; count_ += 8, ++at_) {
        bits_ |= std::uint64_t{at_ < bytes_.size() ? bytes_[at_] : std::uint8_t{0}} << count_;
      }
    }
  }
  // The buffered bits, lowest first; at least 56 after a Refill().
  std::uint64_t Bits() const { return bits_; }
  void Consume(std::size_t bits) {
    bits_ >>= bits;
    count_ -= bits;
  }

  std::size_t Position() const { return at_ * 8 - count_; }
  bool Overrun() const { return Position() > bytes_.size() * 8; }
  void AlignToByte() { Consume(count_ % 8); }
  std::size_t BytesLeft() const { return Overrun() ? 0 : bytes_.size() - (Position() + 7) / 8; }
  // Skips whole bytes from a byte boundary.
  void SkipBytes(std::size_t bytes) {
    at_ = Position() / 8 + bytes;
    bits_ = 0;
    count_ = 0;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t at_ = 0;  // the next byte to read into the buffer
  std::uint64_t bits_ = 0;
  std::size_t count_ = 0;
};

struct Codes {
  LitLenCode litLen;
  DistCode dist;
};

const Codes& FixedCodes() {
  static const Codes codes = [] {
    Codes fixed;
    std::array<std::uint8_t, kLitLenSymbols> litLen{};
    std::fill(litLen.begin(), litLen.begin() + 144, 8);
    std::fill(litLen.begin() + 144, litLen.begin() + 256, 9);
    std::fill(litLen.begin() + 256, litLen.begin() + 280, 7);
    std::fill(litLen.begin() + 280, litLen.end(), 8);
    std::array<std::uint8_t, kDistSymbols> dist{};
    dist.fill(5);
    fixed.litLen.Build(litLen, kSymbolInfo.litLen.data());
    fixed.dist.Build(dist, kSymbolInfo.dist.data());
    return fixed;
  }();
  return codes;
}

// Reads the `count` code lengths of a dynamic block's precode and builds it.
bool ReadPrecode(BitReader& reader, std::size_t count, Precode& precode) {
  std::array<std::uint8_t, kPrecodeSymbols> precodeLengths{};
  for (std::size_t i = 0; i < count; ++i) {
    reader.Refill();
    precodeLengths[kPrecodeOrder[i]] = reader.Bits() & 7;
    reader.Consume(3);
  }
  return precode.Build(precodeLengths, kSymbolInfo.precode.data());
}

// Reads a dynamic block's code lengths and builds its codes.
bool ReadDynamicCodes(BitReader& reader, Codes& codes) {
  reader.Refill();
  std::uint64_t bits = reader.Bits();
  const std::size_t litLenCount = (bits & 31) + 257, distCount = (bits >> 5 & 31) + 1,
                    precodeCount = (bits >> 10 & 15) + 4;
  reader.Consume(14);
  if (litLenCount > 286 || distCount > 30) return false;
  Precode precode;
  if (!ReadPrecode(reader, precodeCount, precode)) return false;

  std::array<std::uint8_t, 286 + 30> lengths{};
  const std::size_t total = litLenCount + distCount;
  for (std::size_t n = 0; n < total;) {
    if (reader.Overrun()) return false;
    reader.Refill();
    bits = reader.Bits();
    const std::uint32_t entry = precode.Decode(bits);
    if (!entry) return false;
    const unsigned codeBits = entry & kBitsMask, symbol = entry >> kSymbolShift;
    bits >>= codeBits;
    if (symbol < 16) {
      lengths[n++] = static_cast<std::uint8_t>(symbol);
      reader.Consume(codeBits);
      continue;
    }
    std::uint8_t value = 0;
    std::size_t repeat = 0;
    if (symbol == 16) {
      if (n == 0) return false;
      value = lengths[n - 1];
      repeat = 3 + (bits & 3);
      reader.Consume(codeBits + 2);
    } else if (symbol == 17) {
      repeat = 3 + (bits & 7);
      reader.Consume(codeBits + 3);
    } else {
      repeat = 11 + (bits & 127);
      reader.Consume(codeBits + 7);
    }
    if (repeat > total - n) return false;
    std::fill_n(lengths.begin() + n, repeat, value);
    n += repeat;
  }
  return !reader.Overrun() && codes.litLen.Build(std::span(lengths).first(litLenCount), kSymbolInfo.litLen.data()) &&
         codes.dist.Build(std::span(lengths).subspan(litLenCount, distCount), kSymbolInfo.dist.data());
}

// Skips a Huffman block's symbols up to and past its end-of-block code.
bool SkipSymbols(BitReader& reader, const Codes& codes) {
  for (;;) {
    // Every symbol takes at least one bit, so the walk ends within the
    // stream's bits or stops here.
    if (reader.Overrun()) return false;
    reader.Refill();
    const std::uint64_t bits = reader.Bits();
    const std::uint32_t entry = codes.litLen.Decode(bits);
    if (!entry) return false;
    std::size_t used = entry & kBitsMask;
    if (entry & kLength) {
      const std::uint32_t dist = codes.dist.Decode(bits >> used);  // at most 20 bits in, 28 more
      if (!dist) return false;
      used += dist & kBitsMask;
    }
    reader.Consume(used);
    if (entry & kEnd) return !reader.Overrun();
  }
}

}  // namespace

std::optional<DeflateFinalBlock> FindFinalBlock(std::span<const std::uint8_t> stream) {
  BitReader reader(stream);
  Codes dynamic;
  for (;;) {
    const std::size_t headerBit = reader.Position();
    reader.Refill();
    const std::uint64_t header = reader.Bits();
    reader.Consume(3);
    if (reader.Overrun()) return std::nullopt;
    switch (header >> 1 & 3) {
      case 0: {  // stored: LEN, its complement, LEN bytes
        reader.AlignToByte();
        if (reader.BytesLeft() < 4) return std::nullopt;
        reader.Refill();
        const std::uint64_t sizes = reader.Bits();
        const std::size_t length = sizes & 0xFFFF;
        if ((sizes >> 16 & 0xFFFF) != (~length & 0xFFFF) || reader.BytesLeft() - 4 < length) return std::nullopt;
        reader.Consume(32);
        reader.SkipBytes(length);
        break;
      }
      case 1:
        if (!SkipSymbols(reader, FixedCodes())) return std::nullopt;
        break;
      case 2:
        if (!ReadDynamicCodes(reader, dynamic) || !SkipSymbols(reader, dynamic)) return std::nullopt;
        break;
      default: return std::nullopt;
    }
    if (header & 1) return DeflateFinalBlock{headerBit, reader.Position()};
  }
}

}  // namespace tessory
