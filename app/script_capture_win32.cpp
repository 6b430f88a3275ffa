#include "app/script_capture_win32.h"

#include <shellapi.h>

#include <memory>

#include "app/script_console_win32.h"
#include "capture/popup_windows_win32.h"
#include "capture/window_grab_win32.h"
#include "capture/window_stack_win32.h"
#include "delivery/clipboard_win32.h"
#include "delivery/delivery_platform_win32.h"
#include "delivery/save_notice_win32.h"
#include "framework/application_win32.h"
#include "framework/utf8.h"
#include "framework/window_process_win32.h"
#include "settings/registry_store_win32.h"

namespace tessory {
namespace {

// The window position and the options button belong to the tool window: a
// command reads them with the rest and leaves them be.
class UnusedWindowValues final : public MainWindowValues {
 public:
  int Left() const override { return 0; }
  int Top() const override { return 0; }
  void SetLeft(int) override {}
  void SetTop(int) override {}
  bool OptionsDown() const override { return false; }
  void SetOptionsDown(bool) override {}
};

// The delivery's platform for a command: no dialog, no prompt, no sound
// unless asked, and the user's pointer left as it is.
class ScriptPlatform final : public DeliveryPlatform {
 public:
  ScriptPlatform(bool sound, SaveNotice& notice)
      : sound_(sound),
        notice_(notice),
        system_(
            nullptr, [] { return std::optional<ImageKind>(); }, CopyToClipboard, [](const std::string&) {}) {}

  bool ExecuteSaveDialog(SaveDialogState&) override { return false; }
  std::optional<ImageKind> PromptImageType() override { return std::nullopt; }
  void PlaySoundFile(const std::string& path) override {
    if (sound_) system_.PlaySoundFile(path);
  }
  void Beep() override {
    if (sound_) system_.Beep();
  }
  void SetHourglass(bool) override {}
  bool NameTaken(const std::string& path) override { return system_.NameTaken(path); }
  std::string TempPath() override { return system_.TempPath(); }
  const ColorTable& HalftonePalette() override { return system_.HalftonePalette(); }
  void SetClipboard(const ClipboardContent& content) override { CopyToClipboard(content); }
  void NotifySaved(const std::string& path) override { notice_.Show(path); }

 private:
  bool sound_;
  SaveNotice& notice_;
  Win32DeliveryPlatform system_;
};

// An error's lines as one line of the console.
std::string OneLine(std::string text) {
  for (std::size_t at; (at = text.find('\n')) != std::string::npos;) text.replace(at, 1, ": ");
  return text;
}

std::string OwnFileName() {
  const std::string full = Application::ExecutablePath();
  return full.substr(full.find_last_of("\\/") + 1);
}

bool IsTessoryWindow(HWND window) {
  static const std::string own = OwnFileName();
  return IsOwnWindow(window) || ProgramMatches(ProgramFileOf(window), own);
}

std::string TitleOf(HWND window) {
  std::wstring title(512, L'\0');
  title.resize(static_cast<std::size_t>(std::max(0, GetWindowTextW(window, title.data(), 512))));
  return Narrow(title);
}

bool Matches(HWND window, const WindowQuery& query) {
  switch (query.kind) {
    case TargetKind::Title: return TitleMatches(TitleOf(window), query.text, false);
    case TargetKind::ExactTitle: return TitleMatches(TitleOf(window), query.text, true);
    case TargetKind::Process: return ProgramMatches(ProgramFileOf(window), query.text);
    default: return true;
  }
}

}  // namespace

HWND FindScriptTarget(const WindowQuery& query) {
  if (query.kind == TargetKind::Handle) {
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(query.handle));
    return IsWindow(window) && IsWindowVisible(window) && !IsTessoryWindow(window) ? window : nullptr;
  }
  if (query.kind == TargetKind::Pointer) {
    POINT pointer{};
    GetCursorPos(&pointer);
    HWND window = WindowOrPopupOwnerAt(pointer);
    return window && !IsTessoryWindow(window) ? window : nullptr;
  }
  if (query.kind == TargetKind::Active) {
    HWND window = GetForegroundWindow();
    if (window) window = GetAncestor(window, GA_ROOT);
    if (IsPickCandidate(window) && !IsTessoryWindow(window)) return window;
  }
  for (HWND window : PickCandidatesInStackingOrder()) {
    if (!IsTessoryWindow(window) && Matches(window, query)) return window;
  }
  return nullptr;
}

namespace {

CaptureSettings StoredSettings(ScriptConsole& console) {
  CaptureSettings settings;
  std::int32_t counter = 0;
  SetDefaultSettings(settings, counter, SystemTempPath());
  Win32RegistryStore store(HKEY_CURRENT_USER, kSettingsKeyPath);
  UnusedWindowValues window;
  try {
    LoadSettings(store, settings, window);
  } catch (const Error& error) {
    // Each such value keeps its default and the rest are read: the command goes on.
    console.Err("tessory: " + OneLine(error.what()) + " (its default is used)");
  }
  return settings;
}

std::string FullPath(const std::string& path) {
  const std::wstring wide = Widen(path);
  const DWORD length = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (length == 0) return path;
  std::wstring full(length, L'\0');
  full.resize(GetFullPathNameW(wide.c_str(), length, full.data(), nullptr));
  return Narrow(full);
}

// Hands the grab to the route of `plan`; the path written, or "" for the clipboard.
std::string Deliver(CaptureDelivery& delivery, const ScriptDelivery& plan, bool overwrite) {
  switch (plan.to) {
    case Destination::Clipboard: delivery.DeliverToClipboard(); return "";
    case Destination::File:
      if (!delivery.SaveImageFileAs(plan.file, plan.type, overwrite)) {
        throw ScriptFailure(ExitCode::NotWritten, "file exists: " + plan.file + " (--overwrite replaces it)");
      }
      break;
    case Destination::Folder:
    case Destination::Stored:
      if (overwrite)
        delivery.DeliverToFirstAutoSaveName();
      else
        delivery.DeliverToAutoSaveFile();
      break;
  }
  return delivery.SavedPath();
}

// The longest a command stays for its notice after the save.
constexpr ULONGLONG kNoticeWaitMs = 15000;

// The notice lives in this process: it stays until it has gone, for at most kNoticeWaitMs.
void WaitForNotice(const SaveNotice& notice) {
  const ULONGLONG end = GetTickCount64() + kNoticeWaitMs;
  while (notice.Showing() && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_ALLINPUT);
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
  }
}

// The capture itself: the written path told, or ScriptFailure with its exit code.
void Capture(ScriptCommand command, ScriptConsole& console) {
  if (command.to == Destination::File || command.to == Destination::Folder) command.path = FullPath(command.path);
  ScriptDelivery plan = ResolveDelivery(command, StoredSettings(console));
  if (command.delaySeconds > 0) Sleep(static_cast<DWORD>(command.delaySeconds) * 1000);
  HWND target = FindScriptTarget(command.window);
  if (!target) throw ScriptFailure(ExitCode::NoWindow, "no window matches " + command.what);

  SaveNotice notice;
  ScriptPlatform platform(command.sound, notice);
  CaptureImage image;
  std::int32_t counter = 0;
  SYSTEMTIME now;
  GetSystemTime(&now);
  RandomGenerator random(ClockSeed(now.wHour, now.wMinute, now.wSecond, now.wMilliseconds));
  SaveDialogState dialog;
  CaptureDelivery delivery({image, plan.settings, counter, random, dialog, platform});
  GrabOptions options;
  options.drawPointer = command.pointer;
  bool delivering = false;
  std::string written;
  try {
    CaptureWindow(
        target, {nullptr, nullptr}, image,
        [&](const CapturedWindow& window) {
          delivering = true;
          delivery.SetCapturedWindow(window);
          written = Deliver(delivery, plan, command.overwrite);
        },
        options);
  } catch (const ScriptFailure&) {
    throw;
  } catch (const std::exception& error) {
    // A file saved before the clipboard failed stays, and the script learns its name.
    if (!delivery.SavedPath().empty()) console.Out(delivery.SavedPath());
    throw ScriptFailure(delivering ? ExitCode::NotWritten : ExitCode::CaptureFailed, UserMessage(error));
  }
  if (!delivering) {
    throw ScriptFailure(ExitCode::CaptureFailed,
                        "the window of " + command.what + " gave no image (gone, or without area)");
  }
  // The script may go on with the file while the notice still shows.
  if (!written.empty()) console.Out(written);
  WaitForNotice(notice);
}

}  // namespace

std::vector<std::string> ProgramArguments() {
  int count = 0;
  const std::unique_ptr<wchar_t*, decltype([](wchar_t** block) { LocalFree(block); })> argv(
      CommandLineToArgvW(GetCommandLineW(), &count));
  std::vector<std::string> args;
  for (int i = 1; argv && i < count; ++i) args.push_back(Narrow(argv.get()[i]));
  return args;
}

int RunCommandLine(const std::vector<std::string>& args) {
  Application::Instance().SetTitle("Tessory");  // the notice's tip
  ScriptConsole console;
  try {
    const CommandLine line = ParseCommandLine(args);
    if (line.action == CommandLine::Action::Help) {
      const std::string usage = UsageText();
      console.Out(usage.substr(0, usage.size() - 1));
      return static_cast<int>(ExitCode::Written);
    }
    Capture(line.command, console);
    return static_cast<int>(ExitCode::Written);
  } catch (const ScriptFailure& failure) {
    console.Err("tessory: " + OneLine(failure.what()));
    return static_cast<int>(failure.Code());
  } catch (const std::exception& error) {
    console.Err("tessory: " + OneLine(UserMessage(error)));
    return static_cast<int>(ExitCode::CaptureFailed);
  }
}

}  // namespace tessory
