// The delivery routes on the real platform: file system, temporary folder,
// dialog filters, and a real screen bitmap saved by the auto-save route.
#include "delivery/delivery_platform_win32.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/output_file.h"
#include "imaging/screen_bitmap_win32.h"
#include "support/bmp_reader.h"
#include "support/temp_dir.h"

namespace tessory {
namespace {

TEST(Win32Delivery, FilterTextBecomesNulSeparatedPairs) {
  const std::wstring filter = DialogFilter("Bitmap Images (*.bmp)|*.bmp");
  EXPECT_EQ(filter, std::wstring(L"Bitmap Images (*.bmp)\0*.bmp\0\0", 29));
}

TEST(Win32Delivery, TempPathEndsInABackslash) {
  const std::string path = SystemTempPath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), '\\');
}

// The named-file route's file layer: a name no file has is simply taken;
// a file that has it, here one written while the new one was, is replaced.
TEST(Win32Delivery, NamedFileTakesANewNameOrReplacesTheFileThere) {
  test::TempDir dir;
  const std::uint8_t bytes[] = {'n', 'e', 'w'};
  for (const bool taken : {false, true}) {
    auto file = OutputFile::Replace(dir.File("shot.png"));
    file->Write(bytes);
    if (taken) test::WriteFileBytes(dir.File("shot.png"), "old");
    file->Commit();
    EXPECT_EQ(test::ReadFileBytes(dir.File("shot.png")), "new");
  }
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(test::PathOf(dir.Path()))) ++entries;
  EXPECT_EQ(entries, 1u);  // no temporary file left
}

TEST(Win32Delivery, AutoSaveWritesTheScreenBitmapUnderTheNextFreeName) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("CAP0000.bmp"), "taken");

  auto bitmap = CreateScreenBitmap(3, 2);
  {
    UniqueHdc dc(CreateCompatibleDC(nullptr));
    SelectedObject selected(dc.get(), bitmap->Handle());
    const RECT all{0, 0, 3, 2};
    UniqueHbrush green(CreateSolidBrush(RGB(0, 200, 0)));
    FillRect(dc.get(), &all, green.get());
  }
  CaptureImage image(3, 2, std::move(bitmap));
  CaptureSettings settings;
  std::int32_t counter = 0;
  SetDefaultSettings(settings, counter, SystemTempPath());
  settings.TempFolder = dir.Path();
  settings.SequentialFileNames = true;
  settings.ImageQuality = 4;
  settings.CaptureSound = "C:\\no such sound.wav";  // the default sound plays instead; nothing fails
  RandomGenerator random;
  SaveDialogState dialog;
  int prompts = 0, copies = 0;
  Win32DeliveryPlatform platform(
      nullptr, [&] { return ++prompts, std::optional<ImageKind>(); }, [&](const ClipboardContent&) { ++copies; },
      [](const std::string&) {});
  CaptureDelivery({image, settings, counter, random, dialog, platform}).Deliver(2);

  const auto decoded = test::DecodeBmp(test::ReadFileBytes(dir.File("CAP0001.bmp")));
  EXPECT_EQ(decoded.bitCount, 32);
  EXPECT_EQ(decoded.At(2, 1), (test::Rgb{0, 200, 0}));
  EXPECT_EQ(test::ReadFileBytes(dir.File("CAP0000.bmp")), "taken");
  EXPECT_EQ(prompts, 0);
  EXPECT_EQ(copies, 0);
}

}  // namespace
}  // namespace tessory
