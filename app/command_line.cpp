#include "app/command_line.h"

#include <algorithm>
#include <cwctype>
#include <map>

#include "delivery/autosave_names.h"
#include "framework/utf8.h"
#include "options/options_rules.h"

namespace tessory {
namespace {

using Action = CommandLine::Action;

constexpr std::string_view kHelpHint = "; tessory.exe --help lists the options";

std::wstring Folded(std::string_view text) {
  std::wstring wide = Widen(text);
  std::transform(wide.begin(), wide.end(), wide.begin(), [](wchar_t c) { return std::towlower(c); });
  return wide;
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

// A whole number from `minimum` to `maximum`, written in decimal digits only.
int WholeNumber(std::string_view option, std::string_view text, int minimum, int maximum) {
  const std::string range = std::to_string(minimum) + " to " + std::to_string(maximum);
  const bool digits = !text.empty() && text.size() <= 9 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  const int value = digits ? std::stoi(std::string(text)) : -1;
  if (!digits || value < minimum || value > maximum) {
    throw CommandLineError(std::string(option) + " takes a whole number from " + range + ", not \"" +
                           std::string(text) + "\"");
  }
  return value;
}

std::uint64_t WindowHandle(std::string_view what, std::string_view text) {
  int base = 10;
  if (StartsWith(text, "0x") || StartsWith(text, "0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  const auto digit = [base](char c) {
    return (c >= '0' && c <= '9') || (base == 16 && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
  };
  if (text.empty() || text.size() > 16 || !std::all_of(text.begin(), text.end(), digit)) {
    throw CommandLineError("\"" + std::string(what) + "\" is no window handle: write handle:0x1A2B");
  }
  const std::uint64_t handle = std::stoull(std::string(text), nullptr, base);
  if (handle == 0) throw CommandLineError("\"" + std::string(what) + "\" is no window handle: 0 names no window");
  return handle;
}

ImageKind TypeNamed(std::string_view name) {
  for (const FileFormat& format : kFileFormats) {
    if (Folded(name) == Folded(format.typeName)) return format.kind;
  }
  if (Folded(name) == L"jpeg") return ImageKind::Jpeg;
  throw CommandLineError("--type takes bmp, jpg, gif or png, not \"" + std::string(name) + "\"");
}

int DepthIndex(int bits) {
  return bits == 8 ? 1 : bits == 16 ? 2 : bits == 24 ? 3 : 4;
}

// Each option that takes a value, and what it does with it.
void TakeValue(ScriptCommand& c, std::string_view option, const std::string& value) {
  if (option == "--capture") {
    c.window = ParseWindowQuery(value);
    c.what = value;
  } else if (option == "--to") {
    if (TrimControls(value).empty()) throw CommandLineError("--to needs a file, a folder ending in \\ or clipboard");
    c.path = value;
    c.to = Folded(value) == L"clipboard"                 ? Destination::Clipboard
           : value.back() == '\\' || value.back() == '/' ? Destination::Folder
                                                         : Destination::File;
  } else if (option == "--type") {
    c.type = TypeNamed(value);
  } else if (option == "--quality") {
    c.quality = WholeNumber(option, value, 0, 100);
  } else if (option == "--bits") {
    const int bits = WholeNumber(option, value, 8, 32);
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
      throw CommandLineError("--bits takes 8, 16, 24 or 32, not \"" + value + "\"");
    }
    c.bits = bits;
  } else if (option == "--delay") {
    c.delaySeconds = WholeNumber(option, value, 0, kMaxScriptDelay);
  }
}

bool* FlagOf(ScriptCommand& c, std::string_view option) {
  static const std::map<std::string_view, bool ScriptCommand::*> kFlags{
      {"--pointer", &ScriptCommand::pointer},      {"--overwrite", &ScriptCommand::overwrite},
      {"--sound", &ScriptCommand::sound},          {"--notify", &ScriptCommand::notify},
      {"--copy-image", &ScriptCommand::copyImage}, {"--copy-file", &ScriptCommand::copyFile},
      {"--copy-path", &ScriptCommand::copyPath}};
  const auto found = kFlags.find(option);
  return found == kFlags.end() ? nullptr : &(c.*(found->second));
}

bool TakesValue(std::string_view option) {
  return option == "--capture" || option == "--to" || option == "--type" || option == "--quality" ||
         option == "--bits" || option == "--delay";
}

}  // namespace

WindowQuery ParseWindowQuery(std::string_view what) {
  const std::string quoted = "\"" + std::string(what) + "\"";
  WindowQuery query;
  if (what == "active") {
    query.kind = TargetKind::Active;
  } else if (what == "pointer") {
    query.kind = TargetKind::Pointer;
  } else if (StartsWith(what, "title:")) {
    const bool exact = StartsWith(what, "title:=");
    query = {exact ? TargetKind::ExactTitle : TargetKind::Title, std::string(what.substr(exact ? 7 : 6))};
    if (query.text.empty()) throw CommandLineError(quoted + " names no title: write title:TEXT");
  } else if (StartsWith(what, "process:")) {
    query = {TargetKind::Process, std::string(what.substr(8))};
    if (TrimControls(query.text).empty()) throw CommandLineError(quoted + " names no program: write process:NAME.exe");
  } else if (StartsWith(what, "handle:")) {
    query = {TargetKind::Handle, {}, WindowHandle(what, what.substr(7))};
  } else {
    throw CommandLineError(
        "--capture takes active, pointer, title:TEXT, title:=TEXT, process:NAME or handle:0x1A2B, "
        "not " +
        quoted);
  }
  return query;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  if (args.empty()) return line;
  if (std::any_of(args.begin(), args.end(), [](const std::string& a) { return a == "--help" || a == "/?"; })) {
    line.action = Action::Help;
    return line;
  }
  std::vector<std::string> given;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::size_t equals = StartsWith(args[i], "--") ? args[i].find('=') : std::string::npos;
    const std::string option = args[i].substr(0, equals);
    if (std::find(given.begin(), given.end(), option) != given.end()) {
      throw CommandLineError(option + " is given twice");
    }
    given.push_back(option);
    if (TakesValue(option)) {
      if (equals == std::string::npos && i + 1 == args.size()) throw CommandLineError(option + " needs a value");
      TakeValue(line.command, option, equals == std::string::npos ? args[++i] : args[i].substr(equals + 1));
    } else if (bool* flag = equals == std::string::npos ? FlagOf(line.command, option) : nullptr) {
      *flag = true;
    } else {
      throw CommandLineError("unknown argument \"" + args[i] + "\"" + std::string(kHelpHint));
    }
  }
  if (std::find(given.begin(), given.end(), "--capture") == given.end()) {
    throw CommandLineError("--capture WHAT is missing" + std::string(kHelpHint));
  }
  line.action = Action::Capture;
  return line;
}

std::optional<ImageKind> KindForExtension(std::string_view path) {
  const std::size_t dot = path.find_last_of(".\\/");
  if (dot == std::string_view::npos || path[dot] != '.') return std::nullopt;
  const std::wstring extension = Folded(path.substr(dot));
  if (extension == L".jpeg") return ImageKind::Jpeg;
  for (const FileFormat& format : kFileFormats) {
    if (extension == Folded(format.extension)) return format.kind;
  }
  return std::nullopt;
}

ScriptDelivery ResolveDelivery(const ScriptCommand& command, const CaptureSettings& stored) {
  ScriptDelivery d;
  d.settings = stored;
  d.to = command.to;
  CaptureSettings& s = d.settings;
  s.CopyImageAfterSave = command.copyImage;
  s.CopyFileAfterSave = command.copyFile;
  s.CopyPathAfterSave = command.copyPath;
  s.NotifyAfterSave = command.notify;
  if (command.to == Destination::Clipboard) {
    s.SaveOption = static_cast<std::int32_t>(SaveRoute::CopyToClipboard);
    return d;
  }
  const std::optional<ImageKind> storedKind = stored.ImageType.Kind();
  const bool storedFormat = storedKind && storedKind != ImageKind::PromptAtSave;
  if (command.type) {
    d.type = *command.type;
  } else if (command.to == Destination::File) {
    const std::optional<ImageKind> kind = KindForExtension(command.path);
    if (!kind)
      throw CommandLineError("the type of \"" + command.path +
                             "\" is unknown: end it in .bmp, .jpg, .gif "
                             "or .png, or give --type");
    d.type = *kind;
  } else {
    d.type = storedFormat ? *storedKind : ImageKind::Png;
  }
  if (command.quality && d.type != ImageKind::Jpeg) throw CommandLineError("--quality is for JPEG files only");
  if (command.bits && d.type != ImageKind::Bitmap) throw CommandLineError("--bits is for BMP files only");
  // The stored "Image Quality" means a depth for bitmaps and a quality for
  // JPEG: it holds only for the type it was stored with.
  if (storedKind != d.type) {
    if (const std::optional<QualityScale> scale = QualityScaleFor(d.type)) s.ImageQuality = scale->position;
  }
  if (command.quality) s.ImageQuality = *command.quality;
  if (command.bits) s.ImageQuality = DepthIndex(*command.bits);
  s.ImageType = d.type;
  s.SaveOption = static_cast<std::int32_t>(SaveRoute::AutoSave);
  if (command.to == Destination::Folder) s.TempFolder = command.path;
  if (command.to == Destination::File) d.file = command.path;
  return d;
}

bool TitleMatches(std::string_view title, std::string_view wanted, bool exact) {
  const std::wstring folded = Folded(title), sought = Folded(wanted);
  return exact ? folded == sought : folded.find(sought) != std::wstring::npos;
}

bool ProgramMatches(std::string_view file, std::string_view wanted) {
  if (file.empty()) return false;
  const std::wstring folded = Folded(file), sought = Folded(TrimControls(wanted));
  if (folded == sought) return true;
  const std::size_t dot = folded.rfind(L'.');
  return dot != std::wstring::npos && folded.substr(0, dot) == sought;
}

std::string UsageText() {
  return "Usage: tessory.exe --capture WHAT [options]\n"
         "Captures one window without showing Tessory, writes it and ends.\n"
         "\n"
         "WHAT:\n"
         "  active           the foreground window\n"
         "  pointer          the window under the pointer\n"
         "  title:TEXT       the first window whose title contains TEXT (any case)\n"
         "  title:=TEXT      the first window whose title is TEXT\n"
         "  process:NAME     the frontmost window of a program, e.g. process:notepad.exe\n"
         "  handle:0x1A2B    the window of that handle\n"
         "\n"
         "Options:\n"
         "  --to PATH        a file (its extension chooses the type), a folder ending in \\,\n"
         "                   or clipboard; without it, the auto-save folder and names\n"
         "  --type T         bmp, jpg, gif or png\n"
         "  --quality N      JPEG quality, 0 to 100\n"
         "  --bits N         BMP colour depth: 8, 16, 24 or 32\n"
         "  --delay S        wait S seconds (0 to 60) before the capture\n"
         "  --pointer        draw the pointer into the image\n"
         "  --overwrite      replace an existing file (otherwise a file is never replaced)\n"
         "  --sound          play the capture sound\n"
         "  --notify         show the notice after the save\n"
         "  --copy-image, --copy-file, --copy-path\n"
         "                   also put the image, the file or its path on the clipboard\n"
         "\n"
         "Exit codes: 0 written, 1 bad arguments, 2 no window matched,\n"
         "3 the capture failed, 4 the file or clipboard could not be written.\n"
         "The written file's path goes to standard output, errors to standard error.\n"
         "\n"
         "tessory.exe --background starts Tessory in the notification area when\n"
         "\"Show in the notification area\" is on (as \"Start with Windows\" does).\n";
}

}  // namespace tessory
