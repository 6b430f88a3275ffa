// A command of the command line run to its end: the settings read (never
// written), the window found, grabbed and delivered without a window of
// Tessory's own, the outcome told on the console and in the exit code.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace tessory {

// The program's arguments after its own name, as UTF-8.
std::vector<std::string> ProgramArguments();

// Runs the command `args` give (a capture or the usage) and gives the
// process's exit code. Nothing it does shows a message box or stores a
// setting.
int RunCommandLine(const std::vector<std::string>& args);

// The window `query` names, or null. Windows of Tessory, this process or
// another copy of the program, never match.
HWND FindScriptTarget(const WindowQuery& query);

}  // namespace tessory
