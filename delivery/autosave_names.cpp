#include "delivery/autosave_names.h"

#include <cstdio>

namespace tessory {

std::uint32_t ClockSeed(int hour, int minute, int second, int milliseconds) {
  return static_cast<std::uint32_t>(((hour * 60 + minute) * 60 + second) * 1000 + milliseconds);
}

std::string_view TrimControls(std::string_view text) {
  auto isControl = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && isControl(text.front())) text.remove_prefix(1);
  while (!text.empty() && isControl(text.back())) text.remove_suffix(1);
  return text;
}

std::string AutoSaveBaseOf(const std::string& baseFileName) {
  return TrimControls(baseFileName).empty() ? std::string("CAP") : baseFileName;
}

std::string FormatSequenceNumber(std::int32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", static_cast<int>(number));
  return text;
}

std::string FormatRandomNumber(std::uint32_t number) {
  char text[16];
  std::snprintf(text, sizeof text, "%05X", static_cast<unsigned>(number));
  return text;
}

std::string_view ExtensionForType(std::optional<ImageKind> type) {
  const FileFormat* format = FileFormatOf(type);
  return format ? format->extension : std::string_view();
}

std::string NamePrefix(std::string_view folder, std::string_view base) {
  std::string name(folder);
  if (name.empty() || name.back() != kPathDelimiter) name += kPathDelimiter;
  name += base;
  return name;
}

std::string PreviewFileName(const CaptureSettings& settings, std::string_view pattern, const NameFields& fields) {
  const std::optional<ImageKind> type = settings.ImageType.Kind();
  const std::string number = settings.SequentialFileNames ? FormatSequenceNumber(0) : FormatRandomNumber(0x1A3F);
  if (TrimControls(pattern).empty()) return InsertExtension(fields.base + number, type);
  return PatternFileName(pattern, fields, number, ExtensionForType(type), 0, fields.base);
}

std::string InsertExtension(std::string candidate, std::optional<ImageKind> type) {
  const std::string_view extension = ExtensionForType(type);
  if (const auto at = candidate.find(".tmp"); at != std::string::npos) {
    candidate.replace(at, 4, extension);
  } else {
    candidate += extension;
  }
  return candidate;
}

std::string ExamplePreviewFileName(const CaptureSettings& settings, std::string_view pattern, const CaptureTime& now) {
  const NameFields fields{AutoSaveBaseOf(settings.BaseFileName), {"Untitled - Notepad", "notepad", now}, 640, 480};
  return PreviewFileName(settings, pattern, fields);
}

}  // namespace tessory
