#include "gif/gif_decoder.h"

#include <stdexcept>

namespace tessory::test {
namespace {

class Reader {
 public:
  explicit Reader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  std::uint8_t Byte() {
    if (at_ >= bytes_.size()) throw std::runtime_error("GIF truncated");
    return bytes_[at_++];
  }
  int U16() {
    const int low = Byte();
    return low | (Byte() << 8);
  }
  bool AtEnd() const { return at_ == bytes_.size(); }

 private:
  const std::vector<std::uint8_t>& bytes_;
  std::size_t at_ = 0;
};

std::vector<PaletteColor> ReadTable(Reader& in, int sizeField) {
  std::vector<PaletteColor> table(std::size_t{1} << (sizeField + 1));
  for (PaletteColor& c : table) {
    c.red = in.Byte();
    c.green = in.Byte();
    c.blue = in.Byte();
  }
  return table;
}

DecodedFrame ReadFrame(Reader& in) {
  DecodedFrame frame;
  frame.left = in.U16();
  frame.top = in.U16();
  frame.width = in.U16();
  frame.height = in.U16();
  frame.packed = in.Byte();
  if (frame.packed & 0x80) frame.localTable = ReadTable(in, frame.packed & 7);
  frame.minCodeSize = in.Byte();
  std::vector<std::uint8_t> data;
  for (int size; (size = in.Byte()) != 0;) {
    frame.subBlockSizes.push_back(size);
    for (int i = 0; i < size; ++i) data.push_back(in.Byte());
  }
  frame.indices = DecodeLzw(data, frame.minCodeSize, &frame.codes);
  if (frame.indices.size() != static_cast<std::size_t>(frame.width) * static_cast<std::size_t>(frame.height)) {
    throw std::runtime_error("GIF frame pixel count differs from its size");
  }
  return frame;
}

}  // namespace

std::vector<std::uint8_t> DecodeLzw(const std::vector<std::uint8_t>& data, int minCodeSize,
                                    std::vector<DecodedCode>* codes) {
  if (minCodeSize < 2 || minCodeSize > 8) throw std::runtime_error("GIF bad minimum code size");
  const int clear = 1 << minCodeSize, end = clear + 1;
  std::vector<std::vector<std::uint8_t>> table;
  auto reset = [&] {
    table.assign(static_cast<std::size_t>(clear + 2), {});
    for (int i = 0; i < clear; ++i) table[static_cast<std::size_t>(i)] = {static_cast<std::uint8_t>(i)};
  };
  reset();
  int width = minCodeSize + 1;
  std::size_t bitPos = 0;
  std::vector<std::uint8_t> out;
  int previous = -1;
  for (;;) {
    if (bitPos + static_cast<std::size_t>(width) > data.size() * 8)
      throw std::runtime_error("GIF data ends without end code");
    int code = 0;
    for (int i = 0; i < width; ++i, ++bitPos) code |= ((data[bitPos / 8] >> (bitPos % 8)) & 1) << i;
    if (codes) codes->push_back({code, width});
    if (code == end) break;
    if (code == clear) {
      reset();
      width = minCodeSize + 1;
      previous = -1;
      continue;
    }
    std::vector<std::uint8_t> entry;
    if (code < static_cast<int>(table.size()) && !table[static_cast<std::size_t>(code)].empty()) {
      entry = table[static_cast<std::size_t>(code)];
    } else if (code == static_cast<int>(table.size()) && previous >= 0) {
      entry = table[static_cast<std::size_t>(previous)];
      entry.push_back(entry.front());
    } else {
      throw std::runtime_error("GIF invalid code");
    }
    out.insert(out.end(), entry.begin(), entry.end());
    if (previous >= 0 && table.size() < 4096) {
      std::vector<std::uint8_t> added = table[static_cast<std::size_t>(previous)];
      added.push_back(entry.front());
      table.push_back(std::move(added));
    }
    previous = code;
    // The decoder reads one code behind the encoder: widen once the next
    // entry would need another bit.
    if (table.size() == (std::size_t{1} << width) && width < 12) ++width;
  }
  // GIF89a: bits after the end code up to the byte boundary are padding.
  if ((bitPos + 7) / 8 != data.size()) throw std::runtime_error("GIF data continues after the end code");
  return out;
}

DecodedGif DecodeGif(const std::vector<std::uint8_t>& bytes) {
  Reader in(bytes);
  DecodedGif gif;
  std::string signature;
  for (int i = 0; i < 6; ++i) signature.push_back(static_cast<char>(in.Byte()));
  if (signature.substr(0, 3) != "GIF") throw std::runtime_error("GIF signature missing");
  gif.version = signature.substr(3);
  gif.screenWidth = in.U16();
  gif.screenHeight = in.U16();
  gif.packed = in.Byte();
  gif.background = in.Byte();
  gif.aspect = in.Byte();
  if (gif.packed & 0x80) gif.globalTable = ReadTable(in, gif.packed & 7);
  for (;;) {
    const std::uint8_t block = in.Byte();
    if (block == 0x3B) break;
    if (block != 0x2C) throw std::runtime_error("GIF unexpected block");
    gif.frames.push_back(ReadFrame(in));
  }
  if (!in.AtEnd()) throw std::runtime_error("GIF bytes after the trailer");
  return gif;
}

}  // namespace tessory::test
