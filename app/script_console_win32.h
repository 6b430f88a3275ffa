// The console of a command run from a script. Tessory is a windowed
// program, so it has no console of its own: it writes to the standard
// handles it was given (a pipe, a file), or else to the console of the
// program that started it. Started from neither (a scheduled task, a
// shortcut), it writes nothing and shows nothing.
#pragma once

#include <windows.h>

#include <string>

#include "framework/handles_win32.h"

namespace tessory {

class ScriptConsole {
 public:
  ScriptConsole();
  ScriptConsole(const ScriptConsole&) = delete;
  ScriptConsole& operator=(const ScriptConsole&) = delete;

  // Writes `text` and a line end to standard output or standard error.
  void Out(const std::string& text) { Write(out_, text); }
  void Err(const std::string& text) { Write(err_, text); }

 private:
  // The standard handle `which` if it leads anywhere, else the parent's console.
  HANDLE Stream(DWORD which);
  void Write(HANDLE stream, const std::string& text);

  bool attachTried_ = false;
  UniqueFileHandle console_;  // the parent's console, when it is written to
  HANDLE out_ = nullptr, err_ = nullptr;
};

}  // namespace tessory
