#include <gtest/gtest.h>

#include "gif/gif_decoder.h"
#include "gif/gif_error.h"
#include "gif/gif_test_support.h"
#include "gif/block_writer.h"
#include "gif/lzw_encoder.h"
#include "gif/lzw_hash_table.h"

namespace tessory {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::THashTable;

Bytes Encode(const Bytes& pixels, int width, int height, int bits, int colors) {
  VectorSink sink;
  TLZWEncoder encoder;
  encoder.EncodeFrame(sink, bits, width, height, pixels, colors);
  return sink.Bytes();
}

struct Parsed {
  int minCodeSize = 0;
  std::vector<int> blocks;
  Bytes data;
};

// Splits image data into its sub-blocks; the terminator must end it.
Parsed Parse(const Bytes& bytes) {
  Parsed parsed;
  parsed.minCodeSize = bytes.at(0);
  std::size_t at = 1;
  for (int size; (size = bytes.at(at)) != 0; at += static_cast<std::size_t>(size) + 1) {
    parsed.blocks.push_back(size);
    parsed.data.insert(parsed.data.end(), bytes.begin() + static_cast<long>(at) + 1,
                       bytes.begin() + static_cast<long>(at) + 1 + size);
  }
  EXPECT_EQ(at + 1, bytes.size()) << "bytes after the block terminator";
  return parsed;
}

Bytes Noise(std::size_t count, int colors, std::uint32_t seed) {
  test::Lcg lcg(seed);
  Bytes pixels(count);
  for (auto& p : pixels) p = static_cast<std::uint8_t>(lcg.Next() % static_cast<std::uint32_t>(colors));
  return pixels;
}

TEST(LzwEncoder, SinglePixelOf256ColoursIsClearPixelEndInNineBits) {
  EXPECT_EQ(Encode({0}, 1, 1, 8, 256), (Bytes{0x08, 0x04, 0x00, 0x01, 0x04, 0x04, 0x00}));
}

TEST(LzwEncoder, TwoColourFrameRaisesTheMinimumCodeSizeToTwo) {
  EXPECT_EQ(Encode({0, 1}, 2, 1, 1, 2), (Bytes{0x02, 0x02, 0x44, 0x0A, 0x00}));
  EXPECT_EQ(Encode({0, 1}, 2, 1, 0, 2), (Bytes{0x02, 0x02, 0x44, 0x0A, 0x00}));
}

TEST(LzwEncoder, FrameWithoutPixelsCodesTheEndCodeAlone) {
  // Clear code 256 is never sent; end code 257 in 9 bits: 0x01 0x01.
  EXPECT_EQ(Encode({}, 0, 0, 8, 256), (Bytes{0x08, 0x02, 0x01, 0x01, 0x00}));
  EXPECT_EQ(Encode({1, 2}, 2, 0, 8, 256), (Bytes{0x08, 0x02, 0x01, 0x01, 0x00}));
}

// The code data of n noise pixels grows by a byte or two per pixel; the
// first lengths of exactly 255 and 256 bytes mark the block boundary.
TEST(LzwEncoder, SubBlocksSplitAt255DataBytes) {
  bool saw255 = false, saw256 = false;
  for (std::size_t n = 150; n < 260 && !(saw255 && saw256); ++n) {
    const Parsed parsed = Parse(Encode(Noise(n, 256, 7), static_cast<int>(n), 1, 8, 256));
    if (parsed.data.size() == 255) {
      saw255 = true;
      EXPECT_EQ(parsed.blocks, (std::vector<int>{255}));
    } else if (parsed.data.size() == 256) {
      saw256 = true;
      EXPECT_EQ(parsed.blocks, (std::vector<int>{255, 1}));
    }
  }
  EXPECT_TRUE(saw255 && saw256);
}

TEST(LzwEncoder, LongFramesBlockEvery255BytesAndDecodeToTheirPixels) {
  const Bytes pixels = Noise(20000, 256, 11);
  const Parsed parsed = Parse(Encode(pixels, 200, 100, 8, 256));
  ASSERT_FALSE(parsed.blocks.empty());
  for (std::size_t i = 0; i + 1 < parsed.blocks.size(); ++i) EXPECT_EQ(parsed.blocks[i], 255);
  EXPECT_EQ(test::DecodeLzw(parsed.data, 8), pixels);
}

// Code k after a clear is sent while the next free code is 257 + k.
TEST(LzwEncoder, CodeWidthGrowsRightAfterTheCodeSentAtNextFree512And1024) {
  std::vector<test::DecodedCode> codes;
  const Bytes pixels = Noise(3000, 256, 3);
  EXPECT_EQ(test::DecodeLzw(Parse(Encode(pixels, 3000, 1, 8, 256)).data, 8, &codes), pixels);
  ASSERT_GT(codes.size(), 770u);
  EXPECT_EQ(codes[0].code, 256);
  EXPECT_EQ(codes[255].width, 9);
  EXPECT_EQ(codes[256].width, 10);
  EXPECT_EQ(codes[767].width, 10);
  EXPECT_EQ(codes[768].width, 11);
}

TEST(LzwEncoder, TableRestartsWithAClearAt12BitsWhenNextFreeReaches4095) {
  for (int bits : {8, 2}) {
    const int clear = 1 << bits;
    const int entries = 4095 - (clear + 2);
    std::vector<test::DecodedCode> codes;
    const Bytes pixels = Noise(60000, 1 << bits, 5);
    EXPECT_EQ(test::DecodeLzw(Parse(Encode(pixels, 300, 200, bits, 1 << bits)).data, bits, &codes), pixels);
    ASSERT_GT(codes.size(), static_cast<std::size_t>(entries + 4));
    // Codes 1 .. entries fill the table; the next miss sends its prefix
    // (at 12 bits), then the clear code at 12 bits, and coding restarts at
    // the initial width.
    const std::size_t last = static_cast<std::size_t>(entries) + 1;
    EXPECT_EQ(codes[last].width, 12) << bits;
    EXPECT_NE(codes[last].code, clear) << bits;
    EXPECT_EQ(codes[last + 1].code, clear) << bits;
    EXPECT_EQ(codes[last + 1].width, 12) << bits;
    EXPECT_EQ(codes[last + 2].width, bits + 1) << bits;
  }
}

TEST(LzwEncoder, LongRunsOfOnePixelDecodeExactly) {
  Bytes pixels(100000, 3);
  for (std::size_t i = 50000; i < 50100; ++i) pixels[i] = static_cast<std::uint8_t>(i % 7);
  EXPECT_EQ(test::DecodeLzw(Parse(Encode(pixels, 1000, 100, 8, 256)).data, 8), pixels);
}

// What was coded before the bad pixel is in the stream, its last block
// flushed; the terminator is not.
TEST(LzwEncoder, ColorNotInTableStopsAtThatPixelAfterFlushingWhatWasCoded) {
  Bytes pixels = Noise(2000, 4, 9);
  pixels[1500] = 4;
  VectorSink sink;
  TLZWEncoder encoder;
  try {
    encoder.EncodeFrame(sink, 2, 2000, 1, pixels, 4);
    FAIL() << "no error";
  } catch (const GIFException& e) {
    EXPECT_STREQ(e.what(), "Color not in color table");
  }
  const Bytes& partial = sink.Bytes();
  const Bytes whole = Encode(Bytes(pixels.begin(), pixels.begin() + 1500), 1500, 1, 2, 4);
  ASSERT_GT(partial.size(), 2u);
  EXPECT_EQ(partial[0], 2);
  EXPECT_NE(partial.back(), 0) << "a block terminator was written";
  // Every block is as long as its length byte says, and the stream so far
  // is the one the valid pixels begin with.
  Bytes data;
  std::size_t at = 1;
  for (; at < partial.size(); at += static_cast<std::size_t>(partial[at]) + 1) {
    ASSERT_LE(at + 1 + partial[at], partial.size());
    data.insert(data.end(), partial.begin() + static_cast<long>(at) + 1,
                partial.begin() + static_cast<long>(at) + 1 + partial[at]);
  }
  EXPECT_EQ(at, partial.size());
  const Bytes wholeData = Parse(whole).data;
  ASSERT_LT(data.size(), wholeData.size());
  EXPECT_TRUE(std::equal(data.begin(), data.end(), wholeData.begin()));
  EXPECT_THROW(Encode({5}, 1, 1, 2, 4), GIFException);
}

TEST(LzwEncoder, FailingStreamReportsItsOwnError) {
  const Bytes pixels = Noise(5000, 256, 1);
  for (std::size_t limit : {0u, 1u, 256u, 300u, 1000u}) {
    test::FailingSink sink(limit);
    TLZWEncoder encoder;
    EXPECT_THROW(encoder.EncodeFrame(sink, 8, 100, 50, pixels, 256), EWriteError) << limit;
  }
}

// The coder as its rules state it, step by step: the hashed 8009-slot
// table, the code-width tracking, the clear at next free code 4095, the
// bit bucket and 255-byte sub-blocks. The encoder must write exactly these
// bytes whatever structure it keeps its strings in.
Bytes ReferenceEncode(const Bytes& pixels, int bits) {
  const int minCodeSize = bits < 2 ? 2 : bits;
  const int initialWidth = minCodeSize + 1, clear = 1 << minCodeSize, end = clear + 1;
  int width = initialWidth, largest = (1 << width) - 1, nextFree = clear + 2;
  bool clearFlag = false;
  std::uint32_t bucket = 0;
  int bitCount = 0;
  Bytes out{static_cast<std::uint8_t>(minCodeSize)}, block;
  const auto flush = [&] {
    out.push_back(static_cast<std::uint8_t>(block.size()));
    out.insert(out.end(), block.begin(), block.end());
    block.clear();
  };
  const auto put = [&](std::uint32_t byte) {
    block.push_back(static_cast<std::uint8_t>(byte));
    if (block.size() == 255) flush();
  };
  const auto emit = [&](int code) {
    bucket = bitCount > 0 ? (static_cast<std::uint32_t>(code) << bitCount) | (bucket & ((1u << bitCount) - 1))
                          : static_cast<std::uint32_t>(code);
    for (bitCount += width; bitCount >= 8; bitCount -= 8) put(bucket), bucket >>= 8;
    if (code == end)
      for (; bitCount > 0; bitCount -= 8) put(bucket), bucket >>= 8;
    if (clearFlag) {
      width = initialWidth, largest = (1 << width) - 1, clearFlag = false;
    } else if (nextFree > largest) {
      ++width, largest = width >= 12 ? 4096 : (1 << width) - 1;
    }
  };
  THashTable table;
  const auto reset = [&] {
    clearFlag = true;
    emit(clear);
    table.Clear();
    nextFree = clear + 2;
  };
  if (!pixels.empty()) {
    reset();
    int prefix = pixels[0];
    for (std::size_t i = 1; i < pixels.size(); ++i) {
      const int c = pixels[i];
      const std::uint32_t key = static_cast<std::uint32_t>(prefix) * 256 + static_cast<std::uint32_t>(c);
      if (const int code = table.Find(key); code >= 0) {
        prefix = code;
        continue;
      }
      emit(prefix);
      prefix = c;
      if (nextFree < 4095) {
        table.Store(key, nextFree++);
      } else {
        reset();
      }
    }
    emit(prefix);
  }
  emit(end);
  if (!block.empty()) flush();
  out.push_back(0);
  return out;
}

// Pixels that repeat strings of all lengths: runs, short motifs and noise
// in stretches, so that the table fills with long and short strings alike.
Bytes Mixed(std::size_t count, int colors, std::uint32_t seed) {
  test::Lcg lcg(seed);
  Bytes pixels;
  while (pixels.size() < count) {
    const std::uint32_t kind = lcg.Next() % 3, length = 1 + lcg.Next() % 300;
    const std::uint8_t a = static_cast<std::uint8_t>(lcg.Next() % static_cast<std::uint32_t>(colors));
    const std::uint8_t b = static_cast<std::uint8_t>(lcg.Next() % static_cast<std::uint32_t>(colors));
    for (std::uint32_t i = 0; i < length && pixels.size() < count; ++i) {
      pixels.push_back(kind == 0   ? a
                       : kind == 1 ? (i % 3 == 2 ? b : a)
                                   : static_cast<std::uint8_t>(lcg.Next() % static_cast<std::uint32_t>(colors)));
    }
  }
  return pixels;
}

TEST(LzwEncoder, WritesTheBytesOfTheStatedRulesAtEveryCodeSize) {
  for (int bits = 1; bits <= 8; ++bits) {
    const int colors = 1 << bits;
    for (std::uint32_t seed : {1u, 2u, 3u}) {
      // Noise restarts the table many times; mixed content with long runs
      // fills it with long strings, and the restarts must forget them.
      for (const Bytes& pixels : {Noise(150000, colors, seed), Mixed(400000, colors, seed)}) {
        const int width = 500, height = static_cast<int>(pixels.size()) / width;
        const Bytes used(pixels.begin(), pixels.begin() + static_cast<long>(width) * height);
        ASSERT_EQ(Encode(used, width, height, bits, colors), ReferenceEncode(used, bits)) << bits << " " << seed;
      }
    }
  }
}

// A new table after a restart must not answer with strings of the last
// one: the same long run coded before and after a restart.
TEST(LzwEncoder, RestartForgetsEveryStringOfTheLastTable) {
  for (int bits : {2, 8}) {
    const int colors = 1 << bits;
    Bytes pixels = Noise(40000, colors, 13);
    const Bytes run(20000, 1), motif = Mixed(20000, colors, 4);
    for (int i = 0; i < 3; ++i) {
      pixels.insert(pixels.end(), run.begin(), run.end());
      pixels.insert(pixels.end(), motif.begin(), motif.end());
      const Bytes noise = Noise(30000, colors, 20 + static_cast<std::uint32_t>(i));
      pixels.insert(pixels.end(), noise.begin(), noise.end());
    }
    const int width = static_cast<int>(pixels.size());
    EXPECT_EQ(Encode(pixels, width, 1, bits, colors), ReferenceEncode(pixels, bits)) << bits;
    EXPECT_EQ(test::DecodeLzw(Parse(Encode(pixels, width, 1, bits, colors)).data, bits), pixels) << bits;
  }
}

// A colour count above the code size lets pixel values collide with the
// clear code and with entered codes; the stream is then of no use to a
// decoder, but it must still be the one the rules give.
TEST(LzwEncoder, PixelsAboveTheClearCodeCodeAsTheRulesSay) {
  for (int bits : {2, 4, 7}) {
    const Bytes pixels = Mixed(200000, 256, static_cast<std::uint32_t>(bits));
    EXPECT_EQ(Encode(pixels, 1000, 200, bits, 256), ReferenceEncode(pixels, bits)) << bits;
  }
  // At code size 2 a run of 10 enters the codes 6 to 10 for its strings of
  // two to six pixels, so the six-pixel string has the code of the pixel
  // itself and the run's strings go round in a circle.
  const Bytes run(300, 10);
  EXPECT_EQ(Encode(run, 300, 1, 2, 256), ReferenceEncode(run, 2));
}

TEST(GifWriter, HandsOnWholeBlocksAndNeverAnEmptyOne) {
  VectorSink out;
  {
    TGIFWriter writer(out);
    writer.Close();
    EXPECT_TRUE(out.Bytes().empty());
    const Bytes data(300, 0xAB);
    writer.Write(data);
    EXPECT_EQ(out.Bytes().size(), 256u);
    writer.Close();
    writer.Close();
  }
  ASSERT_EQ(out.Bytes().size(), 256u + 46u);
  EXPECT_EQ(out.Bytes()[0], 255);
  EXPECT_EQ(out.Bytes()[256], 45);
}

TEST(HashTable, FollowsTheStatedHashAndProbes) {
  EXPECT_EQ(THashTable::Hash(0), 0);
  EXPECT_EQ(THashTable::Hash(256 * 300 + 7), static_cast<int>(((256u * 300 + 7) ^ ((256u * 300 + 7) >> 4)) % 8009));
  EXPECT_EQ(THashTable::NextProbe(0), 8008);
  EXPECT_EQ(THashTable::NextProbe(5000), 1991);
  EXPECT_EQ(THashTable::NextProbe(1000), 2000);

  // Two keys of one hash: the second lands on the first's next probe.
  std::uint32_t first = 1000, second = first + 1;
  while (THashTable::Hash(second) != THashTable::Hash(first)) ++second;
  THashTable table;
  EXPECT_EQ(table.Find(first), -1);
  table.Store(first, 300);
  table.Store(second, 4094);
  EXPECT_EQ(table.Find(first), 300);
  EXPECT_EQ(table.Find(second), 4094);
  EXPECT_EQ(table.FindSlot(second), THashTable::NextProbe(THashTable::Hash(first)));
  table.Clear();
  EXPECT_EQ(table.Find(second), -1);
}

TEST(HashTable, SearchEndsEvenWhenAKeysWholeProbeCycleIsFull) {
  THashTable table;
  const std::uint32_t key = 12345;
  int slot = THashTable::Hash(key);
  for (int i = 0; i < THashTable::kSlots; ++i, slot = THashTable::NextProbe(slot)) {
    if (table.IsEmpty(slot)) table.Fill(slot, 1, 1);
  }
  EXPECT_EQ(table.Find(key), -1);
  table.Store(key, 7);  // nowhere to go: left out
  EXPECT_EQ(table.Find(key), -1);
}

}  // namespace
}  // namespace tessory
