#include <windows.h>

#include <cstdint>

#include "framework/error.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"
#include "tools/mapped_file.h"

namespace tessory {

MappedFile::MappedFile(const std::string& path) {
  const UniqueFileHandle file(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw Error("Cannot open file " + path);
  LARGE_INTEGER size;
  if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size)) {
    throw Error(path + ": not a regular file");
  }
  if (static_cast<std::uint64_t>(size.QuadPart) > SIZE_MAX) throw Error(path + ": too large to read");
  if (size.QuadPart == 0) return;  // nothing to map, and an empty mapping is refused
  // The view outlives both handles.
  const UniqueHandle<NullHandleTraits<HANDLE, ::CloseHandle>> mapping(
      CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) throw Error(path + ": cannot be read");
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) throw Error(path + ": cannot be read");
  data_ = static_cast<const std::uint8_t*>(view);
  size_ = static_cast<std::size_t>(size.QuadPart);
}

MappedFile::~MappedFile() {
  if (data_ != nullptr) UnmapViewOfFile(data_);
}

}  // namespace tessory
