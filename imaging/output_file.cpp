#include "imaging/output_file.h"

#include <cstring>

#include "framework/error.h"

namespace tessory {
namespace {

// Writes reach the system in pieces of this size: large enough that a
// multi-megabyte picture takes few calls, small enough to stay in cache.
constexpr std::size_t kBufferSize = 256 * 1024;

// A temporary sibling is tried under this many names before giving up.
constexpr int kTemporaryNames = 100;

}  // namespace

std::string FileErrorText(std::string_view pattern, const std::string& path, const std::string& reason) {
  std::string text = FormatText(pattern, path);
  if (text.find(path) == std::string::npos) text += "\n" + path;
  if (!reason.empty()) text += "\n" + reason;
  return text;
}

OutputFile::OutputFile(std::string path, std::string written, Kind kind, filesystem::NativeFile file,
                       FileErrorTexts texts)
    : path_(std::move(path)), written_(std::move(written)), kind_(kind), file_(file), texts_(texts) {
  buffer_.reserve(kBufferSize);
}

std::unique_ptr<OutputFile> OutputFile::CreateNew(const std::string& path, FileErrorTexts texts) {
  const filesystem::CreateResult created = filesystem::CreateExclusive(path);
  if (created.nameTaken) return nullptr;
  if (!created.status.Ok()) throw EFCreateError(FileErrorText(texts.cannotCreate, path, created.status.reason));
  return std::unique_ptr<OutputFile>(new OutputFile(path, path, Kind::NewFile, created.file, texts));
}

std::unique_ptr<OutputFile> OutputFile::Replace(const std::string& path, FileErrorTexts texts) {
  if (filesystem::IsDevice(path)) {
    const filesystem::CreateResult opened = filesystem::OpenDevice(path);
    if (!opened.status.Ok()) throw EFCreateError(FileErrorText(texts.cannotCreate, path, opened.status.reason));
    return std::unique_ptr<OutputFile>(new OutputFile(path, path, Kind::Device, opened.file, texts));
  }
  // The sibling lies in the target's folder, so that the final rename
  // stays within one volume and replaces the target in one step.
  filesystem::CreateResult created;
  std::string temporary;
  for (int n = 0; n < kTemporaryNames; ++n) {
    temporary = path + ".~" + std::to_string(n) + ".tmp";
    created = filesystem::CreateExclusive(temporary);
    if (!created.nameTaken) break;
  }
  if (!created.status.Ok()) throw EFCreateError(FileErrorText(texts.cannotCreate, path, created.status.reason));
  return std::unique_ptr<OutputFile>(new OutputFile(path, temporary, Kind::Temporary, created.file, texts));
}

OutputFile::~OutputFile() {
  if (committed_) return;
  CloseFile();
  if (kind_ != Kind::Device) filesystem::Remove(written_);
}

void OutputFile::Write(std::span<const std::uint8_t> bytes) {
  if (file_ == filesystem::kNoFile) RaiseWriteError({"The file is closed."});
  if (buffer_.size() + bytes.size() <= kBufferSize) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    return;
  }
  WriteThrough(buffer_);
  buffer_.clear();
  if (bytes.size() >= kBufferSize) {
    WriteThrough(bytes);
  } else {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  }
}

void OutputFile::WriteThrough(std::span<const std::uint8_t> bytes) {
  if (const filesystem::Status status = filesystem::WriteAll(file_, bytes); !status.Ok()) RaiseWriteError(status);
}

void OutputFile::Commit() {
  WriteThrough(buffer_);
  buffer_.clear();
  const filesystem::Status closed = filesystem::Close(file_);
  file_ = filesystem::kNoFile;
  if (!closed.Ok()) RaiseWriteError(closed);
  if (kind_ == Kind::Temporary) PutInPlace();
  committed_ = true;
}

// Where no file has the name yet, the temporary file simply takes it: there
// is nothing a stop of the machine could cost but this file. A file that
// replaces another is made durable first, so that whatever happens the
// name holds either the old file or the whole new one.
void OutputFile::PutInPlace() {
  if (filesystem::MoveToNewName(written_, path_).Ok()) return;
  if (const filesystem::Status flushed = filesystem::FlushToDisk(written_); !flushed.Ok()) RaiseWriteError(flushed);
  if (const filesystem::Status moved = filesystem::MoveOver(written_, path_); !moved.Ok()) {
    throw EFCreateError(FileErrorText(texts_.cannotCreate, path_, moved.reason));
  }
}

void OutputFile::CloseFile() {
  if (file_ == filesystem::kNoFile) return;
  filesystem::Close(file_);
  file_ = filesystem::kNoFile;
}

void OutputFile::RaiseWriteError(const filesystem::Status& status) {
  throw EWriteError(FileErrorText(texts_.cannotWrite, path_, status.reason));
}

}  // namespace tessory
