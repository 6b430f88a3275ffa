#include "app/name_pattern.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>

#include "framework/file_names.h"

namespace tessory {
namespace {

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// UTF-16 characters of the UTF-8 character that starts with `lead`.
std::size_t Utf16Units(char lead) {
  return (static_cast<unsigned char>(lead) & 0xF8) == 0xF0 ? 2 : 1;
}

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string DateText(const CaptureTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  return text;
}

std::string TimeText(const CaptureTime& t) {
  return TwoDigits(t.hour) + "-" + TwoDigits(t.minute) + "-" + TwoDigits(t.second);
}

// The leading part of `text` of at most `units` UTF-16 characters, cut
// between whole characters.
std::string_view CutToUnits(std::string_view text, std::size_t units) {
  std::size_t used = 0, at = 0;
  while (at < text.size()) {
    const std::size_t width = Utf16Units(text[at]);
    if (used + width > units) break;
    used += width;
    ++at;
    while (at < text.size() && IsContinuation(text[at])) ++at;
  }
  return text.substr(0, at);
}

bool IsDeviceName(std::string_view name) {
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (std::ranges::find(kPlain, upper) != kPlain.end()) return true;
  return upper.size() == 4 && (upper.starts_with("COM") || upper.starts_with("LPT")) && upper[3] >= '1' &&
         upper[3] <= '9';
}

void TrimEndDotsAndSpaces(std::string& text) {
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
}

}  // namespace

bool PatternHasNumber(std::string_view pattern) {
  return pattern.find("{number}") != std::string_view::npos;
}

std::string ExpandNamePattern(std::string_view pattern, const NameFields& fields, std::string_view number) {
  const auto fieldText = [&](std::string_view field) -> std::optional<std::string> {
    if (field == "base") return fields.base;
    if (field == "number") return std::string(number);
    if (field == "title") return fields.window.title;
    if (field == "process") return fields.window.process;
    if (field == "date") return DateText(fields.window.time);
    if (field == "time") return TimeText(fields.window.time);
    if (field == "width") return std::to_string(fields.width);
    if (field == "height") return std::to_string(fields.height);
    return std::nullopt;
  };
  std::string name;
  for (std::size_t at = 0; at < pattern.size();) {
    const std::size_t open = pattern.find('{', at);
    const std::size_t close = open == std::string_view::npos ? open : pattern.find('}', open);
    if (close == std::string_view::npos) {
      name += pattern.substr(at);
      break;
    }
    name += pattern.substr(at, open - at);
    if (const std::optional<std::string> text = fieldText(pattern.substr(open + 1, close - open - 1))) {
      name += *text;
      at = close + 1;
    } else {
      name += '{';  // not a field: the brace is text, and the search goes on after it
      at = open + 1;
    }
  }
  return name;
}

std::string SafeNameText(std::string_view text) {
  std::string safe(text);
  for (char& c : safe) {
    if (IsForbiddenInName(c)) c = '_';
  }
  return safe;
}

std::string SafeFileName(std::string_view stem, std::string_view tail, std::size_t folderLength,
                         std::string_view fallback) {
  const std::size_t room = std::min(kMaxNameChars, kMaxPathChars - std::min(kMaxPathChars, folderLength));
  const std::size_t tailLength = Utf16Length(tail);
  const std::size_t stemRoom = room > tailLength ? room - tailLength : 0;
  std::string safe = SafeNameText(CutToUnits(stem, stemRoom));
  TrimEndDotsAndSpaces(safe);
  if (safe.empty()) safe = SafeNameText(CutToUnits(fallback, stemRoom));
  TrimEndDotsAndSpaces(safe);
  if (safe.empty()) safe.assign(1, '_');
  // The system takes "NUL" or "com1.x" for a device in every folder.
  std::string_view device(safe);
  device = device.substr(0, device.find('.'));
  while (!device.empty() && device.back() == ' ') device.remove_suffix(1);
  if (IsDeviceName(device)) safe.insert(device.size(), 1, '_');
  return safe + std::string(tail);
}

std::string CopySuffix(int copy) {
  std::string suffix = " (";
  suffix += std::to_string(copy);
  suffix += ')';
  return suffix;
}

std::string ProgramNameOf(std::string_view executablePath) {
  const std::size_t slash = executablePath.find_last_of("\\/");
  std::string_view name = slash == std::string_view::npos ? executablePath : executablePath.substr(slash + 1);
  if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return std::string(name);
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (char c : text) {
    if (!IsContinuation(c)) units += Utf16Units(c);
  }
  return units;
}

}  // namespace tessory
