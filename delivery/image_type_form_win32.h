// The image-format prompt: asks for the file format of one capture.
#pragma once

#include <optional>

#include "settings/settings.h"
#include "framework/form_win32.h"

namespace tessory {

class TImageTypeForm final : public Form {
 public:
  // Control ids.
  enum : int { kOKBtn = IDOK, kCancelBtn = IDCANCEL, kImgTypeGroup = 100, kImgTypeFirst = 101 };

  // Creates the dialog (hidden), owned by `owner`.
  explicit TImageTypeForm(HWND owner);

  // Shows the prompt modally: the chosen file format after OK, none after
  // Cancel, Escape or any other way of closing it.
  std::optional<ImageKind> Ask();

  // The selected item of the radio group, 0 to 3 (the image type's number).
  int ImgTypeIndex() const;
  void SetImgTypeIndex(int index);

 protected:
  void FormShow() override { SetFocus(Control(kOKBtn)); }
};

}  // namespace tessory
