#include "delivery/image_type_form_win32.h"

namespace tessory {

TImageTypeForm::TImageTypeForm(HWND owner) {
  Frame frame;
  frame.caption = "Save Image Format";
  // A fixed dialog frame without any caption-bar buttons.
  frame.style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;
  frame.exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
  frame.clientWidth = 243;
  frame.clientHeight = 107;
  frame.centreOnScreen = true;
  CreateFrame(frame, owner);

  // Creation order is the tab order: OK, Cancel, then the radio group.
  AddControl(L"BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 166, 9, 70, 24, kOKBtn);
  AddControl(L"BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 166, 39, 70, 24, kCancelBtn);
  AddControl(L"BUTTON", "Image Type", WS_VISIBLE | BS_GROUPBOX, 7, 3, 150, 100, kImgTypeGroup);
  for (int i = 0; i < 4; ++i) {
    const DWORD first = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
    AddControl(L"BUTTON", std::string(kFileFormats[i].promptLabel), WS_VISIBLE | BS_AUTORADIOBUTTON | first, 17, 20 + 20 * i, 130, 18,
               kImgTypeFirst + i);
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
