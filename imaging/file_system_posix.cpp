#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "imaging/file_system.h"

namespace tessory::filesystem {
namespace {

Status Failed(int error) { return {std::strerror(error)}; }

int Descriptor(NativeFile file) { return static_cast<int>(file); }

}  // namespace

CreateResult CreateExclusive(const std::string& path) {
  const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return {kNoFile, errno == EEXIST, Failed(errno)};
  return {fd, false, {}};
}

CreateResult OpenDevice(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return {kNoFile, false, Failed(errno)};
  return {fd, false, {}};
}

bool IsDevice(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

Status WriteAll(NativeFile file, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(Descriptor(file), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return Failed(errno);
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return {};
}

Status Close(NativeFile file) {
  if (::close(Descriptor(file)) != 0 && errno != EINTR) return Failed(errno);
  return {};
}

Status FlushToDisk(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return Failed(errno);
  // A file system that keeps nothing to flush (EINVAL, EROFS) has nothing to make durable.
  const int flushed = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS ? 0 : errno;
  ::close(fd);
  return flushed == 0 ? Status{} : Failed(flushed);
}

Status MoveToNewName(const std::string& from, const std::string& to) {
#if defined(RENAME_NOREPLACE)
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  return Failed(errno);
#else
  return Failed(ENOSYS);
#endif
}

Status MoveOver(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return Failed(errno);
  return {};
}

void Remove(const std::string& path) { ::unlink(path.c_str()); }

Status CreateFolders(const std::string& path) {
  // Each folder on the way, from the top: "/a", "/a/b", ...
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (!folder.empty() && ::mkdir(folder.c_str(), 0777) != 0) {
      const int error = errno;
      struct stat info;
      if (error != EEXIST || ::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return Failed(error == EEXIST ? ENOTDIR : error);
      }
    }
    if (end == std::string::npos) return {};
  }
}

}  // namespace tessory::filesystem
