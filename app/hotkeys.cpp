#include "app/hotkeys.h"

#include <algorithm>
#include <cstdio>

namespace tessory {
namespace {

constexpr int kPrintScreen = 0x2C;
constexpr int kF1 = 0x70, kF12 = 0x7B, kF24 = 0x87;

struct KeyName {
  int key;
  const char* name;
};
constexpr KeyName kKeyNames[] = {
    {0x08, "Backspace"}, {0x09, "Tab"},        {0x0D, "Enter"},      {0x13, "Pause"},       {0x14, "Caps Lock"},
    {0x1B, "Esc"},       {0x20, "Space"},      {0x21, "Page Up"},    {0x22, "Page Down"},   {0x23, "End"},
    {0x24, "Home"},      {0x25, "Left"},       {0x26, "Up"},         {0x27, "Right"},       {0x28, "Down"},
    {0x2C, "PrtScn"},    {0x2D, "Insert"},     {0x2E, "Delete"},     {0x6A, "Num *"},       {0x6B, "Num +"},
    {0x6D, "Num -"},     {0x6E, "Num ."},      {0x6F, "Num /"},      {0x90, "Num Lock"},    {0x91, "Scroll Lock"},
    {0xBA, ";"},         {0xBB, "="},          {0xBC, ","},          {0xBD, "-"},           {0xBE, "."},
    {0xBF, "/"},         {0xC0, "`"},          {0xDB, "["},          {0xDC, "\\"},          {0xDD, "]"},
    {0xDE, "'"},
};

std::string KeyText(int key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= 0x60 && key <= 0x69) return "Num " + std::to_string(key - 0x60);
  if (key >= kF1 && key <= kF24) return "F" + std::to_string(key - kF1 + 1);
  for (const KeyName& known : kKeyNames) {
    if (known.key == key) return known.name;
  }
  char text[16];
  std::snprintf(text, sizeof text, "Key %02X", key);
  return text;
}

}  // namespace

Hotkey DecodeHotkey(std::int32_t value) {
  return {value & 0xFF, (value >> 8) & (kHotkeyShift | kHotkeyControl | kHotkeyAlt)};
}

std::int32_t HotkeyValue(const CaptureSettings& settings, HotkeyAction action) {
  return HotkeyValue(const_cast<CaptureSettings&>(settings), action);
}

std::int32_t& HotkeyValue(CaptureSettings& settings, HotkeyAction action) {
  switch (action) {
    case HotkeyAction::ActiveWindow: return settings.HotkeyActiveWindow;
    case HotkeyAction::PointerWindow: return settings.HotkeyPointerWindow;
    case HotkeyAction::KeyboardPick: break;
  }
  return settings.HotkeyKeyboardPick;
}

std::string HotkeyName(std::int32_t value) {
  const Hotkey hotkey = DecodeHotkey(value);
  if (hotkey.key == 0) return "";
  std::string name;
  if (hotkey.modifiers & kHotkeyControl) name += "Ctrl+";
  if (hotkey.modifiers & kHotkeyAlt) name += "Alt+";
  if (hotkey.modifiers & kHotkeyShift) name += "Shift+";
  return name + KeyText(hotkey.key);
}

std::string HotkeyActionName(HotkeyAction action) {
  switch (action) {
    case HotkeyAction::ActiveWindow: return "Capture active window";
    case HotkeyAction::PointerWindow: return "Capture window under pointer";
    case HotkeyAction::KeyboardPick: break;
  }
  return "Pick a window with the keyboard";
}

bool IsReservedHotkey(std::int32_t value) {
  const Hotkey hotkey = DecodeHotkey(value);
  if (hotkey.key == kF12) return true;
  return hotkey.key == kPrintScreen && hotkey.modifiers == (kHotkeyAlt | kHotkeyShift);
}

std::string HotkeyFailureText(const std::vector<HotkeyFailure>& failures) {
  std::string text = failures.size() == 1 ? "This hotkey could not be taken; another program may be using it:"
                                          : "These hotkeys could not be taken; other programs may be using them:";
  for (const HotkeyFailure& failure : failures) {
    text += "\n" + HotkeyName(failure.value) + " (" + HotkeyActionName(failure.action) + ")";
  }
  return text + "\nChoose other keys under Options, More... (or the window's menu, More options...).";
}

int CountdownSeconds(std::int32_t storedDelay) {
  return std::clamp<std::int32_t>(storedDelay, 0, kMaxCaptureDelay);
}

}  // namespace tessory
