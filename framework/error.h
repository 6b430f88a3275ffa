// Errors: every failure the program reports travels as one of these
// exceptions, carrying the text the user sees in the error box.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace tessory {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A value or an image could not be converted.
class EConvertError : public Error {
  using Error::Error;
};

// Memory for a working buffer could not be had.
class EOutOfMemory : public Error {
  using Error::Error;
};

// The graphics system could not supply a bitmap or a palette.
class EOutOfResources : public Error {
  using Error::Error;
};

// A file could not be created: "Cannot create file <path>".
class EFCreateError : public Error {
  using Error::Error;
};

// A write stored fewer bytes than asked: "Stream write error".
class EWriteError : public Error {
  using Error::Error;
};

// A registry value could not be read or written.
class ERegistryException : public Error {
  using Error::Error;
};

// What a failed allocation, or a size past what the system or a format can
// hold, says to the user, wherever it happened.
inline constexpr char kOutOfResourcesText[] = "Out of system resources";

// The text the user is shown for `error`: its own message, and for a
// failed allocation of the standard library (std::bad_alloc) the program's
// out-of-memory text rather than the library's "std::bad_alloc". Every
// place that shows an error to the user goes through here.
std::string UserMessage(const std::exception& error);

// Replaces the first "%s" or "%d" of `pattern` with `argument`, as the
// message texts of the program are written with one placeholder each.
std::string FormatText(std::string_view pattern, std::string_view argument);

}  // namespace tessory
