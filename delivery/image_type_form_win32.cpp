#include "delivery/image_type_form_win32.h"

namespace tessory {

TImageTypeForm::TImageTypeForm(HWND owner) {
  Frame frame = DialogFrame("Save Image Format", 243, 107, CaptionButtons::None);
  frame.style |= WS_CLIPCHILDREN;
  CreateFrame(frame, owner);

  // Creation order is the tab order: OK, Cancel, then the radio group.
  AddControl({.windowClass = L"BUTTON",
              .text = "OK",
              .style = WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
              .bounds = {166, 9, 70, 24},
              .id = kOKBtn});
  AddControl({.windowClass = L"BUTTON",
              .text = "Cancel",
              .style = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
              .bounds = {166, 39, 70, 24},
              .id = kCancelBtn});
  AddControl({.windowClass = L"BUTTON",
              .text = "Image Type",
              .style = WS_VISIBLE | BS_GROUPBOX,
              .bounds = {7, 3, 150, 100},
              .id = kImgTypeGroup});
  for (int i = 0; i < 4; ++i) {
    const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
    AddControl({.windowClass = L"BUTTON",
                .text = kFileFormats[i].promptLabel,
                .style = WS_VISIBLE | BS_AUTORADIOBUTTON | first,
                .bounds = {17, 20 + 20 * i, 130, 18},
                .id = kImgTypeFirst + i});
  }
  // Captions cut off by a font wider than the designed one take the room
  // they need; the buttons beside the group move along.
  FitCaptions({kImgTypeFirst, kImgTypeFirst + 1, kImgTypeFirst + 2, kImgTypeFirst + 3});
  FitContainer(kImgTypeGroup, {kOKBtn, kCancelBtn});
  FitCaptions({kOKBtn, kCancelBtn});
  SetImgTypeIndex(0);
  SetDefaultButton(kOKBtn);
}

int TImageTypeForm::ImgTypeIndex() const {
  for (int i = 0; i < 4; ++i) {
    if (SendMessageW(Control(kImgTypeFirst + i), BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
  }
  return 0;
}

void TImageTypeForm::SetImgTypeIndex(int index) {
  CheckRadioButton(Handle(), kImgTypeFirst, kImgTypeFirst + 3, kImgTypeFirst + index);
}

std::optional<ImageKind> TImageTypeForm::Ask() {
  if (ShowModal() != kModalOk) return std::nullopt;
  return AsImageKind(ImgTypeIndex());
}

}  // namespace tessory
