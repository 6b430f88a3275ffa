// The one owner of every file the program writes. An output file either
// creates a new name exclusively or writes a temporary file beside the
// target that replaces it only once everything is written; a file that
// was not finished is removed, so no half-written picture is ever left
// behind, and an existing file survives a failed replacement unchanged.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "imaging/byte_sink.h"
#include "imaging/file_system.h"

namespace tessory {

// The first line of a writer's file errors; "%s" stands for the path.
// The error's text continues with the file's path and the system's reason
// on lines of their own.
struct FileErrorTexts {
  std::string_view cannotCreate = "Cannot create file %s";  // EFCreateError
  std::string_view cannotWrite = "Stream write error";      // EWriteError
};

class OutputFile final : public ByteSink {
 public:
  // Creates `path` as a new file; null when a file of that name exists.
  // Any other failure throws EFCreateError.
  static std::unique_ptr<OutputFile> CreateNew(const std::string& path, FileErrorTexts texts = {});
  // Writes into a new temporary file in the folder of `path`, which takes
  // the place of `path` at Commit; until then a file at `path` is left as
  // it is. A device (a pipe, /dev/null) is written in place.
  static std::unique_ptr<OutputFile> Replace(const std::string& path, FileErrorTexts texts = {});

  // Removes the file unless it was committed.
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Stores `bytes` (buffered); a failure throws EWriteError.
  void Write(std::span<const std::uint8_t> bytes) override;
  // Writes out the buffer, closes the file and puts it in place; a file
  // that replaces another is flushed to disk first. A failure throws, and
  // the file is removed.
  void Commit();

  const std::string& Path() const { return path_; }

 private:
  enum class Kind { NewFile, Temporary, Device };
  OutputFile(std::string path, std::string written, Kind kind, filesystem::NativeFile file, FileErrorTexts texts);

  void WriteThrough(std::span<const std::uint8_t> bytes);
  void PutInPlace();
  void CloseFile();
  [[noreturn]] void RaiseWriteError(const filesystem::Status& status);

  std::string path_;     // the name the user chose
  std::string written_;  // the name being written: path_, or its temporary sibling
  Kind kind_;
  filesystem::NativeFile file_;
  FileErrorTexts texts_;
  std::vector<std::uint8_t> buffer_;
  bool committed_ = false;
};

// "<first line>\n<path>\n<reason>": the path line is left out when the
// first line already names it.
std::string FileErrorText(std::string_view pattern, const std::string& path, const std::string& reason);

}  // namespace tessory
