#include "delivery/name_pattern.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <utility>

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

// The names the system takes for a device in every folder, whatever
// extension follows: CON, PRN, AUX, NUL, CONIN$, CONOUT$, and COM or LPT
// with a digit from 0 to 9 or a superscript one, two or three.
bool IsDeviceName(std::string_view name) {
  static constexpr std::array<std::string_view, 6> kPlain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  static constexpr std::array<std::string_view, 3> kSuperscripts = {"\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};
  std::string upper(name);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (std::ranges::find(kPlain, upper) != kPlain.end()) return true;
  if (!upper.starts_with("COM") && !upper.starts_with("LPT")) return false;
  const std::string_view number = std::string_view(upper).substr(3);
  return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') ||
         std::ranges::find(kSuperscripts, number) != kSuperscripts.end();
}

// The UTF-16 characters a file name's stem may take before `tail`, in a
// folder path of `folderLength`.
std::size_t StemRoom(std::string_view tail, std::size_t folderLength) {
  const std::size_t room = std::min(kMaxNameChars, kMaxPathChars - std::min(kMaxPathChars, folderLength));
  const std::size_t tailLength = Utf16Length(tail);
  return room > tailLength ? room - tailLength : 0;
}

std::size_t Occurrences(std::string_view text, std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + part.size())) ++count;
  return count;
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
  const std::size_t stemRoom = StemRoom(tail, folderLength);
  std::string safe = SafeNameText(CutToUnits(stem, stemRoom));
  TrimEndDotsAndSpaces(safe);
  if (safe.empty()) safe = SafeNameText(CutToUnits(fallback, stemRoom));
  TrimEndDotsAndSpaces(safe);
  if (safe.empty()) safe.assign(1, '_');
  // The system takes "NUL" or "com1.x" for a device in every folder: a
  // mark after the device's name makes it an ordinary one, and stays
  // within the stem's room even when the stem fills it.
  std::string_view device(safe);
  device = device.substr(0, device.find('.'));
  while (!device.empty() && device.back() == ' ') device.remove_suffix(1);
  if (IsDeviceName(device)) {
    const std::size_t room = std::max<std::size_t>(stemRoom, 1) - 1;
    const std::string head(CutToUnits(device, room));
    const std::string rest = std::string(safe).substr(device.size());
    safe = head + "_" + std::string(CutToUnits(rest, room - Utf16Length(head)));
    TrimEndDotsAndSpaces(safe);
  }
  return safe + std::string(tail);
}

std::string PatternFileName(std::string_view pattern, const NameFields& fields, std::string_view number,
                            std::string_view tail, std::size_t folderLength, std::string_view fallback) {
  const std::size_t stemRoom = StemRoom(tail, folderLength);
  NameFields fitted = fields;
  std::string stem = ExpandNamePattern(pattern, fitted, number);
  // Each field is shortened by its share of the excess, once for every
  // place the pattern names it, and loses the spaces its cut leaves at its end.
  for (auto [field, text] : {std::pair{"{title}", &fitted.window.title}, {"{process}", &fitted.window.process}}) {
    const std::size_t length = Utf16Length(stem);
    const std::size_t places = Occurrences(pattern, field);
    if (length <= stemRoom || places == 0) continue;
    const std::size_t cut = (length - stemRoom + places - 1) / places;
    const std::size_t keep = Utf16Length(*text) > cut ? Utf16Length(*text) - cut : 0;
    *text = std::string(CutToUnits(*text, keep));
    while (!text->empty() && text->back() == ' ') text->pop_back();
    stem = ExpandNamePattern(pattern, fitted, number);
  }
  return SafeFileName(stem, tail, folderLength, fallback);
}

std::string CopySuffix(int copy) {
  std::string suffix = " (";
  suffix += std::to_string(copy);
  suffix += ')';
  return suffix;
}

std::size_t Utf16Length(std::string_view text) {
  std::size_t units = 0;
  for (char c : text) {
    if (!IsContinuation(c)) units += Utf16Units(c);
  }
  return units;
}

}  // namespace tessory
