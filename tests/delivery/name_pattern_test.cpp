#include "delivery/name_pattern.h"
#include "framework/file_names.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

NameFields NotepadFields() {
  return {"CAP", {"Untitled - Notepad", "notepad", {2026, 12, 9, 14, 3, 27}}, 640, 480};
}

TEST(NamePattern, FieldsAreReplaced) {
  EXPECT_EQ(ExpandNamePattern("{date} {time} {process} - {title}", NotepadFields(), ""),
            "2026-12-09 14-03-27 notepad - Untitled - Notepad");
  EXPECT_EQ(ExpandNamePattern("{base}{number}_{width}x{height}", NotepadFields(), "0007"), "CAP0007_640x480");
  // Unknown fields and lone braces are text.
  EXPECT_EQ(ExpandNamePattern("{{title}} {size} {", NotepadFields(), ""), "{Untitled - Notepad} {size} {");
  EXPECT_TRUE(PatternHasNumber("a{number}"));
  EXPECT_FALSE(PatternHasNumber("{base}"));
}

TEST(NamePattern, ForbiddenCharactersBecomeUnderscores) {
  EXPECT_EQ(SafeNameText("a<b>c:d\"e/f\\g|h?i*j\x01k\x7Fl"), "a_b_c_d_e_f_g_h_i_j_k\x7Fl");
  EXPECT_EQ(SafeFileName("C:\\docs\\x.txt * Notepad", ".png", 10, "CAP"), "C__docs_x.txt _ Notepad.png");
}

TEST(NamePattern, NoTrailingDotOrSpaceNoDeviceNameNoEmptyName) {
  EXPECT_EQ(SafeFileName("Loading... ", ".png", 10, "CAP"), "Loading.png");
  EXPECT_EQ(SafeFileName("con", ".png", 10, "CAP"), "con_.png");
  EXPECT_EQ(SafeFileName("LPT1.log", ".png", 10, "CAP"), "LPT1_.log.png");
  EXPECT_EQ(SafeFileName("COM10", ".png", 10, "CAP"), "COM10.png");  // not a device
  EXPECT_EQ(SafeFileName(" . ", " (2).png", 10, "CAP"), "CAP (2).png");
  for (const char* device : {"COM0", "lpt0", "COM\xC2\xB9", "LPT\xC2\xB3", "CONIN$", "conout$"}) {
    EXPECT_EQ(SafeFileName(device, ".png", 10, "CAP"), std::string(device) + "_.png");
  }
  // The mark fits within the name's limit, not one character past it.
  const std::string name = SafeFileName("NUL." + std::string(300, 'a'), ".png", 0, "CAP");
  EXPECT_EQ(Utf16Length(name), kMaxNameChars);
  EXPECT_TRUE(name.starts_with("NUL_.aaa"));
  EXPECT_EQ(SafeFileName("CONOUT$", " (255).png", kMaxPathChars - 17, "CAP"), "CONOUT_ (255).png");
}

TEST(NamePattern, LongNamesAreCutByWholeCharactersToFitThePath) {
  const std::string longTitle(300, 'a');
  const std::string name = SafeFileName(longTitle, " (2).png", 10, "CAP");
  EXPECT_EQ(name.size(), kMaxPathChars - 10);  // 249 characters in all
  EXPECT_TRUE(name.ends_with("a (2).png"));
  EXPECT_EQ(SafeFileName(longTitle, ".png", 0, "CAP").size(), kMaxNameChars);
  // "é" is one UTF-16 character, the emoji two: neither is ever split.
  std::string wide;
  for (int i = 0; i < 200; ++i) wide += "\xC3\xA9\xF0\x9F\x98\x80";
  const std::string cut = SafeFileName(wide, ".png", 100, "CAP");
  EXPECT_LE(Utf16Length(cut), kMaxPathChars - 100);
  EXPECT_TRUE(cut.ends_with("\xC3\xA9.png") || cut.ends_with("\xF0\x9F\x98\x80.png"));
}

TEST(NamePattern, ALongTitleIsCutBeforeTheNumberOrTheCopySuffix) {
  NameFields fields = NotepadFields();
  fields.window.title = std::string(300, 't');
  const std::size_t folder = 95;
  const std::string first = PatternFileName("{title} {number}", fields, "0000", ".png", folder, "CAP");
  const std::string second = PatternFileName("{title} {number}", fields, "0001", ".png", folder, "CAP");
  EXPECT_TRUE(first.ends_with("t 0000.png")) << first;
  EXPECT_TRUE(second.ends_with("t 0001.png")) << second;
  EXPECT_EQ(folder + Utf16Length(first), kMaxPathChars);
  EXPECT_TRUE(PatternFileName("{title}", fields, "", " (2).png", folder, "CAP").ends_with("t (2).png"));
  // The program's name goes only once the title is gone; the pattern's own text stays.
  fields.window.process = std::string(200, 'p');
  const std::string both = PatternFileName("[{title}] {process} {number}", fields, "0007", ".png", folder, "CAP");
  EXPECT_TRUE(both.starts_with("[] ppp")) << both;
  EXPECT_TRUE(both.ends_with("p 0007.png")) << both;
  EXPECT_EQ(folder + Utf16Length(both), kMaxPathChars);
}

TEST(NamePattern, ProgramNameIsTheFileWithoutExtension) {
  EXPECT_EQ(ProgramNameOf("C:\\windows\\system32\\notepad.exe"), "notepad");
  EXPECT_EQ(ProgramNameOf("C:\\Program Files\\My.App\\run.me.exe"), "run.me");
  EXPECT_EQ(ProgramNameOf(""), "");
}

}  // namespace
}  // namespace tessory
