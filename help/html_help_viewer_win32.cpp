#include "help/html_help_viewer_win32.h"

#include "framework/application_win32.h"
#include "framework/utf8.h"
#include "help/help_texts.h"
#include "help/html_help_api_win32.h"

namespace tessory {
namespace {

bool IsExistingFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::string TSPHelpViewer::ViewerName() {
  return kHtmlHelpViewerName;
}

int TSPHelpViewer::KeywordMatches(const std::string&) {
  return 1;
}

std::vector<std::string> TSPHelpViewer::KeywordChoices(const std::string& keyword) {
  return {HelpKeywordLine(keyword)};
}

std::string TSPHelpViewer::ResolveHelpFile(const std::string& file) const {
  std::string name = file;
  if (name.empty() && manager_) name = manager_->CurrentHelpFile();
  if (name.empty()) name = Application::Instance().HelpFile();
  return !name.empty() && IsExistingFile(name) ? name : std::string();
}

void TSPHelpViewer::Show(const std::string& file, UINT command, DWORD_PTR data) {
  const std::string resolved = ResolveHelpFile(file);
  if (resolved.empty()) return;
  CallHtmlHelp(manager_ ? manager_->HelpOwner() : nullptr, resolved, command, data);
}

void TSPHelpViewer::ShowContents() {
  Show({}, kHhDisplayToc, 0);
}

void TSPHelpViewer::ShowKeyword(const std::string& keyword) {
  const std::wstring text = Widen(keyword);
  Show({}, kHhDisplayIndex, reinterpret_cast<DWORD_PTR>(text.c_str()));
}

void TSPHelpViewer::ShowContext(int context, const std::string& file) {
  Show(file, kHhHelpContext, static_cast<DWORD_PTR>(context));
}

void TSPHelpViewer::ShowTopic(const std::string& topic) {
  const std::string resolved = ResolveHelpFile({});
  if (resolved.empty()) return;
  CallHtmlHelp(manager_ ? manager_->HelpOwner() : nullptr, HelpTopicAddress(resolved, topic), kHhDisplayTopic, 0);
}

void TSPHelpViewer::CloseHelpWindows() {
  CallHtmlHelp(nullptr, {}, kHhCloseAll, 0);
}

void TSPHelpViewer::Detach() {
  CloseHelpWindows();
  manager_ = nullptr;
  tessory::HelpManager::Instance().WinHelp().SetTester(nullptr);
}

int TSPHelpSelector::ViewerLine() const {
  const std::shared_ptr<TSPHelpViewer> viewer = viewer_.lock();
  return viewer ? viewer->ViewerId() - 1 : -1;
}

int TSPHelpSelector::PickKeyword(const std::vector<std::string>&) {
  return ViewerLine();
}

int TSPHelpSelector::PickContents(const std::vector<std::string>&) {
  return ViewerLine();
}

HtmlHelpSession::HtmlHelpSession(const wchar_t* library, HtmlHelpFunction standIn) {
  try {
    Start(library, standIn);
  } catch (...) {
    // Help is an extra: the program starts without it.
    End();
  }
}

HtmlHelpSession::~HtmlHelpSession() {
  End();
}

void HtmlHelpSession::Start(const wchar_t* library, HtmlHelpFunction standIn) {
  control_.emplace(library, standIn);
  if (!control_->Loaded()) {
    control_.reset();
    return;
  }
  viewer_ = std::make_shared<TSPHelpViewer>();
  selector_ = std::make_shared<TSPHelpSelector>(viewer_);
  tester_ = std::make_shared<TSPHelpTester>();
  HelpManager& manager = HelpManager::Instance();
  viewer_->SetHelpManager(&manager.RegisterViewer(viewer_));
  manager.WinHelp().SetTester(tester_);
  Application::HelpSystem().AssignHelpSelector(selector_);
}

void HtmlHelpSession::End() noexcept {
  HelpManager& manager = HelpManager::Instance();
  if (viewer_ && viewer_->HelpManager()) {
    viewer_->CloseHelpWindows();
    manager.Release(viewer_->ViewerId());
    viewer_->SetHelpManager(nullptr);
  }
  // Nothing of the viewer stays registered once the control is unloaded.
  if (tester_ && manager.WinHelp().Tester() == tester_) manager.WinHelp().SetTester(nullptr);
  if (selector_ && manager.Selector() == selector_) manager.AssignHelpSelector(nullptr);
  tester_.reset();
  selector_.reset();
  viewer_.reset();
  control_.reset();
}

}  // namespace tessory
