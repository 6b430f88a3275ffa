// The capture hotkeys as the settings store them: the virtual-key code in
// the low byte, the modifier flags in the next (shift 1, control 2, alt 4,
// as the system's hotkey control reports them), 0 for none. What a stored
// value means, its name as the user reads it, the keys never taken, the
// choices More Options refuses, and what the user is told of keys that
// could not be taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings.h"

namespace tessory {

// What a hotkey does; the number is its registration's id.
enum class HotkeyAction : int { ActiveWindow = 1, PointerWindow = 2, KeyboardPick = 3 };
inline constexpr HotkeyAction kHotkeyActions[] = {HotkeyAction::ActiveWindow, HotkeyAction::PointerWindow,
                                                  HotkeyAction::KeyboardPick};

inline constexpr int kHotkeyShift = 1;
inline constexpr int kHotkeyControl = 2;
inline constexpr int kHotkeyAlt = 4;

struct Hotkey {
  int key = 0;        // virtual-key code, 0 for none
  int modifiers = 0;  // kHotkeyShift | kHotkeyControl | kHotkeyAlt
};

// A stored value decoded; bits beyond the key and the three modifiers mean
// nothing and are left out.
Hotkey DecodeHotkey(std::int32_t value);
// The stored value of the hotkey of `action`.
std::int32_t HotkeyValue(const CaptureSettings& settings, HotkeyAction action);
std::int32_t& HotkeyValue(CaptureSettings& settings, HotkeyAction action);

// "Ctrl+Alt+PrtScn"; "" for none.
std::string HotkeyName(std::int32_t value);
// "Capture active window", "Capture window under pointer", "Pick a window with the keyboard".
std::string HotkeyActionName(HotkeyAction action);

// Keys the program never takes, since Windows keeps them: F12 (for
// debuggers), the Windows keys with any modifiers (the shell's) and
// Alt+Shift+PrtScn (the high-contrast toggle).
bool IsReservedHotkey(std::int32_t value);
// Why Windows keeps a reserved key, as a sentence; none for other keys.
std::optional<std::string> ReservedHotkeyReason(std::int32_t value);

// Why More Options cannot keep the hotkeys of `chosen`: a key Windows keeps,
// or one key given to more than one action. Each is named with its actions;
// none when every key can be tried.
std::optional<std::string> HotkeyChoiceProblem(const CaptureSettings& chosen);

// A hotkey that could not be taken.
struct HotkeyFailure {
  HotkeyAction action;
  std::int32_t value;
};
// The one message naming every hotkey that could not be taken, why, and
// where to choose another.
std::string HotkeyFailureText(const std::vector<HotkeyFailure>& failures);

// At start a key another program holds is tried again every
// kHotkeyRetryIntervalMs until kHotkeyRetryPeriodMs have passed, and after
// that each time More Options opens. A reserved key never is.
inline constexpr unsigned kHotkeyRetryIntervalMs = 5000;
inline constexpr unsigned kHotkeyRetryPeriodMs = 120000;
bool IsRetried(const HotkeyFailure& failure);
// The start-up message: HotkeyFailureText, saying that the keys another
// program may hold will be tried again.
std::string StartupHotkeyFailureText(const std::vector<HotkeyFailure>& failures);

// The stored "Capture Delay" brought into 0 to kMaxCaptureDelay seconds.
int CountdownSeconds(std::int32_t storedDelay);

}  // namespace tessory
