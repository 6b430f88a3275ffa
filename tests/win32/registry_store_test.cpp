// The settings store against the real registry, under a throwaway key.
#include "settings/registry_store_win32.h"

#include <gtest/gtest.h>

#include "settings/settings.h"
#include "framework/error.h"
#include "framework/utf8.h"
#include "support/fake_window.h"

namespace tessory {
namespace {

constexpr wchar_t kTestKey[] = L"Software\\Morrowlin, Inc.\\Tessory Test";
// The same key as the store names it, from the root of the hive.
constexpr char kTestKeyPath[] = "\\Software\\Morrowlin, Inc.\\Tessory Test";

using test::FakeWindow;

class RealRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    SetDefaultSettings(settings, counter, "C:\\temp\\");
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey); }

  // Writes a raw value under the test key, creating it.
  void Put(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    RegCloseKey(key);
  }
  void PutDword(const wchar_t* name, DWORD value) { Put(name, REG_DWORD, &value, sizeof value); }
  void PutText(const wchar_t* name, const std::wstring& text, DWORD type = REG_SZ) {
    Put(name, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  // Reads a raw value back: its type and data.
  std::pair<DWORD, std::vector<BYTE>> Get(const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      return {REG_NONE, {}};
    }
    std::vector<BYTE> data(size);
    RegGetValueW(HKEY_CURRENT_USER, kTestKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size);
    data.resize(size);
    return {type, data};
  }
  std::string LoadError() {
    try {
      LoadSettings(store, settings, window);
    } catch (const ERegistryException& e) {
      return e.what();
    }
    return "no error";
  }

  Win32RegistryStore store{HKEY_CURRENT_USER, kTestKeyPath};
  CaptureSettings settings;
  std::int32_t counter = 0;
  FakeWindow window;
};

TEST_F(RealRegistry, FirstRunThenAllTenValuesWithTheirTypes) {
  EXPECT_FALSE(store.KeyExists());
  LoadSettings(store, settings, window);
  EXPECT_EQ(settings.TempFolder, "C:\\temp\\");
  EXPECT_EQ(window.left, -1);

  window.left = -1200, window.top = 33;
  settings.BaseFileName = "Bild \xC3\xBC";  // non-ASCII survives as UTF-16
  SaveSettings(store, settings, window);
  EXPECT_TRUE(store.KeyExists());
  const struct {
    const wchar_t* name;
    DWORD type;
  } expected[] = {{L"Last X-Pos", REG_DWORD},  {L"Last Y-Pos", REG_DWORD},  {L"Save Option", REG_DWORD},
                  {L"Image Quality", REG_DWORD}, {L"Image Type", REG_DWORD},   {L"Show Options", REG_DWORD},
                  {L"Temp Folder", REG_SZ},      {L"Sequential File Names", REG_DWORD},
                  {L"Base File Name", REG_SZ},   {L"Capture Sound", REG_SZ}};
  for (const auto& value : expected) EXPECT_EQ(Get(value.name).first, value.type) << Narrow(value.name);
  const auto x = Get(L"Last X-Pos").second;
  ASSERT_EQ(x.size(), 4u);
  EXPECT_EQ(*reinterpret_cast<const std::int32_t*>(x.data()), -1200);
  const auto base = Get(L"Base File Name").second;
  EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(base.data())), L"Bild \u00FC");

  CaptureSettings loaded;
  SetDefaultSettings(loaded, counter, "unused");
  FakeWindow loadedWindow;
  LoadSettings(store, loaded, loadedWindow);
  EXPECT_EQ(loadedWindow.left, -1200);
  EXPECT_EQ(loadedWindow.top, 33);
  EXPECT_EQ(loaded.BaseFileName, "Bild \xC3\xBC");
  EXPECT_EQ(loaded.TempFolder, "C:\\temp\\");
}

TEST_F(RealRegistry, OnlyXPosLeavesThePosition) {
  PutDword(L"Last X-Pos", 100);
  PutDword(L"Image Quality", 4);
  LoadSettings(store, settings, window);
  EXPECT_EQ(window.left, -1);
  EXPECT_EQ(settings.ImageQuality, 4);
}

TEST_F(RealRegistry, EmptyTempFolderIsKept) {
  PutText(L"Temp Folder", L"");
  LoadSettings(store, settings, window);
  EXPECT_EQ(settings.TempFolder, "");
}

TEST_F(RealRegistry, SaveOptionAsTextKeepsItsDefaultAndTheRestIsRead) {
  PutDword(L"Last X-Pos", 10);
  PutDword(L"Last Y-Pos", 20);
  PutText(L"Save Option", L"1");  // four bytes with its terminator
  PutDword(L"Image Type", 3);
  EXPECT_EQ(LoadError(), "Invalid data type for 'Save Option'");
  EXPECT_EQ(window.left, 10);
  EXPECT_EQ(window.top, 20);
  EXPECT_EQ(settings.SaveOption, 0);
  EXPECT_EQ(settings.ImageType, ImageKind::Png);
}

TEST_F(RealRegistry, IntegerOfMoreThanFourBytesFailsToGetData) {
  const unsigned long long wide = 5;
  Put(L"Image Quality", REG_QWORD, &wide, sizeof wide);
  EXPECT_EQ(LoadError(), "Failed to get data for 'Image Quality'");
}

TEST_F(RealRegistry, ExpandableTextIsReadUnexpanded) {
  PutText(L"Capture Sound", L"%WINDIR%\\Media\\ding.wav", REG_EXPAND_SZ);
  LoadSettings(store, settings, window);
  EXPECT_EQ(settings.CaptureSound, "%WINDIR%\\Media\\ding.wav");
}

// Deletes the key under the open store, so that every later write fails.
class VanishingStore final : public RegistryKeyStore {
 public:
  explicit VanishingStore(Win32RegistryStore& inner) : inner_(inner) {}
  bool KeyExists() override { return inner_.KeyExists(); }
  bool OpenKey(bool create) override { return inner_.OpenKey(create); }
  void CloseKey() override { inner_.CloseKey(); }
  std::optional<RegistryValue> QueryValue(const std::string& name) override { return inner_.QueryValue(name); }
  bool SetValue(const std::string& name, const RegistryValue& value) override {
    if (name == "Image Type") RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
    return inner_.SetValue(name, value);
  }

 private:
  Win32RegistryStore& inner_;
};

TEST_F(RealRegistry, FailingWriteStopsTheStore) {
  VanishingStore vanishing(store);
  try {
    SaveSettings(vanishing, settings, window);
    FAIL() << "no error";
  } catch (const ERegistryException& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Image Type'");
  }
  EXPECT_EQ(Get(L"Show Options").first, static_cast<DWORD>(REG_NONE));
}

}  // namespace
}  // namespace tessory
