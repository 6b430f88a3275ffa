// The delivery routes' platform on Windows: the common save dialog,
// PlaySound, MessageBeep, the wait pointer, the file system and the
// halftone palette. The image-format prompt, the clipboard and the notice
// after a save belong to the program's windows and are handed in.
#pragma once

#include <windows.h>

#include <functional>

#include "delivery/delivery.h"

namespace tessory {

class Win32DeliveryPlatform final : public DeliveryPlatform {
 public:
  using Prompt = std::function<std::optional<ImageKind>()>;
  using Clipboard = std::function<void(const ClipboardContent&)>;
  using Notify = std::function<void(const std::string&)>;

  Win32DeliveryPlatform(HWND dialogOwner, Prompt prompt, Clipboard clipboard, Notify notify)
      : owner_(dialogOwner), prompt_(std::move(prompt)), clipboard_(std::move(clipboard)), notify_(std::move(notify)) {}

  bool ExecuteSaveDialog(SaveDialogState& dialog) override;
  std::optional<ImageKind> PromptImageType() override { return prompt_(); }
  void PlaySoundFile(const std::string& path) override;
  void Beep() override;
  void SetHourglass(bool busy) override;
  bool NameTaken(const std::string& path) override;
  std::string TempPath() override;
  const ColorTable& HalftonePalette() override;
  void SetClipboard(const ClipboardContent& content) override { clipboard_(content); }
  void NotifySaved(const std::string& path) override { notify_(path); }

  void SetDialogOwner(HWND owner) { owner_ = owner; }

 private:
  HWND owner_;
  Prompt prompt_;
  Clipboard clipboard_;
  Notify notify_;
  std::optional<ColorTable> halftone_;
};

// "description|pattern|..." as the common dialogs want it: NUL-separated,
// ending in two NULs.
std::wstring DialogFilter(const std::string& filter);

// The system temporary folder (GetTempPath), "" when it cannot be had.
std::string SystemTempPath();

}  // namespace tessory
