// The options dialog's rules without a window, and the help viewer's texts.
#include "options/options_rules.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "help/help_texts.h"

namespace tessory {
namespace {

TEST(QualityScaleTest, BitmapAndJpegHaveScalesOtherTypesNone) {
  const QualityScale bitmap = *QualityScaleFor(ImageKind::Bitmap);
  EXPECT_EQ((std::array{bitmap.minimum, bitmap.maximum, bitmap.lineSize, bitmap.pageSize, bitmap.tickFrequency,
                        bitmap.position}),
            (std::array{1, 4, 1, 1, 1, 3}));
  const QualityScale jpeg = *QualityScaleFor(ImageKind::Jpeg);
  EXPECT_EQ((std::array{jpeg.minimum, jpeg.maximum, jpeg.lineSize, jpeg.pageSize, jpeg.tickFrequency, jpeg.position}),
            (std::array{10, 100, 10, 10, 10, 90}));
  for (auto type : {ImageKind::Gif, ImageKind::Png, ImageKind::PromptAtSave}) EXPECT_FALSE(QualityScaleFor(type));
  EXPECT_FALSE(QualityScaleFor(std::nullopt));  // no type selected
}

TEST(QualityScaleTest, SliderIsEnabledForBitmapOrJpegIntoAFile) {
  EXPECT_TRUE(QualitySliderEnabled(ImageKind::Bitmap, SaveRoute::AskFileName));
  EXPECT_TRUE(QualitySliderEnabled(ImageKind::Jpeg, SaveRoute::AutoSave));
  EXPECT_TRUE(QualitySliderEnabled(ImageKind::Jpeg, std::nullopt));  // no method selected is not the clipboard
  EXPECT_FALSE(QualitySliderEnabled(ImageKind::Jpeg, SaveRoute::CopyToClipboard));
  EXPECT_FALSE(QualitySliderEnabled(ImageKind::Gif, SaveRoute::AutoSave));
  EXPECT_FALSE(QualitySliderEnabled(std::nullopt, SaveRoute::AutoSave));
}

TEST(BaseNameTest, ForbiddenCharactersAreNamedOnceEach) {
  EXPECT_EQ(BaseNameProblem("shot"), std::nullopt);
  EXPECT_EQ(BaseNameProblem("caf\xC3\xA9 #1"), std::nullopt);  // any other character is allowed
  EXPECT_EQ(BaseNameProblem("a/b:c/d"), "The base file name cannot contain these characters: / :");
  EXPECT_EQ(BaseNameProblem("a\tb"), "The base file name cannot contain control characters.");
  EXPECT_EQ(BaseNameProblem("a?\tb"), "The base file name cannot contain these characters: ? (nor control characters)");
}

TEST(ClampTest, ItemIndexAndPosition) {
  EXPECT_EQ(ClampItemIndex(0, 3), 0);
  EXPECT_EQ(ClampItemIndex(2, 3), 2);
  EXPECT_EQ(ClampItemIndex(3, 3), 2);
  EXPECT_EQ(ClampItemIndex(INT32_MAX, 5), 4);
  EXPECT_EQ(ClampItemIndex(-1, 3), -1);
  EXPECT_EQ(ClampItemIndex(INT32_MIN, 3), -1);
  EXPECT_EQ(ClampPosition(5, 10, 100), 10);
  EXPECT_EQ(ClampPosition(90, 1, 4), 4);
  EXPECT_EQ(ClampPosition(3, 1, 4), 3);
  EXPECT_EQ(ClampPosition(INT32_MIN, 1, 4), 1);
}

TEST(CentreTest, TruncatesTowardZero) {
  EXPECT_EQ(CentreOnScreen(1024, 768, 401, 360), (CentredOrigin{311, 204}));
  EXPECT_EQ(CentreOnScreen(1024, 768, 1027, 771), (CentredOrigin{-1, -1}));  // -1.5 gives -1, not -2
  EXPECT_EQ(CentreOnScreen(1280, 1024, 1280, 1024), (CentredOrigin{0, 0}));
  EXPECT_EQ(CentreOnScreen(INT32_MAX, 0, INT32_MIN, 0).x, INT32_MAX);  // no overflow on the way
}

TEST(AboutTextTest, CopyrightLineCarriesTheYear) {
  EXPECT_EQ(CopyrightText(2031), "\xC2\xA9 2031 Morrowlin, Inc.");
  EXPECT_EQ(std::string_view(kMakerWebAddress).substr(0, 24), "https://www.example.com/");
}

TEST(HelpTextTest, TopicAddressAndKeywordLine) {
  EXPECT_EQ(HelpTopicAddress("C:\\Program Files\\Tessory\\tessory.chm", "options"),
            "C:\\Program Files\\Tessory\\tessory.chm ::/options.htm");
  EXPECT_EQ(HelpTopicAddress("", ""), " ::/.htm");
  EXPECT_EQ(HelpKeywordLine("auto-save"), "HtmlHelp: auto-save");
  EXPECT_EQ(HelpKeywordLine(""), "HtmlHelp: ");
}

}  // namespace
}  // namespace tessory
