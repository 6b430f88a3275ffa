// The parts of an auto-saved file's name, and the program's random source.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "delivery/name_pattern.h"
#include "settings/settings.h"

namespace tessory {

// Folder separator of auto-save paths.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif

// The 32-bit linear congruential generator: seed := seed * 134775813 + 1
// (mod 2^32), each draw giving the fraction seed / 2^32 of the new seed.
class RandomGenerator {
 public:
  explicit RandomGenerator(std::uint32_t seed = 0) : seed_(seed) {}
  void SetSeed(std::uint32_t seed) { seed_ = seed; }
  std::uint32_t Seed() const { return seed_; }
  // Advances and returns the new seed.
  std::uint32_t Next() { return seed_ = seed_ * 134775813u + 1u; }
  // floor(fraction * range) for the next draw, 0 <= result < range.
  std::uint32_t NextBelow(std::uint32_t range) {
    return static_cast<std::uint32_t>((std::uint64_t{Next()} * range) >> 32);
  }

 private:
  std::uint32_t seed_;
};

// The seed taken from the UTC clock at start: milliseconds since midnight.
std::uint32_t ClockSeed(int hour, int minute, int second, int milliseconds);

// `text` without the characters of code 32 or below at either end.
std::string_view TrimControls(std::string_view text);

// The base of auto-saved names: `baseFileName` as stored, or "CAP" when it
// is blank.
std::string AutoSaveBaseOf(const std::string& baseFileName);

// Decimal, zero-padded to at least four digits: 0 -> "0000", 12345 -> "12345".
std::string FormatSequenceNumber(std::int32_t number);
// Upper-case hexadecimal, zero-padded to at least five digits: 9999 -> "0270F".
std::string FormatRandomNumber(std::uint32_t number);

// ".bmp", ".jpg", ".gif", ".png" for the four file formats; "" for
// "Prompt at save" and for no type at all.
std::string_view ExtensionForType(std::optional<ImageKind> type);

// Folder, a delimiter unless the folder ends in one, then the base.
std::string NamePrefix(std::string_view folder, std::string_view base);

// Puts the type's extension in place of the first ".tmp" of `candidate`,
// or at its end when it has none.
std::string InsertExtension(std::string candidate, std::optional<ImageKind> type);

// The file name, without folder, that `pattern` gives a capture described
// by `fields` under `settings` (image type, numbering, base name): the
// first number of a sequence, or an example random number. An empty
// pattern gives the base and number.
std::string PreviewFileName(const CaptureSettings& settings, std::string_view pattern, const NameFields& fields);
// The preview for a capture not yet known: an example, a Notepad window of
// 640 x 480 captured at `now`.
std::string ExamplePreviewFileName(const CaptureSettings& settings, std::string_view pattern, const CaptureTime& now);

}  // namespace tessory
