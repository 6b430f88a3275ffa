// File names built from the "File Name Pattern": its fields replaced by
// what the capture knows, the result made safe as a file name and cut to
// fit the folder's path limit.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "capture/captured_window.h"

namespace tessory {

// Everything a pattern's fields stand for, but the number.
struct NameFields {
  std::string base;           // {base}
  CapturedWindow window;      // {title}, {process}, {date}, {time}
  int width = 0, height = 0;  // {width}, {height}
};

// The whole path, in UTF-16 characters, that a folder of files may hold
// (MAX_PATH less its terminating NUL), and the longest name of one file.
inline constexpr std::size_t kMaxPathChars = 259;
inline constexpr std::size_t kMaxNameChars = 255;

// True when `pattern` holds the {number} field.
bool PatternHasNumber(std::string_view pattern);

// `pattern` with each known field replaced by its text; `number` stands for
// {number}. Unknown fields and the other text stay as they are.
std::string ExpandNamePattern(std::string_view pattern, const NameFields& fields, std::string_view number);

// `text` with every character that no file name may hold made "_".
std::string SafeNameText(std::string_view text);

// A file name of `stem` followed by `tail` (a numbering suffix and the
// extension) that the system takes as an ordinary file: the stem's
// forbidden characters made "_", the stem cut by whole characters so that
// the name fits a folder path of `folderLength` UTF-16 characters, no dot
// or space at its end, and no device name (CON, NUL, COM1, ...) taken as
// it is. An empty stem becomes `fallback`.
std::string SafeFileName(std::string_view stem, std::string_view tail, std::size_t folderLength,
                         std::string_view fallback);

// The name `pattern` gives a file in a folder path of `folderLength`
// UTF-16 characters: its fields replaced (`number` for {number}), followed
// by `tail`, and made safe as SafeFileName makes it. When the whole name
// would not fit, the window's title is cut first, then the program's name,
// so that the number, the pattern's own text and the tail stay and two
// numbers still give two names.
std::string PatternFileName(std::string_view pattern, const NameFields& fields, std::string_view number,
                            std::string_view tail, std::size_t folderLength, std::string_view fallback);

// " (2)", " (3)" ...: what makes a taken name new when it has no number.
std::string CopySuffix(int copy);

// The length of UTF-8 `text` in UTF-16 characters.
std::size_t Utf16Length(std::string_view text);

}  // namespace tessory
