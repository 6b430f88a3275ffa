// What a capture knows of the window it took, read before the grab.
#pragma once

#include <string>

namespace tessory {

// The local time of a capture.
struct CaptureTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// What the captured window tells about itself; empty texts where it could
// not be read.
struct CapturedWindow {
  std::string title;    // the window's title
  std::string process;  // its program's file name without extension ("notepad")
  CaptureTime time;
};

}  // namespace tessory
