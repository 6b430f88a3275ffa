#include "imaging/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "framework/error.h"

#ifdef _WIN32
#include <io.h>

#include "framework/utf8.h"
#else
#include <unistd.h>
#endif

namespace tessory {

UniqueFile TryOpenForWrite(const std::string& path) {
#ifdef _WIN32
  return UniqueFile(_wfopen(Widen(path).c_str(), L"wb"));
#else
  return UniqueFile(std::fopen(path.c_str(), "wb"));
#endif
}

UniqueFile TryOpenForRead(const std::string& path) {
#ifdef _WIN32
  return UniqueFile(_wfopen(Widen(path).c_str(), L"rb"));
#else
  return UniqueFile(std::fopen(path.c_str(), "rb"));
#endif
}

UniqueFile CreateFileForWrite(const std::string& path) {
  UniqueFile file = TryOpenForWrite(path);
  if (!file) throw EFCreateError(FormatText("Cannot create file %s", path));
  return file;
}

void CloseWrittenFile(UniqueFile file) {
  const bool flushed = std::fflush(file.get()) == 0 && !std::ferror(file.get());
  const bool closed = std::fclose(file.release()) == 0;
  if (!flushed || !closed) throw EWriteError("Stream write error");
}

NewFileResult CreateNewFile(const std::string& path) {
#ifdef _WIN32
  int fd = _wopen(Widen(path).c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
  int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0666);
#endif
  if (fd < 0) return errno == EEXIST ? NewFileResult::AlreadyExists : NewFileResult::Failed;
#ifdef _WIN32
  _close(fd);
#else
  ::close(fd);
#endif
  return NewFileResult::Created;
}

bool FileExists(const std::string& path) { return FileSize(path) >= 0; }

long long FileSize(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info;
  if (_wstat64(Widen(path).c_str(), &info) != 0) return -1;
#else
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return -1;
#endif
  return static_cast<long long>(info.st_size);
}

void RemoveFile(const std::string& path) {
#ifdef _WIN32
  _wremove(Widen(path).c_str());
#else
  std::remove(path.c_str());
#endif
}

}  // namespace tessory
