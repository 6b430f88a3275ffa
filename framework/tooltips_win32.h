// A form's hints: one tooltip control that shows the hint of the tool
// under the pointer, whether or not the form is active.
#pragma once

#include <windows.h>

#include <string>

namespace tessory {

class Tooltips {
 public:
  // Creates the tooltip control, an owned window of `owner` that goes
  // with it. Until then every call does nothing.
  void Create(HWND owner);
  // A hint over `area`, in client pixels of the owner, known by `id`.
  void AddArea(UINT_PTR id, const RECT& area, const std::string& text);
  // A hint over the child window `control`.
  void AddControl(HWND control, const std::string& text);
  void SetAreaText(UINT_PTR id, const std::string& text);
  void SetControlText(HWND control, const std::string& text);
  // Hints shown again (true) or held back (false).
  void Activate(bool active);

 private:
  // Sends `message` with the tool `id` of the owner (`area` for the tools
  // that cover a part of its client area).
  void Send(UINT message, UINT_PTR id, UINT flags, const std::string& text, const RECT& area = {}) const;

  HWND owner_ = nullptr;
  HWND window_ = nullptr;  // the owner's, destroyed with it
};

}  // namespace tessory
