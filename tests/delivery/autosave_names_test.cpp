#include "delivery/autosave_names.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

TEST(RandomGenerator, FollowsTheCongruence) {
  RandomGenerator random(0);
  EXPECT_EQ(random.Next(), 1u);
  EXPECT_EQ(random.Next(), 134775814u);
  RandomGenerator wraps(0xFFFFFFFFu);
  EXPECT_EQ(wraps.Next(), 0xFFFFFFFFu * 134775813u + 1u);  // modulo 2^32
}

TEST(RandomGenerator, DrawIsTheTruncatedFractionOfTheNewSeed) {
  RandomGenerator random(0);
  EXPECT_EQ(random.NextBelow(10000), 0u);  // seed 1: 1 / 2^32 * 10000 < 1
  RandomGenerator high(0);
  high.SetSeed((0xFFFFFFFFu - 1u) * 0xD94FA8CDu);  // chosen so the next seed is 0xFFFFFFFF
  // 0xD94FA8CD is the inverse of 134775813 modulo 2^32.
  ASSERT_EQ(high.Seed() * 134775813u + 1u, 0xFFFFFFFFu);
  EXPECT_EQ(high.NextBelow(10000), 9999u);
  for (std::uint32_t seed : {12345u, 0x80000000u, 0xDEADBEEFu}) {
    RandomGenerator a(seed);
    const std::uint32_t next = seed * 134775813u + 1u;
    EXPECT_EQ(a.NextBelow(10000), static_cast<std::uint32_t>(next * (1.0 / 4294967296.0) * 10000));
  }
}

TEST(RandomGenerator, ClockSeedIsMillisecondsSinceMidnight) {
  EXPECT_EQ(ClockSeed(0, 0, 0, 0), 0u);
  EXPECT_EQ(ClockSeed(13, 5, 9, 250), ((13u * 60 + 5) * 60 + 9) * 1000 + 250);
  EXPECT_EQ(ClockSeed(23, 59, 59, 999), 86399999u);
}

TEST(AutoSaveNames, NumbersArePadded) {
  EXPECT_EQ(FormatSequenceNumber(0), "0000");
  EXPECT_EQ(FormatSequenceNumber(12), "0012");
  EXPECT_EQ(FormatSequenceNumber(9999), "9999");
  EXPECT_EQ(FormatSequenceNumber(12345), "12345");
  EXPECT_EQ(FormatRandomNumber(0), "00000");
  EXPECT_EQ(FormatRandomNumber(9999), "0270F");
  EXPECT_EQ(FormatRandomNumber(0xA3F), "00A3F");
}

TEST(AutoSaveNames, TrimmingRemovesControlsAndSpacesOnly) {
  EXPECT_EQ(TrimControls("  \t\r\n"), "");
  EXPECT_EQ(TrimControls(" a b\x01"), "a b");
  EXPECT_EQ(TrimControls("\x7F"), "\x7F");  // DEL is above 32
}

TEST(AutoSaveNames, DelimiterAddedOnlyWhenMissing) {
  const std::string d(1, kPathDelimiter);
  EXPECT_EQ(NamePrefix("C:" + d + "shots", "CAP"), "C:" + d + "shots" + d + "CAP");
  EXPECT_EQ(NamePrefix("C:" + d + "shots" + d, "CAP"), "C:" + d + "shots" + d + "CAP");
}

TEST(AutoSaveNames, ExtensionTakesThePlaceOfTheFirstTmp) {
  EXPECT_EQ(InsertExtension("C:\\t\\CAP0001", ImageKind::Bitmap), "C:\\t\\CAP0001.bmp");
  EXPECT_EQ(InsertExtension("C:\\t\\a.tmp0000", ImageKind::Bitmap), "C:\\t\\a.bmp0000");
  EXPECT_EQ(InsertExtension("C:\\x.tmp\\a.tmp0000", ImageKind::Png), "C:\\x.png\\a.tmp0000");
  EXPECT_EQ(InsertExtension("C:\\t\\a.TMP0000", ImageKind::Jpeg), "C:\\t\\a.TMP0000.jpg");  // case-sensitive
  EXPECT_EQ(InsertExtension("C:\\t\\CAP0001", ImageKind::Gif), "C:\\t\\CAP0001.gif");
  EXPECT_EQ(InsertExtension("C:\\t\\CAP0001", ImageKind::PromptAtSave), "C:\\t\\CAP0001");
  EXPECT_EQ(InsertExtension("C:\\t\\a.tmp0000", std::nullopt), "C:\\t\\a0000");
}

TEST(AutoSaveNames, PreviewShowsThePatternsNameOrTodaysName) {
  CaptureSettings settings;
  settings.ImageType = ImageKind::Png;
  const NameFields fields{"CAP", {"a/b", "notepad", {2026, 12, 9, 14, 3, 27}}, 640, 480};
  EXPECT_EQ(PreviewFileName(settings, "", fields), "CAP01A3F.png");
  settings.SequentialFileNames = true;
  EXPECT_EQ(PreviewFileName(settings, " ", fields), "CAP0000.png");
  EXPECT_EQ(PreviewFileName(settings, "{time} {process} {title} {number}", fields), "14-03-27 notepad a_b 0000.png");
}

}  // namespace
}  // namespace tessory
