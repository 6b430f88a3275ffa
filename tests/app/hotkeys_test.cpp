#include "app/hotkeys.h"

#include <gtest/gtest.h>

namespace tessory {
namespace {

TEST(Hotkeys, NamesReadAsTheKeyboardShowsThem) {
  EXPECT_EQ(HotkeyName(0x042C), "Alt+PrtScn");
  EXPECT_EQ(HotkeyName(0x062C), "Ctrl+Alt+PrtScn");
  EXPECT_EQ(HotkeyName(0x0378), "Ctrl+Shift+F9");
  EXPECT_EQ(HotkeyName(0x0141), "Shift+A");
  EXPECT_EQ(HotkeyName(0x0262), "Ctrl+Num 2");
  EXPECT_EQ(HotkeyName(0x00E5), "Key E5");
  EXPECT_EQ(HotkeyName(0x0400), "") << "a modifier alone is no hotkey";
  // The extended-key flag (8) and higher bits mean nothing.
  EXPECT_EQ(HotkeyName(0x7F0F2C), "Ctrl+Alt+Shift+PrtScn");
}

TEST(Hotkeys, F12AndTheHighContrastToggleAreNeverTaken) {
  EXPECT_TRUE(IsReservedHotkey(0x007B));
  EXPECT_TRUE(IsReservedHotkey(0x067B));
  EXPECT_TRUE(IsReservedHotkey(0x052C));  // Alt+Shift+PrtScn
  EXPECT_FALSE(IsReservedHotkey(0x042C));
  EXPECT_FALSE(IsReservedHotkey(0x072C));
}

TEST(Hotkeys, FailureTextNamesEachKeyAndItsAction) {
  EXPECT_EQ(HotkeyFailureText({{HotkeyAction::ActiveWindow, 0x042C}, {HotkeyAction::KeyboardPick, 0x0350}}),
            "These hotkeys could not be taken; other programs may be using them:\n"
            "Alt+PrtScn (Capture active window)\n"
            "Ctrl+Shift+P (Pick a window with the keyboard)\n"
            "Choose other keys under Options, More... (or the window's menu, More options...).");
}

}  // namespace
}  // namespace tessory
