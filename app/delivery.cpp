#include "app/delivery.h"

#include "app/capture_steps.h"
#include "framework/error.h"
#include "gif/gif_image.h"
#include "imaging/bmp_writer.h"
#include "imaging/jpeg_image.h"
#include "imaging/output_file.h"
#include "imaging/pixel_formats.h"
#include "imaging/png_writer.h"

namespace tessory {
namespace {

// Shows the hourglass for the life of one operation, whichever way it ends.
class HourglassScope {
 public:
  explicit HourglassScope(DeliveryPlatform& platform) : platform_(platform) { platform_.SetHourglass(true); }
  ~HourglassScope() { platform_.SetHourglass(false); }
  HourglassScope(const HourglassScope&) = delete;
  HourglassScope& operator=(const HourglassScope&) = delete;

 private:
  DeliveryPlatform& platform_;
};

// Random names draw from 10000 numbers; past this many draws every one of
// them is taken (or nearly), and the search gives up instead of spinning.
constexpr int kMaxRandomDraws = 200000;

}  // namespace

std::string_view FilterForType(std::optional<ImageKind> type) {
  const FileFormat* format = FileFormatOf(type);
  return format ? format->saveFilter : std::string_view();
}

int BitmapDepthForQuality(std::int32_t quality) {
  switch (quality) {
    case 2: return 16;
    case 3: return 24;
    case 4: return 32;
    default: return 8;
  }
}

int JpegQualityFor(std::int32_t quality) { return quality & 0xFF; }

void CaptureDelivery::Deliver(std::int32_t saveOption) {
  const std::optional<SaveRoute> route = AsSaveRoute(saveOption);
  if (!route) return;
  switch (*route) {
    case SaveRoute::CopyToClipboard: DeliverToClipboard(); break;
    case SaveRoute::AskFileName: DeliverToNamedFile(); break;
    case SaveRoute::AutoSave: DeliverToAutoSaveFile(); break;
  }
}

void CaptureDelivery::PlayCaptureSound() {
  if (!c_.settings.CaptureSound.empty()) {
    c_.platform.PlaySoundFile(c_.settings.CaptureSound);
  } else {
    c_.platform.Beep();
  }
}

std::optional<std::int32_t> CaptureDelivery::AskImageType() {
  if (AsImageKind(c_.settings.ImageType) != ImageKind::PromptAtSave) return c_.settings.ImageType;
  const std::optional<ImageKind> chosen = c_.platform.PromptImageType();
  if (!chosen) return std::nullopt;
  return static_cast<std::int32_t>(*chosen);
}

void CaptureDelivery::DeliverToClipboard() {
  c_.platform.CopyImageToClipboard(c_.image);
  PlayCaptureSound();
}

FileErrorTexts FileTextsForType(ImageKind type) {
  return type == ImageKind::Png ? kPngFileTexts : FileErrorTexts{};
}

void CaptureDelivery::WriteImage(ByteSink& sink, ImageKind type) {
  switch (type) {
    case ImageKind::Bitmap:
      ConvertPixelDepth(c_.image, BitmapDepthForQuality(c_.settings.ImageQuality), c_.platform.HalftonePalette());
      WriteBmp(c_.image, sink);
      break;
    case ImageKind::Jpeg: {
      TJPEGImage jpeg;
      jpeg.SetQuality(static_cast<std::uint8_t>(JpegQualityFor(c_.settings.ImageQuality)));
      jpeg.AssignBitmap(c_.image);
      jpeg.SaveToStream(sink);
      break;
    }
    case ImageKind::Gif:
      WriteCaptureGif(c_.image, sink);
      break;
    case ImageKind::Png:
      WritePng(sink, c_.image, clNone);
      break;
    case ImageKind::PromptAtSave:
      break;  // a choice still to be made, not a format
  }
}

void CaptureDelivery::WriteAndConfirm(OutputFile& file, ImageKind type) {
  WriteImage(file, type);
  capture_steps::Mark("encoded");
  file.Commit();
  capture_steps::Mark("written");
  PlayCaptureSound();
  capture_steps::Mark("sound");
}

void CaptureDelivery::SaveImageFile(const std::string& path, std::int32_t type) {
  HourglassScope hourglass(c_.platform);
  const std::optional<ImageKind> kind = AsImageKind(type);
  if (ExtensionForType(kind).empty()) {
    PlayCaptureSound();  // a type without a format writes nothing, yet confirms
    return;
  }
  // An existing file at `path` is replaced only once the new one is whole.
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path, FileTextsForType(*kind));
  WriteAndConfirm(*file, *kind);
}

void CaptureDelivery::DeliverToNamedFile() {
  const std::optional<std::int32_t> type = AskImageType();
  if (!type) return;  // the prompt was cancelled
  if (const std::string_view filter = FilterForType(AsImageKind(*type)); !filter.empty()) c_.saveDialog.Filter = filter;
  if (!c_.platform.ExecuteSaveDialog(c_.saveDialog)) return;
  SaveImageFile(c_.saveDialog.FileName, *type);
}

std::string CaptureDelivery::AutoSaveFolder() {
  if (!TrimControls(c_.settings.TempFolder).empty()) return c_.settings.TempFolder;
  std::string folder = c_.platform.TempPath();
  if (TrimControls(folder).empty()) {
    throw Error("No folder for auto-saved files: choose one in Options");
  }
  return folder;
}

std::string CaptureDelivery::AutoSaveBase() const {
  return TrimControls(c_.settings.BaseFileName).empty() ? std::string("CAP") : c_.settings.BaseFileName;
}

std::string CaptureDelivery::NextCandidate(const std::string& prefix, std::optional<ImageKind> type) {
  std::string name = prefix;
  if (c_.settings.SequentialFileNames) {
    name += FormatSequenceNumber(c_.sequenceCounter);
    ++c_.sequenceCounter;
  } else {
    name += FormatRandomNumber(c_.random.NextBelow(10000));
  }
  return InsertExtension(std::move(name), type);
}

void CaptureDelivery::DeliverToAutoSaveFile() {
  HourglassScope hourglass(c_.platform);
  const std::string prefix = NamePrefix(AutoSaveFolder(), AutoSaveBase());
  c_.sequenceCounter = 0;
  const std::optional<std::int32_t> type = AskImageType();
  if (!type) return;  // the prompt was cancelled
  const std::optional<ImageKind> kind = AsImageKind(*type);

  // A name is taken by creating its file exclusively, so that a file which
  // appears between the test and the write is never overwritten. A type
  // without a file format writes nothing, so it takes no file either.
  const bool writes = !ExtensionForType(kind).empty();
  std::unique_ptr<OutputFile> file;
  std::string candidate;
  for (int draws = 0;; ++draws) {
    if (!c_.settings.SequentialFileNames && draws == kMaxRandomDraws) {
      throw EFCreateError(FormatText("Cannot create file %s", prefix));
    }
    candidate = NextCandidate(prefix, kind);
    if (c_.platform.NameTaken(candidate)) continue;
    if (!writes) break;
    file = OutputFile::CreateNew(candidate, FileTextsForType(*kind));
    if (file) break;
  }
  capture_steps::Mark("name found");
  if (!writes) {
    SaveImageFile(candidate, *type);
    return;
  }
  // The file created here is the one written; if anything fails it is
  // removed again, so no broken picture stays under a capture name.
  WriteAndConfirm(*file, *kind);
}

}  // namespace tessory
