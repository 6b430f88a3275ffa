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

Status FlushToDisk(NativeFile file) {
  // Devices and pipes have nothing to make durable.
  if (::fsync(Descriptor(file)) != 0 && errno != EINVAL && errno != EROFS) return Failed(errno);
  return {};
}

Status Close(NativeFile file) {
  if (::close(Descriptor(file)) != 0 && errno != EINTR) return Failed(errno);
  return {};
}

Status MoveOver(const std::string& from, const std::string& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) return Failed(errno);
  return {};
}

void Remove(const std::string& path) { ::unlink(path.c_str()); }

}  // namespace tessory::filesystem
