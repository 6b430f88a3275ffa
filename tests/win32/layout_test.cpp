// The three windows' layouts at the DPI the Wine prefix is set to
// ($TESSORY_EXPECT_DPI, run at 96, 120 and 144 by dpi_layout_test.sh): every
// caption's text, measured in the font its control really has, fits the
// control, no text or control runs into another, and everything lies
// inside the client area.
#include <windows.h>
// gtest after the Windows header, as in the other Windows tests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "delivery/image_type_form_win32.h"
#include "app/main_form_win32.h"
#include "settings/registry_store_win32.h"
#include "settings/settings.h"
#include "framework/application_win32.h"
#include "framework/handles_win32.h"
#include "framework/utf8.h"
#include "options/more_options_form_win32.h"
#include "options/options_form_win32.h"

namespace tessory {
namespace {

struct Child {
  HWND window;
  std::wstring className, text;
  RECT bounds;   // in the form's client coordinates
  RECT content;  // what it draws: the text of a label, else its whole rectangle
};

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

SIZE TextExtent(HWND control, const std::wstring& text) {
  WindowDc dc(control, GetDC(control));
  SelectedObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE extent{};
  GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
  return extent;
}

LONG Style(HWND window) {
  return static_cast<LONG>(GetWindowLongPtrW(window, GWL_STYLE));
}

bool IsCheckOrRadio(const Child& child) {
  if (lstrcmpiW(child.className.c_str(), L"Button") != 0) return false;
  switch (Style(child.window) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return true;
  }
  return false;
}

bool IsGroupBox(const Child& child) {
  return lstrcmpiW(child.className.c_str(), L"Button") == 0 && (Style(child.window) & BS_TYPEMASK) == BS_GROUPBOX;
}

std::vector<Child> ChildrenOf(HWND form) {
  std::vector<Child> children;
  for (HWND window = GetWindow(form, GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (!(Style(window) & WS_VISIBLE)) continue;  // the form itself may be hidden
    Child child{window, {}, TextOf(window), {}, {}};
    wchar_t name[64];
    GetClassNameW(window, name, 64);
    child.className = name;
    GetWindowRect(window, &child.bounds);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&child.bounds), 2);
    child.content = child.bounds;
    // A picture shows no text; its text is its name for screen readers.
    const LONG kind = Style(window) & SS_TYPEMASK;
    if (lstrcmpiW(name, L"Static") == 0 && (kind == SS_BITMAP || kind == SS_ICON)) child.text.clear();
    if (lstrcmpiW(name, L"Static") == 0 && !child.text.empty()) {
      const LONG width = TextExtent(window, child.text).cx;
      const LONG align = Style(window) & SS_TYPEMASK;
      if (align == SS_RIGHT)
        child.content.left = child.bounds.right - width;
      else if (align == SS_CENTER)
        child.content.left = (child.bounds.left + child.bounds.right - width) / 2;
      child.content.right = child.content.left + width;
    }
    children.push_back(child);
  }
  return children;
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

void ExpectReadable(HWND form, const char* name) {
  SCOPED_TRACE(name);
  const char* expected = std::getenv("TESSORY_EXPECT_DPI");
  ASSERT_NE(expected, nullptr) << "run by dpi_layout_test.sh, which sets the prefix's DPI";
  const int dpi = std::atoi(expected);
  ASSERT_EQ(WindowDpi(form), dpi) << "the prefix's LogPixels did not take";
  RECT client;
  GetClientRect(form, &client);
  const std::vector<Child> children = ChildrenOf(form);
  ASSERT_FALSE(children.empty());
  for (const Child& child : children) {
    const std::string text = Narrow(child.text);
    EXPECT_TRUE(Inside(child.bounds, client)) << text << " lies outside the client area";
    if (child.text.empty() || IsGroupBox(child)) continue;
    // A check box or radio button also holds its box, 13 pixels at the design DPI.
    const LONG box = IsCheckOrRadio(child) ? ScaleToDpi(13, dpi) : 0;
    EXPECT_LE(TextExtent(child.window, child.text).cx + box, child.bounds.right - child.bounds.left)
        << '"' << text << "\" is cut off";
  }
  for (std::size_t i = 0; i < children.size(); ++i) {
    for (std::size_t j = i + 1; j < children.size(); ++j) {
      const Child &a = children[i], &b = children[j];
      // A group box or panel holds what lies inside it.
      if (Inside(a.bounds, b.bounds) || Inside(b.bounds, a.bounds)) continue;
      RECT overlap;
      EXPECT_FALSE(IntersectRect(&overlap, &a.content, &b.content))
          << '"' << Narrow(a.text) << "\" (" << Narrow(a.className) << ") runs into \"" << Narrow(b.text) << "\" ("
          << Narrow(b.className) << ")";
    }
  }
}

class LayoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application::Instance().Initialize(GetModuleHandleW(nullptr)); }
};

TEST_F(LayoutTest, OptionsDialogCaptionsFitWithoutOverlap) {
  CaptureSettings settings;
  TOptionsForm form(settings);
  form.FormShow();
  ExpectReadable(form.Handle(), "options dialog");
}

TEST_F(LayoutTest, MoreOptionsDialogCaptionsFitWithoutOverlap) {
  CaptureSettings settings;
  TMoreOptionsForm form(settings, Application::Instance().Handle());
  form.FormShow();
  ExpectReadable(form.Handle(), "more options dialog");
}

TEST_F(LayoutTest, FormatPromptCaptionsFitWithoutOverlap) {
  TImageTypeForm form(Application::Instance().Handle());
  ExpectReadable(form.Handle(), "format prompt");
}

TEST_F(LayoutTest, MainWindowCaptionsFitWithoutOverlap) {
  const std::string key = "\\Software\\Tessory Tests\\Layout";
  Win32RegistryStore store(HKEY_CURRENT_USER, key);
  TMainForm main(store);
  ExpectReadable(main.Handle(), "main window");
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  RegDeleteTreeW(HKEY_CURRENT_USER, Widen(key.substr(1)).c_str());
}

}  // namespace
}  // namespace tessory
