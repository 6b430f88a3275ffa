// An exception raised inside a callback that the system calls (a window
// enumeration, say) must not unwind through the system's frames. The
// callback runs its work through Guard, which keeps the exception; the
// caller raises it again once the system call has returned.
#pragma once

#include <exception>

namespace tessory {

class CallbackFailure {
 public:
  // Runs `work`; false, with its exception kept, when it throws.
  template <typename Work>
  bool Guard(Work&& work) noexcept {
    try {
      work();
      return true;
    } catch (...) {
      failure_ = std::current_exception();
      return false;
    }
  }

  explicit operator bool() const noexcept { return static_cast<bool>(failure_); }

  // Raises the kept exception, if there is one.
  void Rethrow() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::exception_ptr failure_;
};

}  // namespace tessory
