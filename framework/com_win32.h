// COM on the user-interface thread, owners for its interface pointers, and
// the shell's item lists that COM's task allocator owns.
#pragma once

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include "framework/handles_win32.h"

namespace tessory {

// An item list handed out by the shell, freed with CoTaskMemFree.
using UniquePidl = UniqueHandle<NullHandleTraits<LPITEMIDLIST, ::CoTaskMemFree>>;

template <typename Interface>
struct ComReleaseTraits {
  using Handle = Interface*;
  static constexpr Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle handle) noexcept { handle->Release(); }
};

// A COM interface pointer holding one reference, released once.
template <typename Interface>
using UniqueComPtr = UniqueHandle<ComReleaseTraits<Interface>>;

// Initialises COM apartment-threaded for the life of the object and
// uninitialises it at the end only when the initialisation succeeded.
class ComInit {
 public:
  ComInit() noexcept : succeeded_(SUCCEEDED(CoInitialize(nullptr))) {}
  ~ComInit() {
    if (succeeded_) CoUninitialize();
  }
  ComInit(const ComInit&) = delete;
  ComInit& operator=(const ComInit&) = delete;

 private:
  bool succeeded_;
};

}  // namespace tessory
