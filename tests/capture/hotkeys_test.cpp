#include "capture/hotkeys.h"

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

// What OK in More Options refuses, naming the key and its actions.
TEST(Hotkeys, ChoiceOfAKeyForTwoActionsOrAKeyWindowsKeepsIsRefused) {
  CaptureSettings chosen;
  chosen.HotkeyActiveWindow = 0x0378;   // Ctrl+Shift+F9
  chosen.HotkeyPointerWindow = 0x0B78;  // the same, with the extended-key flag
  chosen.HotkeyKeyboardPick = 0;
  EXPECT_EQ(HotkeyChoiceProblem(chosen),
            "Ctrl+Shift+F9 is given to two actions: Capture active window and Capture window under pointer.\n"
            "Choose another key.");
  chosen.HotkeyKeyboardPick = 0x0378;
  EXPECT_EQ(HotkeyChoiceProblem(chosen),
            "Ctrl+Shift+F9 is given to three actions: Capture active window, Capture window under pointer and "
            "Pick a window with the keyboard.\nChoose another key.");
  chosen = {};
  chosen.HotkeyActiveWindow = 0x027B;   // Ctrl+F12
  chosen.HotkeyPointerWindow = 0x065B;  // Ctrl+Alt+Left Win
  chosen.HotkeyKeyboardPick = 0;
  EXPECT_EQ(HotkeyChoiceProblem(chosen),
            "Ctrl+F12 (Capture active window) cannot be a hotkey: Windows keeps F12 for debuggers.\n"
            "Ctrl+Alt+Left Win (Capture window under pointer) cannot be a hotkey: Windows keeps the Windows keys "
            "and their combinations for itself.\n"
            "Choose other keys.");
  EXPECT_TRUE(IsReservedHotkey(0x005C));  // Right Win
  // Distinct keys, and "none" twice, are kept.
  chosen = {};
  chosen.HotkeyPointerWindow = 0;
  chosen.HotkeyKeyboardPick = 0;
  EXPECT_EQ(HotkeyChoiceProblem(chosen), std::nullopt);
  chosen.HotkeyKeyboardPick = 0x064B;  // Ctrl+Alt+K
  EXPECT_EQ(HotkeyChoiceProblem(chosen), std::nullopt);
}

TEST(Hotkeys, StartupTextSaysHeldKeysAreTriedAgainAndWhyReservedOnesAreNot) {
  const std::vector<HotkeyFailure> failures{{HotkeyAction::ActiveWindow, 0x042C},
                                            {HotkeyAction::PointerWindow, 0x007B}};
  EXPECT_TRUE(IsRetried(failures[0]));
  EXPECT_FALSE(IsRetried(failures[1]));
  EXPECT_EQ(StartupHotkeyFailureText(failures),
            "This hotkey could not be taken; another program may be using it:\n"
            "Alt+PrtScn (Capture active window)\n"
            "Tessory will try it again every few seconds for two minutes, then each time More Options opens.\n"
            "F12 (Capture window under pointer) cannot be a hotkey: Windows keeps F12 for debuggers.\n"
            "Choose other keys under Options, More... (or the window's menu, More options...).");
  EXPECT_EQ(HotkeyFailureText({failures[1]}),
            "F12 (Capture window under pointer) cannot be a hotkey: Windows keeps F12 for debuggers.\n"
            "Choose other keys under Options, More... (or the window's menu, More options...).");
}

}  // namespace
}  // namespace tessory
