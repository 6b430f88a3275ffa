// The command line: a capture run from a script, without the tool window,
// that writes one image and ends with an exit code telling how it went.
//
//   tessory.exe --capture WHAT [--to PATH] [--type T] [--quality N] ...
//
// Parsing and the decisions that need no window live here; finding the
// window, grabbing it and talking to the console are the platform's
// (app/script_capture_win32.h).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "framework/error.h"
#include "settings/settings.h"

namespace tessory {

// How a command ends: the process's exit code.
enum class ExitCode : int { Written = 0, BadArguments = 1, NoWindow = 2, CaptureFailed = 3, NotWritten = 4 };

// A command that ends before it is done, with the exit code it ends with.
class ScriptFailure : public Error {
 public:
  ScriptFailure(ExitCode code, const std::string& message) : Error(message), code_(code) {}
  ExitCode Code() const { return code_; }

 private:
  ExitCode code_;
};

// Arguments the program cannot act on: one line saying which and why.
class CommandLineError : public ScriptFailure {
 public:
  explicit CommandLineError(const std::string& message) : ScriptFailure(ExitCode::BadArguments, message) {}
};

// Which window a command takes.
enum class TargetKind { Active, Pointer, Title, ExactTitle, Process, Handle };

struct WindowQuery {
  TargetKind kind = TargetKind::Active;
  std::string text;          // the title or program asked for
  std::uint64_t handle = 0;  // for TargetKind::Handle
};

// Where the image goes.
enum class Destination { Stored, File, Folder, Clipboard };

struct ScriptCommand {
  WindowQuery window;
  std::string what;  // WHAT as given, for messages
  Destination to = Destination::Stored;
  std::string path;  // the file or folder of --to
  std::optional<ImageKind> type;
  std::optional<int> quality;  // JPEG, 0 to 100
  std::optional<int> bits;     // BMP: 8, 16, 24 or 32
  int delaySeconds = 0;
  bool pointer = false, overwrite = false;
  bool sound = false, notify = false, copyImage = false, copyFile = false, copyPath = false;
};

// What the arguments ask for: the tool window (none given), the usage, or a capture.
struct CommandLine {
  enum class Action { StartWindow, Help, Capture } action = Action::StartWindow;
  ScriptCommand command;
};

inline constexpr int kMaxScriptDelay = 60;

// Reads the arguments after the program's name. Throws CommandLineError,
// one line naming the argument at fault, for anything it cannot act on.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// "title:TEXT", "process:NAME", ... as a query; throws CommandLineError.
WindowQuery ParseWindowQuery(std::string_view what);

// The usage the help prints, lines ending in "\n".
std::string UsageText();

// The image kind a file's extension names (".png", ".JPEG", ...); none for
// any other.
std::optional<ImageKind> KindForExtension(std::string_view path);

// What the delivery of one command works with: the stored settings with
// the command's route, type, quality and after-save actions in place.
struct ScriptDelivery {
  CaptureSettings settings;
  Destination to = Destination::Stored;
  ImageKind type = ImageKind::Png;
  std::string file;  // for Destination::File
};

// The delivery of `command` over the `stored` settings: the stored
// auto-save folder, names and type where the command gives none (a type
// without a file format meaning PNG), the command's own where it does.
// Throws CommandLineError for a file whose type cannot be told, and for a
// quality or depth that the image type has no use for.
ScriptDelivery ResolveDelivery(const ScriptCommand& command, const CaptureSettings& stored);

// Whether `title` is the one asked for: containing `wanted` (or equal to
// it when `exact`), letters compared without regard to case.
bool TitleMatches(std::string_view title, std::string_view wanted, bool exact);

// Whether the program file `file` ("notepad.exe") is `wanted`, with or
// without its extension, without regard to case.
bool ProgramMatches(std::string_view file, std::string_view wanted);

}  // namespace tessory
