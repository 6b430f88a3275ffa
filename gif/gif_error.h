// The GIF unit's own failures.
#pragma once

#include "framework/error.h"

namespace tessory {

// Raised with one of the GIF unit's message texts, e.g. "Color not in color
// table" or "Unsupported GIF version".
class GIFException : public Error {
  using Error::Error;
};

}  // namespace tessory
