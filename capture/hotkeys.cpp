#include "capture/hotkeys.h"

#include <algorithm>
#include <cstdio>

namespace tessory {
namespace {

constexpr int kPrintScreen = 0x2C;
constexpr int kLeftWindows = 0x5B, kRightWindows = 0x5C;
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
    {0xDE, "'"},         {0x5B, "Left Win"},   {0x5C, "Right Win"},
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

// The key and its modifiers alone, for comparing two stored values.
std::int32_t Normalized(std::int32_t value) {
  const Hotkey hotkey = DecodeHotkey(value);
  return hotkey.modifiers << 8 | hotkey.key;
}

std::string KeyAndAction(std::int32_t value, HotkeyAction action) {
  return HotkeyName(value) + " (" + HotkeyActionName(action) + ")";
}

// "F12 (Capture active window) cannot be a hotkey: Windows keeps F12 for debuggers."
std::string ReservedLine(std::int32_t value, HotkeyAction action) {
  return KeyAndAction(value, action) + " cannot be a hotkey: " + ReservedHotkeyReason(value).value_or("");
}

// "A and B", "A, B and C".
std::string ActionList(const std::vector<HotkeyAction>& actions) {
  std::string list;
  for (std::size_t i = 0; i < actions.size(); ++i) {
    if (i > 0) list += i + 1 == actions.size() ? " and " : ", ";
    list += HotkeyActionName(actions[i]);
  }
  return list;
}

std::string FailureText(const std::vector<HotkeyFailure>& failures, bool retried) {
  std::vector<HotkeyFailure> held, reserved;
  for (const HotkeyFailure& failure : failures) (IsReservedHotkey(failure.value) ? reserved : held).push_back(failure);
  std::string text;
  if (!held.empty()) {
    const bool one = held.size() == 1;
    text = one ? "This hotkey could not be taken; another program may be using it:"
               : "These hotkeys could not be taken; other programs may be using them:";
    for (const HotkeyFailure& failure : held) text.append("\n").append(KeyAndAction(failure.value, failure.action));
    if (retried) {
      text += one ? "\nTessory will try it again every few seconds for two minutes, then each time More Options opens."
                  : "\nTessory will try them again every few seconds for two minutes, then each time More Options "
                    "opens.";
    }
  }
  for (const HotkeyFailure& failure : reserved) {
    text.append(text.empty() ? "" : "\n").append(ReservedLine(failure.value, failure.action));
  }
  return text + "\nChoose other keys under Options, More... (or the window's menu, More options...).";
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
  return ReservedHotkeyReason(value).has_value();
}

std::optional<std::string> ReservedHotkeyReason(std::int32_t value) {
  const Hotkey hotkey = DecodeHotkey(value);
  if (hotkey.key == kF12) return "Windows keeps F12 for debuggers.";
  if (hotkey.key == kLeftWindows || hotkey.key == kRightWindows) {
    return "Windows keeps the Windows keys and their combinations for itself.";
  }
  if (hotkey.key == kPrintScreen && hotkey.modifiers == (kHotkeyAlt | kHotkeyShift)) {
    return "Windows keeps Alt+Shift+PrtScn to turn high contrast on and off.";
  }
  return std::nullopt;
}

std::optional<std::string> HotkeyChoiceProblem(const CaptureSettings& chosen) {
  std::vector<std::string> lines;
  for (HotkeyAction action : kHotkeyActions) {
    const std::int32_t value = HotkeyValue(chosen, action);
    if (IsReservedHotkey(value)) lines.push_back(ReservedLine(value, action));
  }
  std::vector<std::int32_t> named;  // each shared key once
  for (HotkeyAction first : kHotkeyActions) {
    const std::int32_t value = Normalized(HotkeyValue(chosen, first));
    if (DecodeHotkey(value).key == 0 || IsReservedHotkey(value) || std::ranges::count(named, value)) continue;
    std::vector<HotkeyAction> sharing;
    for (HotkeyAction action : kHotkeyActions) {
      if (Normalized(HotkeyValue(chosen, action)) == value) sharing.push_back(action);
    }
    if (sharing.size() < 2) continue;
    named.push_back(value);
    lines.push_back(HotkeyName(value) + " is given to " + (sharing.size() == 2 ? "two" : "three") +
                    " actions: " + ActionList(sharing) + ".");
  }
  if (lines.empty()) return std::nullopt;
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text + (lines.size() == 1 ? "Choose another key." : "Choose other keys.");
}

std::string HotkeyFailureText(const std::vector<HotkeyFailure>& failures) {
  return FailureText(failures, false);
}

bool IsRetried(const HotkeyFailure& failure) {
  return !IsReservedHotkey(failure.value);
}

std::string StartupHotkeyFailureText(const std::vector<HotkeyFailure>& failures) {
  return FailureText(failures, true);
}

int CountdownSeconds(std::int32_t storedDelay) {
  return std::clamp<std::int32_t>(storedDelay, 0, kMaxCaptureDelay);
}

}  // namespace tessory
