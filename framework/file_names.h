// What a file name may hold: the characters no name may contain, shared by
// the names the program builds and the name parts the user types.
#pragma once

#include <string>
#include <string_view>

namespace tessory {

// The printable characters no file name may contain.
inline constexpr std::string_view kForbiddenNameChars = "<>:\"/\\|?*";

// True for a byte no file name may hold: one of kForbiddenNameChars, or a
// control character (code below 32). Bytes of multi-byte UTF-8 characters
// are always allowed.
bool IsForbiddenInName(char c);

// The forbidden characters of `name`, each once, in the order they first
// appear; control characters are left out (a user cannot see them).
std::string ForbiddenCharsIn(std::string_view name);

// True when `name` holds a forbidden character, a control character
// included.
bool HasForbiddenChars(std::string_view name);

// The program's file name without folder or extension, from the full path
// of its executable: "C:\Windows\notepad.exe" -> "notepad".
std::string ProgramNameOf(std::string_view executablePath);

}  // namespace tessory
