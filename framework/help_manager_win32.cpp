#include "framework/help_manager_win32.h"

#include <algorithm>
#include <cctype>

#include "framework/utf8.h"

namespace tessory {
namespace {

bool IsWinHelpFile(const std::string& file) {
  if (file.size() < 4) return false;
  std::string extension = file.substr(file.size() - 4);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".hlp";
}

}  // namespace

std::string WinHelpViewer::FileFor(const std::string& file) const {
  if (!file.empty() || !manager_) return file;
  return manager_->CurrentHelpFile();
}

void WinHelpViewer::Call(const std::string& file, UINT command, ULONG_PTR data) {
  WinHelpW(manager_ ? manager_->HelpOwner() : nullptr, Widen(file).c_str(), command, data);
}

// Without a tester the viewer takes what is meant for a WinHelp file.
int WinHelpViewer::KeywordMatches(const std::string& keyword) {
  const std::string file = FileFor({});
  if (tester_) return tester_->LinkShowable(keyword, file) ? 1 : 0;
  return IsWinHelpFile(file) ? 1 : 0;
}

std::vector<std::string> WinHelpViewer::KeywordChoices(const std::string& keyword) {
  if (tester_) return tester_->LinkChoices(keyword);
  return {ViewerName() + ": " + keyword};
}

bool WinHelpViewer::HasContents() {
  return !tester_ && IsWinHelpFile(FileFor({}));
}

void WinHelpViewer::ShowContents() {
  Call(FileFor({}), HELP_FINDER, 0);
}

void WinHelpViewer::ShowKeyword(const std::string& keyword) {
  const std::wstring text = Widen(keyword);
  Call(FileFor({}), HELP_KEY, reinterpret_cast<ULONG_PTR>(text.c_str()));
}

void WinHelpViewer::CloseHelpWindows() {
  if (IsWinHelpFile(FileFor({}))) Call(FileFor({}), HELP_QUIT, 0);
}

bool WinHelpViewer::AcceptsTopic(const std::string& topic) {
  const std::string file = FileFor({});
  return tester_ ? tester_->TopicShowable(topic, file) : IsWinHelpFile(file);
}

void WinHelpViewer::ShowTopic(const std::string& topic) {
  ShowKeyword(topic);
}

bool WinHelpViewer::AcceptsContext(int context, const std::string& file) {
  const std::string name = FileFor(file);
  return tester_ ? tester_->ContextShowable(context, name) : IsWinHelpFile(name);
}

void WinHelpViewer::ShowContext(int context, const std::string& file) {
  Call(FileFor(file), HELP_CONTEXT, static_cast<ULONG_PTR>(context));
}

HelpManager& HelpManager::Instance() {
  static HelpManager manager;
  return manager;
}

HelpManager::HelpManager() : winHelp_(std::make_shared<WinHelpViewer>(*this)) {
  RegisterViewer(winHelp_);
}

IHelpManager& HelpManager::RegisterViewer(std::shared_ptr<ICustomHelpViewer> viewer) {
  const int id = nextId_++;
  viewer->TakeViewerId(id);
  viewers_.push_back({id, std::move(viewer)});
  return *this;
}

void HelpManager::Release(int viewerId) {
  std::erase_if(viewers_, [viewerId](const Registration& entry) { return entry.id == viewerId; });
}

void HelpManager::NoteFile(const std::string& file) {
  if (!file.empty()) helpFile_ = file;
}

bool HelpManager::ShowContextHelp(int context, const std::string& file) {
  NoteFile(file);
  for (const Registration& entry : Viewers()) {
    auto* viewer = dynamic_cast<IExtendedHelpViewer*>(entry.viewer.get());
    if (viewer && viewer->AcceptsContext(context, file)) {
      viewer->ShowContext(context, file);
      return true;
    }
  }
  return false;
}

bool HelpManager::ShowTopicHelp(const std::string& topic, const std::string& file) {
  NoteFile(file);
  for (const Registration& entry : Viewers()) {
    auto* viewer = dynamic_cast<IExtendedHelpViewer*>(entry.viewer.get());
    if (viewer && viewer->AcceptsTopic(topic)) {
      viewer->ShowTopic(topic);
      return true;
    }
  }
  return false;
}

// The selector's index, or the first line when there is no selector or
// its answer names no line.
int HelpManager::Pick(bool keyword, const std::vector<std::string>& lines) const {
  if (lines.size() < 2 || !selector_) return 0;
  const int index = keyword ? selector_->PickKeyword(lines) : selector_->PickContents(lines);
  return index >= 0 && static_cast<std::size_t>(index) < lines.size() ? index : 0;
}

bool HelpManager::ShowKeywordHelp(const std::string& keyword, const std::string& file) {
  NoteFile(file);
  std::vector<std::string> lines;
  std::vector<ICustomHelpViewer*> owners;
  const std::vector<Registration> viewers = Viewers();
  for (const Registration& entry : viewers) {
    if (entry.viewer->KeywordMatches(keyword) <= 0) continue;
    for (std::string& line : entry.viewer->KeywordChoices(keyword)) {
      lines.push_back(std::move(line));
      owners.push_back(entry.viewer.get());
    }
  }
  if (lines.empty()) return false;
  owners[Pick(true, lines)]->ShowKeyword(keyword);
  return true;
}

bool HelpManager::ShowTableOfContents() {
  std::vector<std::string> names;
  std::vector<ICustomHelpViewer*> owners;
  const std::vector<Registration> viewers = Viewers();
  for (const Registration& entry : viewers) {
    if (!entry.viewer->HasContents()) continue;
    names.push_back(entry.viewer->ViewerName());
    owners.push_back(entry.viewer.get());
  }
  if (names.empty()) return false;
  owners[Pick(false, names)]->ShowContents();
  return true;
}

}  // namespace tessory
