// The delivery routes' platform without a user: no dialogs (a prompt or a
// save dialog counts as cancelled), no sound, no pointer, no clipboard; the
// real file system. The encoder tool writes through it, and tests start
// from it.
#pragma once

#include "delivery/delivery.h"
#include "imaging/pixel_formats.h"
#include "tools/file_io.h"

namespace tessory {

class HeadlessPlatform : public DeliveryPlatform {
 public:
  bool ExecuteSaveDialog(SaveDialogState&) override { return false; }
  std::optional<ImageKind> PromptImageType() override { return std::nullopt; }
  void PlaySoundFile(const std::string&) override {}
  void Beep() override {}
  void SetHourglass(bool) override {}
  bool NameTaken(const std::string& path) override { return tessory::FileExists(path); }
  std::string TempPath() override { return {}; }
  const ColorTable& HalftonePalette() override { return StandardPalette(); }
  void SetClipboard(const ClipboardContent&) override {}
  void NotifySaved(const std::string&) override {}
};

}  // namespace tessory
