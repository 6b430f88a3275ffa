// Win32 failures as the program's exceptions.
#pragma once

#include <windows.h>

#include <string>

namespace tessory {

// The system's message text for `code`, or "" when it has none.
std::string SystemMessage(DWORD code);

// Throws EOutOfResources carrying the system's message for GetLastError(),
// or "Out of system resources" when the system gives none.
[[noreturn]] void RaiseOutOfResources();

}  // namespace tessory
