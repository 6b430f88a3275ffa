#include "delivery/delivery.h"

#include <gtest/gtest.h>

#include <functional>
#include <filesystem>
#include <set>

#include "framework/error.h"
#include "imaging/pixel_formats.h"
#include "support/bmp_reader.h"
#include "support/temp_dir.h"
#include "support/test_images.h"
#include "tools/file_io.h"

namespace tessory {
namespace {

// Records what the routes ask of the platform.
class FakePlatform final : public DeliveryPlatform {
 public:
  bool ExecuteSaveDialog(SaveDialogState& dialog) override {
    dialogFilters.push_back(dialog.Filter);
    if (!saveAs) return false;
    dialog.FileName = *saveAs;
    return true;
  }
  std::optional<ImageKind> PromptImageType() override {
    ++prompts;
    return promptAnswer;
  }
  void PlaySoundFile(const std::string& path) override { sounds.push_back(path); }
  void Beep() override { sounds.push_back("<beep>"); }
  void SetHourglass(bool busy) override {
    hourglassDepth += busy ? 1 : -1;
    ++hourglassChanges;
  }
  bool NameTaken(const std::string& path) override {
    ++existsTests;
    return exists ? exists(path) : tessory::FileExists(path);
  }
  std::string TempPath() override { return tempPath; }
  const ColorTable& HalftonePalette() override { return StandardPalette(); }
  void SetClipboard(const ClipboardContent& content) override {
    if (clipboardBusy) throw Error("Cannot open clipboard");
    clipboardWidth = content.image ? content.image->Width() : -1;
    clipboardFiles = content.files;
    clipboardText = content.text;
  }
  void NotifySaved(const std::string& path) override { notices.push_back(path); }

  std::optional<std::string> saveAs;
  std::optional<ImageKind> promptAnswer;
  std::function<bool(const std::string&)> exists;
  std::string tempPath;
  bool clipboardBusy = false;
  int prompts = 0, hourglassDepth = 0, hourglassChanges = 0, existsTests = 0, clipboardWidth = -1;
  std::vector<std::string> dialogFilters, sounds, clipboardFiles, notices;
  std::optional<std::string> clipboardText;
};

class Delivery : public ::testing::Test {
 protected:
  Delivery() : image(test::MakeDeviceImage(6, 4, test::Pattern)) {
    SetDefaultSettings(settings, counter, "unused");
    settings.TempFolder = dir.Path();
  }

  CaptureDelivery Route() { return CaptureDelivery({image, settings, counter, random, dialog, platform}); }
  void AutoSave() { Route().DeliverToAutoSaveFile(); }
  void Touch(const std::string& name) { test::WriteFileBytes(dir.File(name), "taken"); }
  bool Written(const std::string& name) { return test::ReadFileBytes(dir.File(name)).substr(0, 2) == "BM"; }
  void ExpectHourglassBalanced() {
    EXPECT_EQ(platform.hourglassDepth, 0);
    EXPECT_GT(platform.hourglassChanges, 0);
  }

  test::TempDir dir;
  CaptureImage image;
  CaptureSettings settings;
  std::int32_t counter = 0;
  RandomGenerator random{12345};
  SaveDialogState dialog;
  FakePlatform platform;
};

TEST(DeliveryMappings, DepthAndQualityFromImageQuality) {
  EXPECT_EQ(BitmapDepthForQuality(1), 8);
  EXPECT_EQ(BitmapDepthForQuality(2), 16);
  EXPECT_EQ(BitmapDepthForQuality(3), 24);
  EXPECT_EQ(BitmapDepthForQuality(4), 32);
  for (int other : {0, 5, 90, 256, 300, -1}) EXPECT_EQ(BitmapDepthForQuality(other), 8) << other;
  EXPECT_EQ(JpegQualityFor(90), 90);
  EXPECT_EQ(JpegQualityFor(5), 5);
  EXPECT_EQ(JpegQualityFor(300), 44);
  EXPECT_EQ(JpegQualityFor(256), 0);
  EXPECT_EQ(JpegQualityFor(0), 0);
}

TEST_F(Delivery, ClipboardRouteCopiesThenSoundsWithoutTheHourglass) {
  settings.CaptureSound = " ";  // not trimmed: played as it stands
  Route().Deliver(0);
  EXPECT_EQ(platform.clipboardWidth, 6);
  EXPECT_EQ(platform.sounds, std::vector<std::string>{" "});
  EXPECT_EQ(platform.hourglassChanges, 0);
}

TEST_F(Delivery, BusyClipboardSoundsNothing) {
  platform.clipboardBusy = true;
  EXPECT_THROW(Route().Deliver(0), Error);
  EXPECT_TRUE(platform.sounds.empty());
}

TEST_F(Delivery, SaveOptionOutsideTheRoutesDeliversNothing) {
  Route().Deliver(3);
  Route().Deliver(-1);
  EXPECT_TRUE(platform.sounds.empty());
  EXPECT_EQ(platform.clipboardWidth, -1);
}

TEST_F(Delivery, NamedFileUsesTheTypesFilterAndBeeps) {
  platform.saveAs = dir.File("named.bmp");
  Route().DeliverToNamedFile();
  EXPECT_EQ(platform.dialogFilters, std::vector<std::string>{"Bitmap Images (*.bmp)|*.bmp"});
  EXPECT_TRUE(Written("named.bmp"));
  EXPECT_EQ(test::DecodeBmp(test::ReadFileBytes(dir.File("named.bmp"))).bitCount, 24);
  EXPECT_EQ(platform.sounds, std::vector<std::string>{"<beep>"});
  EXPECT_EQ(dialog.Title, "Save Window Image");
  EXPECT_EQ(dialog.DefaultExt, "bmp");
  ExpectHourglassBalanced();
}

TEST_F(Delivery, CancelledSaveDialogWritesAndSoundsNothing) {
  Route().DeliverToNamedFile();
  EXPECT_EQ(platform.dialogFilters.size(), 1u);
  EXPECT_TRUE(platform.sounds.empty());
  EXPECT_EQ(platform.hourglassChanges, 0);
}

TEST_F(Delivery, CancelledPromptShowsNoDialogOnEitherRoute) {
  settings.ImageType = ImageKind::PromptAtSave;
  Route().DeliverToNamedFile();
  EXPECT_EQ(platform.prompts, 1);
  EXPECT_TRUE(platform.dialogFilters.empty());
  EXPECT_EQ(dialog.Filter, "JPEG Image (*.jpg)|*.jpg|All Files (*.*)|*.*");
  AutoSave();
  EXPECT_EQ(platform.prompts, 2);
  EXPECT_TRUE(platform.sounds.empty());
  EXPECT_TRUE(std::filesystem::is_empty(test::PathOf(dir.Path())));
  ExpectHourglassBalanced();
}

TEST_F(Delivery, PromptChoiceDecidesTheFilterAndFormat) {
  settings.ImageType = ImageKind::PromptAtSave;
  platform.promptAnswer = ImageKind::Bitmap;
  platform.saveAs = dir.File("asked.bmp");
  Route().DeliverToNamedFile();
  EXPECT_EQ(platform.dialogFilters, std::vector<std::string>{"Bitmap Images (*.bmp)|*.bmp"});
  EXPECT_TRUE(Written("asked.bmp"));
}

TEST_F(Delivery, ImageTypeOutsideTheRangeKeepsTheFilterWritesNothingAndStillSounds) {
  settings.ImageType = ImageTypeValue::FromStored(9);
  platform.saveAs = dir.File("odd");
  Route().DeliverToNamedFile();
  EXPECT_EQ(platform.dialogFilters, std::vector<std::string>{"JPEG Image (*.jpg)|*.jpg|All Files (*.*)|*.*"});
  EXPECT_FALSE(FileExists(dir.File("odd")));
  EXPECT_EQ(platform.sounds.size(), 1u);

  settings.SequentialFileNames = true;
  AutoSave();  // a name without extension, nothing written, a sound
  EXPECT_FALSE(FileExists(dir.File("CAP0000")));
  EXPECT_EQ(platform.sounds.size(), 2u);
}

TEST_F(Delivery, SequentialNamesTakeTheLowestFreeNumber) {
  settings.SequentialFileNames = true;
  Touch("CAP0000.bmp"), Touch("CAP0001.bmp"), Touch("CAP0002.bmp");
  AutoSave();
  EXPECT_TRUE(Written("CAP0003.bmp"));
  RemoveFile(dir.File("CAP0001.bmp"));
  AutoSave();
  EXPECT_TRUE(Written("CAP0001.bmp"));
  EXPECT_EQ(counter, 2);
  EXPECT_EQ(platform.sounds.size(), 2u);
  ExpectHourglassBalanced();
}

TEST_F(Delivery, SequentialNamesGoPastFourDigits) {
  settings.SequentialFileNames = true;
  const std::string prefix = dir.File("CAP");
  platform.exists = [&](const std::string& name) { return name.size() == prefix.size() + 8; };
  AutoSave();
  EXPECT_TRUE(Written("CAP10000.bmp"));
}

TEST_F(Delivery, RandomNamesAreFiveHexDigitsBelow2710AndRedrawWhenTaken) {
  RandomGenerator expected(12345);
  const std::string first = FormatRandomNumber(expected.NextBelow(10000));
  const std::string second = FormatRandomNumber(expected.NextBelow(10000));
  Touch("CAP" + first + ".bmp");
  AutoSave();
  EXPECT_TRUE(Written("CAP" + second + ".bmp"));
  EXPECT_EQ(second.size(), 5u);
  EXPECT_LT(std::stoul(second, nullptr, 16), 0x2710u);
}

TEST_F(Delivery, FileAppearingAfterTheTestIsNeverOverwritten) {
  settings.SequentialFileNames = true;
  Touch("CAP0000.bmp");
  platform.exists = [](const std::string&) { return false; };  // the test misses it
  AutoSave();
  EXPECT_EQ(test::ReadFileBytes(dir.File("CAP0000.bmp")), "taken");
  EXPECT_TRUE(Written("CAP0001.bmp"));
}

TEST_F(Delivery, BlankFolderFallsBackToTheSystemTemporaryFolder) {
  settings.TempFolder = " \t";
  settings.SequentialFileNames = true;
  platform.tempPath = dir.Path();
  AutoSave();
  EXPECT_TRUE(Written("CAP0000.bmp"));
}

TEST_F(Delivery, NoFolderAtAllIsAClearErrorNotTheCurrentDirectory) {
  settings.TempFolder = "";
  platform.tempPath = "";
  EXPECT_THROW(AutoSave(), Error);
  EXPECT_TRUE(platform.sounds.empty());
  ExpectHourglassBalanced();
}

TEST_F(Delivery, BaseNameRules) {
  settings.SequentialFileNames = true;
  settings.BaseFileName = "   ";
  AutoSave();
  EXPECT_TRUE(Written("CAP0000.bmp"));
  settings.BaseFileName = " a ";
  AutoSave();
  EXPECT_TRUE(Written(" a 0000.bmp"));
  settings.BaseFileName = "a.tmp";
  AutoSave();
  EXPECT_TRUE(Written("a.bmp0000"));
}

TEST_F(Delivery, FolderAddsOneDelimiter) {
  settings.SequentialFileNames = true;
  settings.TempFolder = dir.Path().substr(0, dir.Path().size() - 1);  // without the trailing delimiter
  AutoSave();
  EXPECT_TRUE(Written("CAP0000.bmp"));
}

TEST_F(Delivery, PromptIsShownOnceHoweverManyNamesAreTried) {
  settings.ImageType = ImageKind::PromptAtSave;
  settings.SequentialFileNames = true;
  platform.promptAnswer = ImageKind::Bitmap;
  Touch("CAP0000.bmp"), Touch("CAP0001.bmp");
  AutoSave();
  EXPECT_EQ(platform.prompts, 1);
  EXPECT_TRUE(Written("CAP0002.bmp"));
}

TEST_F(Delivery, ImageQualityPicksTheBitmapDepth) {
  settings.SequentialFileNames = true;
  const std::pair<int, int> cases[] = {{1, 8}, {2, 16}, {3, 24}, {4, 32}, {0, 8}, {5, 8}, {90, 8}};
  int n = 0;
  for (const auto& [quality, bits] : cases) {
    image = test::MakeDeviceImage(6, 4, test::Pattern);
    settings.ImageQuality = quality;
    AutoSave();
    const auto decoded = test::DecodeBmp(test::ReadFileBytes(dir.File("CAP" + FormatSequenceNumber(n++) + ".bmp")));
    EXPECT_EQ(decoded.bitCount, bits) << "quality " << quality;
    EXPECT_EQ(BitsPerPixel(image.Format()), bits) << "the capture is converted in place";
  }
}

// Device pixels whose read fails, as a vanished screen bitmap would.
class FailingDevice final : public DevicePixels {
 public:
  void ReadRows24(std::span<std::uint8_t>) const override { throw EOutOfResources("Out of system resources"); }
};

TEST_F(Delivery, FailedWriteLeavesNoEmptyFileAndNoSound) {
  settings.SequentialFileNames = true;
  image = CaptureImage(4, 4, std::make_unique<FailingDevice>());
  EXPECT_THROW(AutoSave(), EOutOfResources);
  EXPECT_FALSE(FileExists(dir.File("CAP0000.bmp")));
  EXPECT_TRUE(platform.sounds.empty());
  ExpectHourglassBalanced();
}

TEST_F(Delivery, MissingFolderIsCreatedWithItsParents) {
  settings.SequentialFileNames = true;
  const std::string d(1, kPathDelimiter);
  settings.TempFolder = dir.File("new" + d + "shots");
  AutoSave();
  EXPECT_TRUE(Written("new" + d + "shots" + d + "CAP0000.bmp"));
}

TEST_F(Delivery, FileAsNewKeepsAnExistingFileAndMakesAMissingFolder) {
  Touch("a.bmp");
  EXPECT_FALSE(Route().SaveImageFileAs(dir.File("a.bmp"), ImageKind::Bitmap, false));
  EXPECT_EQ(test::ReadFileBytes(dir.File("a.bmp")), "taken");
  EXPECT_TRUE(platform.sounds.empty());
  const std::string d(1, kPathDelimiter);
  CaptureDelivery route = Route();
  EXPECT_TRUE(route.SaveImageFileAs(dir.File("new" + d + "b.bmp"), ImageKind::Bitmap, false));
  EXPECT_TRUE(Written("new" + d + "b.bmp"));
  EXPECT_EQ(route.SavedPath(), dir.File("new" + d + "b.bmp"));
}

TEST_F(Delivery, FileAsReplacementReplacesAnExistingFile) {
  Touch("a.bmp");
  EXPECT_TRUE(Route().SaveImageFileAs(dir.File("a.bmp"), ImageKind::Bitmap, true));
  EXPECT_TRUE(Written("a.bmp"));
}

TEST_F(Delivery, FirstAutoSaveNameIsReplacedRatherThanPassedBy) {
  settings.SequentialFileNames = true;
  Touch("CAP0000.bmp");
  CaptureDelivery route = Route();
  route.DeliverToFirstAutoSaveName();
  EXPECT_TRUE(Written("CAP0000.bmp"));
  EXPECT_FALSE(FileExists(dir.File("CAP0001.bmp")));
  EXPECT_EQ(route.SavedPath(), dir.File("CAP0000.bmp"));
}

TEST_F(Delivery, FolderThatCannotBeMadeIsNamedWithTheReason) {
  Touch("file");
  const std::string folder = dir.File("file") + kPathDelimiter + "shots";
  settings.TempFolder = folder;
  try {
    AutoSave();
    FAIL() << "no error";
  } catch (const EFCreateError& e) {
    const std::string text = e.what();
    EXPECT_EQ(test::FirstLine(text), "Cannot create folder " + folder);
    EXPECT_GT(text.size(), test::FirstLine(text).size() + 1);  // the system's reason follows
  }
  EXPECT_TRUE(platform.sounds.empty());
  ExpectHourglassBalanced();
}

class PatternDelivery : public Delivery {
 protected:
  PatternDelivery() { settings.ImageType = ImageKind::Png; }
  CaptureDelivery PatternRoute(const std::string& pattern) {
    settings.FileNamePattern = pattern;
    CaptureDelivery route = Route();
    route.SetCapturedWindow({"Untitled - Notepad", "notepad", {2026, 12, 9, 14, 3, 27}});
    return route;
  }
  bool IsPng(const std::string& name) { return test::ReadFileBytes(dir.File(name)).substr(1, 3) == "PNG"; }
};

TEST_F(PatternDelivery, TakenNameGetsACopyNumberBeforeTheExtension) {
  for (int i = 0; i < 3; ++i) PatternRoute("{process} - {title}").DeliverToAutoSaveFile();
  EXPECT_TRUE(IsPng("notepad - Untitled - Notepad.png"));
  EXPECT_TRUE(IsPng("notepad - Untitled - Notepad (2).png"));
  EXPECT_TRUE(IsPng("notepad - Untitled - Notepad (3).png"));
}

TEST_F(PatternDelivery, TakenNameWithANumberGetsTheNextNumber) {
  settings.SequentialFileNames = true;
  settings.BaseFileName = "shot";
  Touch("2026-12-09 shot 0000 6x4.png");
  PatternRoute("{date} {base} {number} {width}x{height}").DeliverToAutoSaveFile();
  EXPECT_TRUE(IsPng("2026-12-09 shot 0001 6x4.png"));
}

TEST_F(PatternDelivery, LongTitlesInALongFolderStillGiveANewNameEachCapture) {
  settings.SequentialFileNames = true;
  settings.TempFolder = dir.File(std::string(95 - dir.Path().size(), 'f'));
  for (int i = 0; i < 3; ++i) {
    CaptureDelivery route = PatternRoute("{title} {number}");
    route.SetCapturedWindow({std::string(158, 'T'), "browser", {}});
    route.DeliverToAutoSaveFile();
  }
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(settings.TempFolder)) {
    names.insert(entry.path().filename().string());
  }
  ASSERT_EQ(names.size(), 3u);
  EXPECT_TRUE(names.begin()->ends_with("T 0000.png"));
  EXPECT_TRUE(names.rbegin()->ends_with("T 0002.png"));
}

TEST_F(PatternDelivery, WhenEveryNameIsTakenTheSearchEndsAndNamesFolderAndPattern) {
  platform.exists = [](const std::string&) { return true; };
  try {
    PatternRoute("{title}").DeliverToAutoSaveFile();
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), ("No free file name in " + dir.Path() + "\nFile name pattern: {title}").c_str());
  }
  EXPECT_LE(platform.existsTests, 5000);
  EXPECT_TRUE(platform.sounds.empty());
  ExpectHourglassBalanced();
}

TEST_F(PatternDelivery, SaveDialogProposesThePatternsNameInItsLastFolder) {
  dialog.FileName = dir.File("old.png");
  Touch("notepad.png");
  PatternRoute("{process}").DeliverToNamedFile();
  EXPECT_EQ(dialog.FileName, dir.File("notepad (2).png"));
}

TEST_F(PatternDelivery, AfterSaveTheSettingsCombineIntoOneClipboardContentAndANotice) {
  settings.CopyImageAfterSave = settings.CopyPathAfterSave = settings.NotifyAfterSave = true;
  PatternRoute("{process}").DeliverToAutoSaveFile();
  EXPECT_EQ(platform.clipboardWidth, 6);
  EXPECT_TRUE(platform.clipboardFiles.empty());
  EXPECT_EQ(platform.clipboardText, dir.File("notepad.png"));
  EXPECT_EQ(platform.notices, std::vector<std::string>{dir.File("notepad.png")});

  settings = CaptureSettings{};
  settings.TempFolder = dir.Path();
  settings.CopyFileAfterSave = true;
  platform.saveAs = dir.File("named.bmp");
  Route().DeliverToNamedFile();
  EXPECT_EQ(platform.clipboardWidth, -1);
  EXPECT_EQ(platform.clipboardFiles, std::vector<std::string>{dir.File("named.bmp")});
  EXPECT_EQ(platform.clipboardText, std::nullopt);
}

}  // namespace
}  // namespace tessory
