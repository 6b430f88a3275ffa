#include "delivery/delivery.h"

#include "capture/capture_steps.h"
#include "framework/error.h"
#include "gif/gif_image.h"
#include "imaging/bmp_writer.h"
#include "imaging/file_system.h"
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

// Random names draw from 10000 numbers, and a pattern whose own text fills
// the path leaves no room for its number: past this many candidates every
// name is taken (or nearly), and the search gives up rather than keep the
// window waiting.
constexpr int kMaxCandidates = 5000;

// Makes the auto-save folder, and the folders above it, where it is missing.
void EnsureFolder(const std::string& folder) {
  const filesystem::Status made = filesystem::CreateFolders(folder);
  if (!made.Ok()) throw EFCreateError(FileErrorText("Cannot create folder %s", folder, made.reason));
}

// The folder part of `path`, its delimiter included; "" for a bare name.
std::string FolderOf(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/");
  return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

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

std::optional<ImageTypeValue> CaptureDelivery::AskImageType() {
  if (c_.settings.ImageType != ImageKind::PromptAtSave) return c_.settings.ImageType;
  const std::optional<ImageKind> chosen = c_.platform.PromptImageType();
  if (!chosen) return std::nullopt;
  return *chosen;
}

void CaptureDelivery::DeliverToClipboard() {
  ClipboardContent content;
  content.image = &c_.image;
  c_.platform.SetClipboard(content);
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
  savedPath_ = file.Path();
  capture_steps::Mark("written");
  AfterSave(file.Path());
  PlayCaptureSound();
  capture_steps::Mark("sound");
}

// The file stays when the clipboard cannot be had: it is saved, and the
// error tells what did not follow.
void CaptureDelivery::AfterSave(const std::string& path) {
  const CaptureSettings& s = c_.settings;
  if (s.NotifyAfterSave) c_.platform.NotifySaved(path);
  ClipboardContent content;
  if (s.CopyImageAfterSave) content.image = &c_.image;
  if (s.CopyFileAfterSave) content.files.push_back(path);
  if (s.CopyPathAfterSave) content.text = path;
  if (!content.Empty()) c_.platform.SetClipboard(content);
}

void CaptureDelivery::SaveImageFile(const std::string& path, std::optional<ImageKind> type) {
  HourglassScope hourglass(c_.platform);
  if (ExtensionForType(type).empty()) {
    PlayCaptureSound();  // a type without a format writes nothing, yet confirms
    return;
  }
  // An existing file at `path` is replaced only once the new one is whole.
  const std::unique_ptr<OutputFile> file = OutputFile::Replace(path, FileTextsForType(*type));
  WriteAndConfirm(*file, *type);
}

bool CaptureDelivery::SaveImageFileAs(const std::string& path, ImageKind type, bool replace) {
  HourglassScope hourglass(c_.platform);
  if (!FolderOf(path).empty()) EnsureFolder(FolderOf(path));
  const std::unique_ptr<OutputFile> file =
      replace ? OutputFile::Replace(path, FileTextsForType(type)) : OutputFile::CreateNew(path, FileTextsForType(type));
  if (!file) return false;
  WriteAndConfirm(*file, type);
  return true;
}

std::optional<CaptureDelivery::AutoSaveStart> CaptureDelivery::StartAutoSave() {
  AutoSaveStart start{AutoSaveFolder(), std::nullopt};
  c_.sequenceCounter = 0;
  const std::optional<ImageTypeValue> type = AskImageType();
  if (!type) return std::nullopt;  // the prompt was cancelled
  start.kind = type->Kind();
  return start;
}

void CaptureDelivery::DeliverToFirstAutoSaveName() {
  HourglassScope hourglass(c_.platform);
  const std::optional<AutoSaveStart> start = StartAutoSave();
  if (!start) return;
  if (!ExtensionForType(start->kind).empty()) EnsureFolder(start->folder);
  SaveImageFile(NextCandidate(start->folder, start->kind, 0), start->kind);
}

void CaptureDelivery::DeliverToNamedFile() {
  const std::optional<ImageTypeValue> type = AskImageType();
  if (!type) return;  // the prompt was cancelled
  const std::optional<ImageKind> kind = type->Kind();
  if (const std::string_view filter = FilterForType(kind); !filter.empty()) c_.saveDialog.Filter = filter;
  if (UsesPattern()) c_.saveDialog.FileName = ProposedFileName(kind);
  if (!c_.platform.ExecuteSaveDialog(c_.saveDialog)) return;
  SaveImageFile(c_.saveDialog.FileName, kind);
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
  return AutoSaveBaseOf(c_.settings.BaseFileName);
}

bool CaptureDelivery::UsesPattern() const {
  return !TrimControls(c_.settings.FileNamePattern).empty();
}

NameFields CaptureDelivery::Fields() const {
  return {AutoSaveBase(), window_, c_.image.Width(), c_.image.Height()};
}

std::string CaptureDelivery::NextNumber() {
  if (c_.settings.SequentialFileNames) return FormatSequenceNumber(c_.sequenceCounter++);
  return FormatRandomNumber(c_.random.NextBelow(10000));
}

std::string CaptureDelivery::NextCandidate(const std::string& folder, std::optional<ImageKind> type, int attempt) {
  if (!UsesPattern()) return InsertExtension(NamePrefix(folder, AutoSaveBase()) + NextNumber(), type);
  const std::string& pattern = c_.settings.FileNamePattern;
  std::string number, tail(ExtensionForType(type));
  if (PatternHasNumber(pattern)) {
    number = NextNumber();
  } else if (attempt > 0) {
    tail = CopySuffix(attempt + 1) + tail;
  }
  const std::string prefix = NamePrefix(folder, "");
  return prefix + PatternFileName(pattern, Fields(), number, tail, Utf16Length(prefix), AutoSaveBase());
}

std::string CaptureDelivery::NoFreeNameText(const std::string& folder) const {
  const std::string names = UsesPattern() ? "File name pattern: " + c_.settings.FileNamePattern
                                          : "Names: " + AutoSaveBase() + " and a random number";
  return "No free file name in " + folder + "\n" + names;
}

std::string CaptureDelivery::ProposedFileName(std::optional<ImageKind> type) {
  const std::string folder = FolderOf(c_.saveDialog.FileName);
  c_.sequenceCounter = 0;
  std::string candidate;
  for (int attempt = 0; attempt < kMaxCandidates; ++attempt) {
    candidate = NextCandidate(folder, type, attempt);
    if (folder.empty() || !c_.platform.NameTaken(candidate)) break;
  }
  return folder.empty() ? candidate.substr(NamePrefix(folder, "").size()) : candidate;
}

void CaptureDelivery::DeliverToAutoSaveFile() {
  HourglassScope hourglass(c_.platform);
  const std::optional<AutoSaveStart> start = StartAutoSave();
  if (!start) return;
  const std::string& folder = start->folder;
  const std::optional<ImageKind> kind = start->kind;

  // A name is taken by creating its file exclusively, so that a file which
  // appears between the test and the write is never overwritten. A type
  // without a file format writes nothing, so it takes no file either.
  const bool writes = !ExtensionForType(kind).empty();
  if (writes) EnsureFolder(folder);
  // Numbers without end find a free name in the end; random draws and
  // pattern names are bounded.
  const bool endless = c_.settings.SequentialFileNames && !UsesPattern();
  std::unique_ptr<OutputFile> file;
  std::string candidate;
  for (int attempt = 0;; ++attempt) {
    if (!endless && attempt == kMaxCandidates) throw EFCreateError(NoFreeNameText(folder));
    candidate = NextCandidate(folder, kind, attempt);
    if (c_.platform.NameTaken(candidate)) continue;
    if (!writes) break;
    file = OutputFile::CreateNew(candidate, FileTextsForType(*kind));
    if (file) break;
  }
  capture_steps::Mark("name found");
  if (!writes) {
    SaveImageFile(candidate, kind);
    return;
  }
  // The file created here is the one written; if anything fails it is
  // removed again, so no broken picture stays under a capture name.
  WriteAndConfirm(*file, *kind);
}

}  // namespace tessory
