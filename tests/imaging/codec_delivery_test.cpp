// The JPEG and PNG writers as the file routes call them.
#include <gtest/gtest.h>

#include "delivery/delivery.h"
#include "imaging/jpeg_image.h"
#include "imaging/pixel_formats.h"
#include "imaging/png_writer.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "tools/file_io.h"
#include "tools/headless_platform.h"
#include "tools/png_file.h"

namespace tessory {
namespace {

// Counts the confirmations.
class QuietPlatform final : public HeadlessPlatform {
 public:
  void PlaySoundFile(const std::string&) override { ++sounds; }
  void Beep() override { ++sounds; }
  int sounds = 0;
};

class CodecDelivery : public ::testing::Test {
 protected:
  CodecDelivery() : image(test::MakeDeviceImage(9, 7, test::Pattern)) {}

  std::string Save(ImageKind type, std::int32_t quality, const std::string& name) {
    settings.ImageQuality = quality;
    CaptureDelivery({image, settings, counter, random, dialog, platform}).SaveImageFile(dir.File(name), type);
    return test::ReadFileBytes(dir.File(name));
  }
  std::string Jpeg(std::uint8_t quality) {
    TJPEGImage jpeg;
    jpeg.SetQuality(quality);
    jpeg.AssignBitmap(image);
    jpeg.CompressJpeg();
    return std::string(jpeg.EncodedData().begin(), jpeg.EncodedData().end());
  }

  test::TempDir dir;
  CaptureImage image;
  CaptureSettings settings;
  std::int32_t counter = 0;
  RandomGenerator random{1};
  SaveDialogState dialog;
  QuietPlatform platform;
};

TEST_F(CodecDelivery, JpegQualityIsTheLowByteOfImageQuality) {
  EXPECT_EQ(Save(ImageKind::Jpeg, 90, "a.jpg"), Jpeg(90));
  EXPECT_EQ(Save(ImageKind::Jpeg, 300, "b.jpg"), Jpeg(44));
  EXPECT_EQ(Save(ImageKind::Jpeg, 256, "c.jpg"), Jpeg(1)) << "quality 0 is treated as 1";
  EXPECT_EQ(image.Format(), PixelFormat::Device);
  EXPECT_EQ(platform.sounds, 3);
}

TEST_F(CodecDelivery, PngIsWrittenWithoutAlpha) {
  const std::string bytes = Save(ImageKind::Png, 3, "a.png");
  WritePngFile(dir.File("b.png"), image, clNone);
  EXPECT_EQ(bytes, test::ReadFileBytes(dir.File("b.png")));
  ASSERT_GT(bytes.size(), 25u);
  EXPECT_EQ(bytes[25], '\x02');  // IHDR colour type: RGB
  EXPECT_EQ(image.Format(), PixelFormat::Device);
}

}  // namespace
}  // namespace tessory
