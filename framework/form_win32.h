// Forms: top-level windows with named child controls laid out in pixels at
// 96 DPI and scaled to the window's DPI. One noexcept trampoline forwards
// every message to the form object's HandleMessage; an exception that a
// handler raises stops there and is shown in the application's error box.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "framework/dpi_win32.h"
#include "framework/handles_win32.h"

namespace tessory {

// Modal results.
inline constexpr int kModalNone = 0;
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;

struct FontSpec {
  const wchar_t* face = L"MS Sans Serif";
  int pixelHeight = 11;  // character height at 96 DPI
  bool underline = false;
  bool bold = false;
};

// A place and size in pixels at 96 DPI.
struct DesignBounds {
  int x = 0, y = 0, width = 0, height = 0;
};

// One child control as designed, for Form::AddControl:
//   AddControl({.windowClass = L"BUTTON", .text = "OK", .style = WS_VISIBLE | BS_PUSHBUTTON,
//               .bounds = {166, 9, 70, 24}, .id = kOKBtn});
struct ControlSpec {
  const wchar_t* windowClass = nullptr;
  std::string_view text = {};
  DWORD style = 0;  // WS_CHILD is always added
  DesignBounds bounds = {};
  int id = 0;
  const FontSpec* font = nullptr;  // null: the form's font
  DWORD exStyle = 0;
};

class Form {
 public:
  static void RegisterWindowClass(HINSTANCE instance);
  // The form that owns `window`, or null for any other window.
  static Form* FromHandle(HWND window);
  // Whether `window`, of this process or another, is of the forms' class.
  static bool IsFormWindow(HWND window);

  Form() = default;
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  HWND Handle() const { return window_; }
  // The text of the control of `id`.
  std::string ControlText(int id) const;
  // Shows the form modally (the thread's other windows disabled meanwhile)
  // until a modal result is set; returns it. The form stays created.
  int ShowModal();
  void SetModalResult(int result) { modalResult_ = result; }
  int ModalResult() const { return modalResult_; }

  int Dpi() const { return dpi_; }
  // `pixels` at 96 DPI, in the window's DPI.
  int Scale(int pixels) const { return ScaleToDpi(pixels, dpi_); }
  // Client size at 96 DPI, made physical for the current DPI; wider by
  // what fitting the captions added (FitCaptions).
  void SetClientSize(int width, int height);

  // The help context F1 asks the help manager for (0: none).
  void SetHelpContext(int context) { helpContext_ = context; }
  // The form's handler of the help commands the application routes to the
  // form (Application::HelpCommand), F1 among them. Clearing `callHelp`
  // stops the further dispatch to the help system. True when the form
  // answered.
  virtual bool FormHelp(UINT command, ULONG_PTR data, bool& callHelp);

 protected:
  struct Frame {
    std::string caption;
    DWORD style = WS_CAPTION | WS_SYSMENU;
    DWORD exStyle = 0;
    int clientWidth = 100, clientHeight = 100;  // at 96 DPI
    bool centreOnScreen = false;
    FontSpec font;
  };
  enum class CaptionButtons { SystemMenu, None };
  // The frame of a modal dialog: a fixed dialog border, a caption with the
  // system menu or with no buttons at all, centred on the screen, in the
  // form's standard font.
  static Frame DialogFrame(std::string caption, int clientWidth, int clientHeight,
                           CaptionButtons buttons = CaptionButtons::SystemMenu);
  // Creates the window (hidden) owned by `owner`, at the window system's
  // default place unless centred.
  void CreateFrame(const Frame& frame, HWND owner);
  // Creates the control `wanted` describes; throws when the system cannot.
  HWND AddControl(const ControlSpec& wanted);
  // The controls of `rows` in order (creation order is the focus order),
  // each moved by `origin`: for controls given relative to their container.
  void AddControls(std::span<const ControlSpec> rows, POINT origin = {0, 0});
  // The control of `id` (null if none).
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  // The id of the button that Enter presses.
  void SetDefaultButton(int id) { defaultButton_ = id; }
  // Moves a control made by AddControl to new bounds.
  void SetControlBounds(HWND control, const DesignBounds& bounds);
  // Makes room for captions whose text, in the font the window really got
  // at its DPI, is wider than their place: the captions of `captions` are
  // widened (never narrowed) by the widest shortfall among them, so that a
  // column of captions stays a column; `partners` move right by as much,
  // and `yielding` controls give the room up from their left edge instead.
  // The client area grows by what the layout gained on the right. Kept and
  // applied again whenever the DPI changes.
  void FitCaptions(std::vector<int> captions, std::vector<int> partners = {}, std::vector<int> yielding = {});
  // A container (group box, panel) whose contents reach past its right
  // edge after the captions were fitted grows to hold them again, keeping
  // its inner margin; `partners` move right by as much.
  void FitContainer(int container, std::vector<int> partners = {});
  // One row that keeps its designed distance from the layout's right edge
  // when fitting widened the layout: `stretched` controls grow and `moved`
  // controls move by the same amount, which brings the row's rightmost
  // edge to its place. Full-width panels and rows stay flush, and buttons
  // stay in the corner.
  void KeepAtRightEdge(std::vector<int> stretched, std::vector<int> moved);
  // F1 (WM_HELP): the application's help command for the help context,
  // which reaches FormHelp first and then the help system; when neither
  // answers the user is told that help is unavailable.
  void ContextHelpRequested();

  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  virtual void OnCommand(int id, int notification, HWND control);
  // Asked before the window closes; the default lets it close (for a modal
  // form: with modal result 2, cancel).
  virtual void FormClose() {}
  // Runs each time ShowModal has shown the form.
  virtual void FormShow() {}
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  struct Layout {
    HWND control;
    int x, y, width, height;          // as designed
    int fontIndex;                    // into fonts_, -1 for the form's font
    int fitShift = 0, fitGrowth = 0;  // what fitting the captions added
  };
  struct FitRule {
    bool container;  // FitContainer, else FitCaptions
    std::vector<int> controls, partners, yielding;
  };
  struct RightEdgeRule {
    std::vector<int> stretched, moved;
  };
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  HFONT FontFor(const FontSpec& style);
  void ApplyDpi(int dpi);
  Layout* LayoutOf(int id);
  int CaptionShortfall(const Layout& item) const;
  void ShiftPartners(const std::vector<int>& partners, int pixels);
  void ApplyFitRule(const FitRule& rule);
  void FitLayout();
  void PlaceControl(const Layout& item);
  void CloseRequested();

  HWND window_ = nullptr;
  int dpi_ = kDesignDpi;
  int clientWidth_ = 0, clientHeight_ = 0;
  int modalResult_ = kModalNone;
  bool inModalLoop_ = false;
  int defaultButton_ = IDOK;
  int helpContext_ = 0;
  FontSpec formFont_;
  std::vector<FontSpec> fontSpecs_;
  std::vector<UniqueHfont> fonts_;  // fonts_[0] is the form's, then fontSpecs_ in order
  std::vector<Layout> layout_;
  std::vector<FitRule> fitRules_;
  std::vector<RightEdgeRule> rightEdgeRules_;
  int fitWidening_ = 0;  // client width that fitting added, at 96 DPI
};

// The window's DPI (96 where the system cannot tell).
int WindowDpi(HWND window);

}  // namespace tessory
