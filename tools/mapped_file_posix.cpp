#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "framework/error.h"
#include "tools/mapped_file.h"

namespace tessory {
namespace {

struct DescriptorCloser {
  int descriptor;
  ~DescriptorCloser() { ::close(descriptor); }
};

}  // namespace

MappedFile::MappedFile(const std::string& path) {
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) throw Error("Cannot open file " + path);
  const DescriptorCloser closer{descriptor};  // the mapping outlives the descriptor
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) throw Error(path + ": not a regular file");
  if (static_cast<std::uint64_t>(info.st_size) > SIZE_MAX) throw Error(path + ": too large to read");
  if (info.st_size == 0) return;  // nothing to map, and an empty mapping is refused
  const auto size = static_cast<std::size_t>(info.st_size);
  // Populated at once: one call brings in the whole file, where touching
  // the pages one by one would fault on each of them.
#ifdef MAP_POPULATE
  constexpr int kFlags = MAP_PRIVATE | MAP_POPULATE;
#else
  constexpr int kFlags = MAP_PRIVATE;
#endif
  void* mapped = ::mmap(nullptr, size, PROT_READ, kFlags, descriptor, 0);
  if (mapped == MAP_FAILED) throw Error(path + ": cannot be read");
  data_ = static_cast<const std::uint8_t*>(mapped);
  size_ = size;
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

}  // namespace tessory
