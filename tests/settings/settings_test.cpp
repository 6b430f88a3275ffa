#include "settings/settings.h"

#include <gtest/gtest.h>

#include <variant>

#include "framework/error.h"
#include "support/fake_window.h"
#include "support/memory_registry.h"

namespace tessory {
namespace {

using test::MemoryRegistry;

using test::FakeWindow;

// One stored value compared across two loads: a field of the settings or
// one of the window's values.
struct SameStoredValue {
  const char* name;
  const CaptureSettings &actual, &expected;
  const FakeWindow &actualWindow, &expectedWindow;

  template <typename Field>
  void operator()(Field CaptureSettings::*field) const {
    EXPECT_EQ(actual.*field, expected.*field) << name;
  }
  void operator()(WindowValue value) const {
    EXPECT_EQ(Held(actualWindow, value), Held(expectedWindow, value)) << name;
  }
  static int Held(const FakeWindow& window, WindowValue value) {
    switch (value) {
      case WindowValue::Left: return window.left;
      case WindowValue::Top: return window.top;
      case WindowValue::OptionsDown: return window.down;
    }
    return 0;
  }
};

void ExpectSameStoredValues(const CaptureSettings& actual, const FakeWindow& actualWindow,
                            const CaptureSettings& expected, const FakeWindow& expectedWindow) {
  for (const StoredValue& value : kStoredValues) {
    std::visit(SameStoredValue{value.name, actual, expected, actualWindow, expectedWindow}, value.field);
  }
}

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { SetDefaultSettings(settings, counter, "/tmp/"); }
  // Every stored value as it was before any load: the defaults, and the
  // window where it was.
  void ExpectDefaults() const {
    CaptureSettings defaults;
    std::int32_t unused = 0;
    SetDefaultSettings(defaults, unused, "/tmp/");
    ExpectSameStoredValues(settings, window, defaults, FakeWindow{});
  }
  void ExpectLoadError(const std::string& message) {
    try {
      LoadSettings(registry, settings, window);
      FAIL() << "no error";
    } catch (const ERegistryException& e) {
      EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_FALSE(registry.IsOpen()) << "the key stays open after a failed load";
  }

  CaptureSettings settings;
  std::int32_t counter = 7;
  FakeWindow window;
  MemoryRegistry registry;
};

TEST(StoredNumbers, DecodeToTheirEnumerationsOrToNone) {
  EXPECT_EQ(AsSaveRoute(0), SaveRoute::CopyToClipboard);
  EXPECT_EQ(AsSaveRoute(2), SaveRoute::AutoSave);
  EXPECT_EQ(AsImageKind(0), ImageKind::Bitmap);
  EXPECT_EQ(AsImageKind(4), ImageKind::PromptAtSave);
  for (std::int32_t n : {-1, 3, INT32_MIN}) EXPECT_EQ(AsSaveRoute(n), std::nullopt) << n;
  for (std::int32_t n : {-1, 5, INT32_MAX}) EXPECT_EQ(AsImageKind(n), std::nullopt) << n;
}

TEST_F(SettingsStore, FirstRunKeepsDefaultsThenStoresAllValuesInOrder) {
  EXPECT_EQ(counter, 0);
  LoadSettings(registry, settings, window);
  ExpectDefaults();

  window.left = 120, window.top = 45;
  SaveSettings(registry, settings, window);
  const std::vector<std::string> stored = {"Last X-Pos dword 120",
                                           "Last Y-Pos dword 45",
                                           "Save Option dword 0",
                                           "Image Quality dword 3",
                                           "Image Type dword 0",
                                           "Show Options dword 0",
                                           "Temp Folder sz /tmp/",
                                           "Sequential File Names dword 0",
                                           "Base File Name sz ",
                                           "Capture Sound sz ",
                                           "Hotkey Active Window dword 1068",   // 0x042C, Alt+PrtScn
                                           "Hotkey Pointer Window dword 1580",  // 0x062C, Ctrl+Alt+PrtScn
                                           "Hotkey Keyboard Pick dword 0",
                                           "Capture Delay dword 0",
                                           "Capture Pointer dword 0",
                                           "File Name Pattern sz ",
                                           "Copy Image After Save dword 0",
                                           "Copy File After Save dword 0",
                                           "Copy Path After Save dword 0",
                                           "Notify After Save dword 0",
                                           "Show In Tray dword 0"};
  EXPECT_EQ(registry.WrittenValues(), stored);
  EXPECT_FALSE(registry.IsOpen());
}

TEST_F(SettingsStore, StoredValuesRoundTrip) {
  // Every value away from its default; a hotkey set to none stays none.
  settings = {2,    ImageKind::PromptAtSave, 77,   "D:\\shots\\", true, " pic ", "C:\\ding.wav", 0, 0x0378, 0x0120, 7,
              true, "{date} {title}",        true, true,          true, true, true};
  window.left = -300, window.top = 20;  // a monitor left of the primary
  window.down = true;
  SaveSettings(registry, settings, window);

  CaptureSettings loaded;
  std::int32_t loadedCounter = 0;
  SetDefaultSettings(loaded, loadedCounter, "/tmp/");
  FakeWindow loadedWindow;
  LoadSettings(registry, loaded, loadedWindow);
  ExpectSameStoredValues(loaded, loadedWindow, settings, window);
}

TEST_F(SettingsStore, ImageTypeNamingNoKindIsStoredAgainUnchanged) {
  registry.PutInteger("Image Type", 9);
  LoadSettings(registry, settings, window);
  EXPECT_EQ(settings.ImageType.Kind(), std::nullopt);
  SaveSettings(registry, settings, window);
  EXPECT_EQ(registry.Values().at("Image Type").integer, 9);
}

TEST_F(SettingsStore, PositionNeedsBothCoordinates) {
  registry.PutInteger("Last X-Pos", 300);
  registry.PutInteger("Image Type", 3);
  LoadSettings(registry, settings, window);
  EXPECT_EQ(window.left, -1);
  EXPECT_EQ(window.top, -1);
  EXPECT_EQ(settings.ImageType, ImageKind::Png);
}

TEST_F(SettingsStore, EmptyTempFolderReplacesTheDefaultAndIsStoredAgain) {
  registry.PutString("Temp Folder", "");
  LoadSettings(registry, settings, window);
  EXPECT_EQ(settings.TempFolder, "");
  SaveSettings(registry, settings, window);
  EXPECT_EQ(registry.Values().at("Temp Folder").text, "");
}

TEST_F(SettingsStore, ExpandableTextIsTakenUnexpandedAndNonZeroIsTrue) {
  registry.PutString("Capture Sound", "%SystemRoot%\\Media\\ding.wav", RegistryType::ExpandString);
  registry.PutInteger("Sequential File Names", 42);
  LoadSettings(registry, settings, window);
  EXPECT_EQ(settings.CaptureSound, "%SystemRoot%\\Media\\ding.wav");
  EXPECT_TRUE(settings.SequentialFileNames);
}

TEST_F(SettingsStore, WrongTypeKeepsThatDefaultAndEveryOtherValueIsRead) {
  registry.PutInteger("Last X-Pos", 10);
  registry.PutInteger("Last Y-Pos", 20);
  registry.PutString("Save Option", "2");  // 4 bytes of UTF-16 text
  registry.PutInteger("Image Quality", 4);
  registry.PutInteger("Image Type", 2);
  registry.PutString("Capture Sound", "C:\\ding.wav");
  ExpectLoadError("Invalid data type for 'Save Option'");
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.top, 20);
  EXPECT_EQ(settings.SaveOption, 0);
  EXPECT_EQ(settings.ImageQuality, 4);
  EXPECT_EQ(settings.ImageType, ImageKind::Gif);
  EXPECT_EQ(settings.CaptureSound, "C:\\ding.wav");
}

TEST_F(SettingsStore, WronglyTypedHotkeyKeepsItsDefaultAndTheOthersLoad) {
  registry.PutString("Hotkey Active Window", "Alt+PrtScn");
  registry.PutInteger("Hotkey Pointer Window", 0x0278);
  registry.PutInteger("Capture Delay", 3);
  ExpectLoadError("Failed to get data for 'Hotkey Active Window'");
  EXPECT_EQ(settings.HotkeyActiveWindow, 0x042C);
  EXPECT_EQ(settings.HotkeyPointerWindow, 0x0278);
  EXPECT_EQ(settings.CaptureDelay, 3);
}

TEST_F(SettingsStore, IntegerLongerThanFourBytesFailsToGetData) {
  registry.PutInteger("Save Option", 1);
  registry.PutRaw("Image Quality", {RegistryType::Binary, 8, 0, {}});
  ExpectLoadError("Failed to get data for 'Image Quality'");
  EXPECT_EQ(settings.SaveOption, 1);
  EXPECT_EQ(settings.ImageQuality, 3);
}

// Text where a number belongs and the other way round; a position needs
// both coordinates read.
TEST_F(SettingsStore, SeveralBadValuesMakeOneErrorOfALineEachInLoadOrder) {
  registry.PutString("Last X-Pos", "a long text");
  registry.PutInteger("Last Y-Pos", 20);
  registry.PutString("Image Type", "a long text");  // more than four bytes: the read fails first
  registry.PutInteger("Base File Name", 5);
  registry.PutString("Capture Sound", "C:\\ding.wav");
  ExpectLoadError(
      "Failed to get data for 'Last X-Pos'\nFailed to get data for 'Image Type'\n"
      "Invalid data type for 'Base File Name'");
  EXPECT_EQ(window.left, -1);
  EXPECT_EQ(window.top, -1);
  EXPECT_EQ(settings.ImageType, ImageKind::Bitmap);
  EXPECT_EQ(settings.BaseFileName, "");
  EXPECT_EQ(settings.CaptureSound, "C:\\ding.wav");
}

TEST_F(SettingsStore, UnopenableKeyKeepsEveryDefault) {
  registry.PutInteger("Save Option", 2);
  registry.SetUnopenable();
  LoadSettings(registry, settings, window);
  ExpectDefaults();
}

TEST_F(SettingsStore, FailingWriteStopsTheStoreAtThatValue) {
  registry.FailWritesOf("Image Type");
  try {
    SaveSettings(registry, settings, window);
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Image Type'");
  }
  const std::vector<std::string> written = {"Last X-Pos", "Last Y-Pos", "Save Option", "Image Quality"};
  EXPECT_EQ(registry.WriteOrder(), written);
  EXPECT_FALSE(registry.IsOpen());
}

}  // namespace
}  // namespace tessory
