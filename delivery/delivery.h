// The three delivery routes of a grabbed window and the file-writer
// dispatch they share. Decisions live here; dialogs, sound, the pointer
// shape and the clipboard are the platform's, behind DeliveryPlatform.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "delivery/autosave_names.h"
#include "delivery/name_pattern.h"
#include "settings/settings.h"
#include "imaging/capture_image.h"
#include "delivery/clipboard_content.h"
#include "imaging/output_file.h"

namespace tessory {

// The save dialog's properties; one object lives as long as the main
// window, so it offers the name chosen last time.
struct SaveDialogState {
  std::string Title = "Save Window Image";
  std::string DefaultExt = "bmp";
  // "description|pattern" pairs separated by "|".
  std::string Filter = "JPEG Image (*.jpg)|*.jpg|All Files (*.*)|*.*";
  std::string FileName;
};

// The save dialog's filter for the four file formats; empty for "Prompt at
// save" and for no type at all.
std::string_view FilterForType(std::optional<ImageKind> type);

// Colour depth of a bitmap file for an "Image Quality" index: 1, 2, 3, 4
// give 8, 16, 24, 32 bits; anything else gives 8.
int BitmapDepthForQuality(std::int32_t quality);
// JPEG quality for an "Image Quality" value: its low 8 bits.
int JpegQualityFor(std::int32_t quality);
// The file errors' first lines for image type `type`: the PNG writer's own
// texts for PNG, the file layer's for the others.
FileErrorTexts FileTextsForType(ImageKind type);

class DeliveryPlatform {
 public:
  virtual ~DeliveryPlatform() = default;
  // Shows the save dialog; true with dialog.FileName set when confirmed.
  virtual bool ExecuteSaveDialog(SaveDialogState& dialog) = 0;
  // Shows the image-format prompt: the chosen file format, or none when
  // the prompt was cancelled.
  virtual std::optional<ImageKind> PromptImageType() = 0;
  // Plays a WAV file synchronously (the system's default sound if it
  // cannot be played).
  virtual void PlaySoundFile(const std::string& path) = 0;
  virtual void Beep() = 0;
  // The whole screen's pointer: the hourglass, or back to the default.
  virtual void SetHourglass(bool busy) = 0;
  // True when a file or folder of that name exists.
  virtual bool NameTaken(const std::string& path) = 0;
  // The system temporary folder, or "" when it cannot be determined.
  virtual std::string TempPath() = 0;
  // The colour table that 8-bit bitmaps are mapped to.
  virtual const ColorTable& HalftonePalette() = 0;
  // Replaces the clipboard's contents with `content`, all of it at once.
  virtual void SetClipboard(const ClipboardContent& content) = 0;
  // Tells the user that `path` was saved, with a notice that opens its
  // folder when clicked.
  virtual void NotifySaved(const std::string& path) = 0;
};

// What one capture's delivery works on: the main window hands in what it
// owns (the capture image, the settings record, SequenceCounter, ...), and
// tests hand in their own.
struct DeliveryContext {
  CaptureImage& image;
  CaptureSettings& settings;
  std::int32_t& sequenceCounter;
  RandomGenerator& random;
  SaveDialogState& saveDialog;
  DeliveryPlatform& platform;
};

class CaptureDelivery {
 public:
  explicit CaptureDelivery(const DeliveryContext& context) : c_(context) {}

  // Calls the route of the stored `saveOption`; a number that names no
  // route delivers nothing.
  void Deliver(std::int32_t saveOption);

  void DeliverToClipboard();
  void DeliverToNamedFile();
  void DeliverToAutoSaveFile();

  // Writes the capture to `path` in the file format of `type` (none for
  // "Prompt at save" or no kind writes nothing), then plays the capture
  // sound. The file appears whole or not at all; an existing file stays as
  // it was on failure.
  void SaveImageFile(const std::string& path, std::optional<ImageKind> type);
  // Writes the capture to `path` as SaveImageFile does, making its folder
  // where it is missing. An existing file is replaced only when `replace`
  // is set; otherwise it stays as it is and the result is false.
  bool SaveImageFileAs(const std::string& path, ImageKind type, bool replace);
  // The auto-save route's first name (the pattern's, or the base with the
  // first number), written whether or not a file of that name exists.
  void DeliverToFirstAutoSaveName();
  // The file the last save wrote; "" before one.
  const std::string& SavedPath() const { return savedPath_; }
  void PlayCaptureSound();
  // The image type of this capture: ImageType as stored, or for "Prompt at
  // save" the prompt's choice; none when the prompt was cancelled.
  std::optional<ImageTypeValue> AskImageType();

  // The folder and base of auto-saved names, each falling back when blank.
  std::string AutoSaveFolder();
  std::string AutoSaveBase() const;

  // What the grab learnt of the window, for the name pattern's fields.
  void SetCapturedWindow(const CapturedWindow& window) { window_ = window; }
  // The texts of the name pattern's fields for this capture.
  NameFields Fields() const;

 private:
  struct AutoSaveStart {
    std::string folder;
    std::optional<ImageKind> kind;  // none: a type without a file format
  };
  // The auto-save route's folder and this capture's kind, the counter set
  // back; none when the prompt was cancelled.
  std::optional<AutoSaveStart> StartAutoSave();
  bool UsesPattern() const;
  // The next {number}: the counter, or a random draw.
  std::string NextNumber();
  // The `attempt`th name tried in `folder` (0 the first): today's base and
  // number, or the pattern's name with a new number or a " (n)" suffix.
  std::string NextCandidate(const std::string& folder, std::optional<ImageKind> type, int attempt);
  // The error text when every candidate in `folder` was taken: the folder
  // and the names tried (the pattern, or the base and its number).
  std::string NoFreeNameText(const std::string& folder) const;
  // The pattern's first free name in the folder of the save dialog's last
  // file, offered by the dialog.
  std::string ProposedFileName(std::optional<ImageKind> type);
  void WriteImage(ByteSink& sink, ImageKind type);
  // Writes, commits `file`, does what follows a save and confirms; on
  // failure `file` removes itself.
  void WriteAndConfirm(OutputFile& file, ImageKind type);
  // The notice and the clipboard the settings ask for after a save.
  void AfterSave(const std::string& path);

  DeliveryContext c_;
  CapturedWindow window_;
  std::string savedPath_;
};

}  // namespace tessory
