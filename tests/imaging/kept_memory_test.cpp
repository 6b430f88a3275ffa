// The memory kept between pictures: the blocks given back and kept for the
// next pictures (imaging/pixel_buffer.h), and the PNG writer's compressors,
// which keep memory of their own apart from those blocks.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "imaging/pixel_buffer.h"
#include "imaging/png_deflate.h"

namespace tessory {
namespace {

// Blocks of the reserve's bounds: six kept at most, 48 MB in all.
constexpr std::size_t kKeptBlocks = 6;
constexpr std::size_t kBlock = std::size_t{4} << 20;

// `count` blocks of `bytes`, given back in order after every other block
// the reserve keeps, and none of them a kept one: of 6 + `count` blocks
// asked for, the first may be kept ones (six at most), the others are
// fresh; the first go back first.
std::vector<void*> GiveBackFreshBlocks(std::size_t count, std::size_t bytes) {
  std::vector<void*> blocks;
  for (std::size_t i = 0; i < kKeptBlocks + count; ++i) blocks.push_back(large_block::Allocate(bytes));
  for (void* block : blocks) large_block::Free(block, bytes);
  return {blocks.begin() + kKeptBlocks, blocks.end()};
}

std::set<void*> Lend(std::size_t count, std::size_t bytes) {
  std::set<void*> blocks;
  for (std::size_t i = 0; i < count; ++i) blocks.insert(large_block::Allocate(bytes));
  return blocks;
}

void GiveBack(const std::set<void*>& blocks, std::size_t bytes) {
  for (void* block : blocks) large_block::Free(block, bytes);
}

// Of seven blocks given back, the first goes back to the system: were it
// kept, it would be lent first, as the longest kept of a size.
TEST(KeptBlocks, PastSixTheLongestKeptGoesBack) {
  const std::vector<void*> given = GiveBackFreshBlocks(kKeptBlocks + 1, kBlock);
  const std::set<void*> lent = Lend(kKeptBlocks, kBlock);
  EXPECT_EQ(lent, std::set<void*>(given.begin() + 1, given.end()));
  GiveBack(lent, kBlock);
}

TEST(KeptBlocks, Past48MegabytesTheLongestKeptGoesBack) {
  constexpr std::size_t kLarge = std::size_t{20} << 20;
  const std::vector<void*> given = GiveBackFreshBlocks(3, kLarge);
  void* const first = large_block::Allocate(kLarge);
  void* const second = large_block::Allocate(kLarge);
  EXPECT_EQ(first, given[1]);
  EXPECT_EQ(second, given[2]);
  large_block::Free(first, kLarge);
  large_block::Free(second, kLarge);
}

// The reserve records the blocks it lends, six at once at most: a block
// kept while six are out waits for a record, and is lent as soon as one of
// the six comes back.
TEST(KeptBlocks, SixAreLentAtOnceAndARecordComesBackWithItsBlock) {
  const std::vector<void*> given = GiveBackFreshBlocks(kKeptBlocks, kBlock);
  std::set<void*> lent = Lend(kKeptBlocks, kBlock);
  EXPECT_EQ(lent, std::set<void*>(given.begin(), given.end()));
  void* const waiting = large_block::Allocate(kBlock);
  large_block::Free(waiting, kBlock);
  void* const fresh = large_block::Allocate(kBlock);
  EXPECT_NE(fresh, waiting) << "lent past the records";
  large_block::Free(fresh, kBlock);
  void* const back = *lent.begin();
  lent.erase(back);
  large_block::Free(back, kBlock);
  void* const next = large_block::Allocate(kBlock);
  EXPECT_EQ(next, waiting);
  lent.insert(next);
  GiveBack(lent, kBlock);
}

std::vector<std::uint8_t> SomeBytes(std::size_t size) {
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<std::uint8_t>(i * i >> 7);
  return data;
}

// The compressors of a write in parts keep their memory for the process;
// none of it may be a picture's kept block or hold one of the records of
// the blocks lent out, or the next pictures pay for fresh pages again.
// Here compressors for eight parts, each wanting about a megabyte, are set
// up while six 4 MB blocks wait to be lent (a write at another level
// first, so that they are set up here whatever ran before).
TEST(PngMemory, CompressorsLeaveTheKeptBlocksToThePictures) {
  const std::vector<std::uint8_t> data = SomeBytes(64 << 10);
  PngWorkspace workspace;
  workspace.CompressZlibInParts(data, 4, PngWorkspace::kMaxParts);
  const std::vector<void*> given = GiveBackFreshBlocks(kKeptBlocks, kBlock);
  const std::size_t setUp = workspace.Compressors().setUp;
  workspace.CompressZlibInParts(data, 5, PngWorkspace::kMaxParts);
  ASSERT_EQ(workspace.Parts(), PngWorkspace::kMaxParts);
  ASSERT_GT(workspace.Compressors().setUp, setUp);
  std::set<void*> lent = Lend(kKeptBlocks, kBlock);
  EXPECT_EQ(lent, std::set<void*>(given.begin(), given.end())) << "a kept block went to a compressor";
  // One given back now is lent again.
  void* const block = *lent.begin();
  large_block::Free(block, kBlock);
  lent.erase(block);
  lent.insert(large_block::Allocate(kBlock));
  EXPECT_TRUE(lent.contains(block)) << "a block given back was not lent again";
  GiveBack(lent, kBlock);
}

// Small pictures take level 9 in one call, larger ones level 5 in parts
// or in one call: writes switching between them set up no compressor
// afresh.
TEST(PngMemory, SwitchingBetweenTheTwoLevelsSetsUpNoCompressor) {
  const std::vector<std::uint8_t> data = SomeBytes(64 << 10);
  PngWorkspace workspace;
  workspace.CompressZlibInParts(data, 9, 1);
  workspace.CompressZlibInParts(data, 5, PngWorkspace::kMaxParts);
  const std::size_t setUp = workspace.Compressors().setUp;
  for (int i = 0; i < 3; ++i) {
    workspace.CompressZlibInParts(data, 9, 1);
    workspace.CompressZlibInParts(data, 5, PngWorkspace::kMaxParts);
    workspace.CompressZlibInParts(data, 5, 1);
  }
  EXPECT_EQ(workspace.Compressors().setUp, setUp) << "a compressor was set up again";
}

// The compressors kept are bounded; a write at a level none is kept at
// sets up afresh those longest unused, and only as many as it needs.
TEST(PngMemory, ANewLevelTakesTheCompressorsLongestUnused) {
  const std::vector<std::uint8_t> data = SomeBytes(64 << 10);
  PngWorkspace workspace;
  const auto setUpAfter = [&](int level, std::size_t parts) {
    workspace.CompressZlibInParts(data, level, parts);
    EXPECT_EQ(workspace.Parts(), parts);
    return workspace.Compressors().setUp;
  };
  // Eight at level 5 and one at 9: every compressor kept.
  setUpAfter(5, 8);
  const std::size_t setUp = setUpAfter(9, 1);
  EXPECT_EQ(workspace.Compressors().kept, PngWorkspace::kKeptCompressors);
  EXPECT_EQ(setUpAfter(5, 8), setUp);
  EXPECT_EQ(setUpAfter(7, 1), setUp + 1) << "level 7 takes the place of 9, the one longest unused";
  EXPECT_EQ(setUpAfter(5, 8), setUp + 1);
  EXPECT_EQ(setUpAfter(9, 1), setUp + 2) << "level 9 takes the place of 7";
  EXPECT_EQ(setUpAfter(5, 8), setUp + 2);
  EXPECT_EQ(setUpAfter(9, 1), setUp + 2);
  for (int level = 1; level <= 9; ++level) setUpAfter(level, 8);
  EXPECT_EQ(workspace.Compressors().kept, PngWorkspace::kKeptCompressors);
}

}  // namespace
}  // namespace tessory
