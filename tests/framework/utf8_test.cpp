#include "framework/utf8.h"

#include <gtest/gtest.h>

#include <new>

#include "framework/error.h"

namespace tessory {
namespace {

TEST(Utf8, RoundTripsAcrossThePlanes) {
  const std::string text = "C:\\Temp\\caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x93\xB7.bmp";
  const std::wstring wide = Widen(text);
  EXPECT_EQ(Narrow(wide), text);
  if constexpr (sizeof(wchar_t) == 2) {
    EXPECT_EQ(wide.size(), 21u);  // the camera emoji takes a surrogate pair
  }
}

TEST(Utf8, MalformedInputBecomesReplacementCharacters) {
  EXPECT_EQ(Widen("a\xFF" "b"), L"a\xFFFD" L"b");
  EXPECT_EQ(Widen("\xE2\x82"), L"\xFFFD");            // truncated sequence
  EXPECT_EQ(Widen("\xC0\xAF"), L"\xFFFD");            // overlong encoding
  EXPECT_EQ(Narrow(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");  // lone surrogate
}

TEST(FormatText, ReplacesTheOnePlaceholder) {
  EXPECT_EQ(FormatText("Invalid data type for '%s'", "Save Option"), "Invalid data type for 'Save Option'");
  EXPECT_EQ(FormatText("JPEG error #%d", "42"), "JPEG error #42");
  EXPECT_EQ(FormatText("Stream write error", "x"), "Stream write error");
}

TEST(UserMessage, FailedAllocationsReadAsTheProgramsOutOfMemoryText) {
  EXPECT_EQ(UserMessage(std::bad_alloc()), "Out of system resources");
  EXPECT_EQ(UserMessage(EWriteError("Stream write error")), "Stream write error");
}

}  // namespace
}  // namespace tessory
