// Forms built from control descriptions and the modal dialog frame, through
// a bare form of the test's own.
#include <windows.h>
// gtest after the Windows header, as in the other Windows tests.
#include <gtest/gtest.h>

#include "framework/application_win32.h"
#include "framework/error.h"
#include "framework/form_win32.h"

namespace tessory {
namespace {

class BareForm : public Form {
 public:
  using Form::AddControl;
  using Form::AddControls;
  using Form::CaptionButtons;
  using Form::CreateFrame;
  using Form::DialogFrame;
};

RECT BoundsIn(HWND form, HWND control) {
  RECT bounds;
  GetWindowRect(control, &bounds);
  MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

class FormTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application::Instance().Initialize(GetModuleHandleW(nullptr)); }
};

TEST_F(FormTest, DialogFrameIsCentredOnTheScreenWithItsClientSize) {
  BareForm form;
  form.CreateFrame(BareForm::DialogFrame("Dialog", 200, 120), Application::Instance().Handle());
  RECT client, outer;
  GetClientRect(form.Handle(), &client);
  GetWindowRect(form.Handle(), &outer);
  EXPECT_EQ(client.right, form.Scale(200));
  EXPECT_EQ(client.bottom, form.Scale(120));
  EXPECT_NEAR(outer.left + outer.right, GetSystemMetrics(SM_CXSCREEN), 1);
  EXPECT_NEAR(outer.top + outer.bottom, GetSystemMetrics(SM_CYSCREEN), 1);
  EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  EXPECT_TRUE(GetWindowLongPtrW(form.Handle(), GWL_STYLE) & WS_SYSMENU);
}

TEST_F(FormTest, DialogFrameWithoutCaptionButtonsHasNoSystemMenu) {
  BareForm form;
  form.CreateFrame(BareForm::DialogFrame("Dialog", 200, 120, BareForm::CaptionButtons::None), nullptr);
  EXPECT_FALSE(GetWindowLongPtrW(form.Handle(), GWL_STYLE) & WS_SYSMENU);
}

TEST_F(FormTest, ControlsGivenInsideAContainerArePlacedFromItsOrigin) {
  BareForm form;
  form.CreateFrame(BareForm::DialogFrame("Dialog", 200, 120), nullptr);
  const ControlSpec inside[] = {
      {.windowClass = L"BUTTON", .text = "Group", .style = WS_VISIBLE | BS_GROUPBOX, .bounds = {0, 0, 150, 90}, .id = 1},
      {.windowClass = L"STATIC", .text = "Label", .style = WS_VISIBLE, .bounds = {12, 25, 60, 17}, .id = 2}};
  form.AddControls(inside, {30, 20});
  const RECT label = BoundsIn(form.Handle(), GetDlgItem(form.Handle(), 2));
  EXPECT_EQ(label.left, form.Scale(42));
  EXPECT_EQ(label.top, form.Scale(45));
  EXPECT_EQ(label.right, form.Scale(102));
  EXPECT_EQ(label.bottom, form.Scale(62));
}

TEST_F(FormTest, AControlTheSystemCannotCreateIsAnErrorAndTheFormTakesFurtherControls) {
  BareForm form;
  form.CreateFrame(BareForm::DialogFrame("Dialog", 200, 120), nullptr);
  EXPECT_THROW(form.AddControl({.windowClass = L"NoSuchControlClass", .bounds = {0, 0, 10, 10}, .id = 1}), Error);
  HWND label = form.AddControl({.windowClass = L"STATIC", .text = "Label", .bounds = {5, 5, 40, 17}, .id = 2});
  EXPECT_EQ(GetWindow(form.Handle(), GW_CHILD), label);
}

}  // namespace
}  // namespace tessory
