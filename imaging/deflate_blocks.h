// The block structure of a raw deflate stream: where its final block
// starts and where the stream ends, so that streams compressed apart can be
// joined into one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace tessory {

// Bit positions counted from the first byte's lowest bit, as deflate
// packs them.
struct DeflateFinalBlock {
  std::size_t headerBit = 0;  // the block's BFINAL bit
  std::size_t endBit = 0;     // just past its end-of-block code
};

// Walks `stream` block by block up to the end of the block marked final,
// decoding the Huffman codes only as far as needed to find each block's
// end. A stream that is malformed or ends early gives nothing; nothing is
// read outside `stream`.
std::optional<DeflateFinalBlock> FindFinalBlock(std::span<const std::uint8_t> stream);

}  // namespace tessory
