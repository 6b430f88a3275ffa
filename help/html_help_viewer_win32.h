// The HTML Help viewer of the help manager: the help manager's F1, topic,
// keyword and contents requests are shown by the HTML Help control. The
// framework's WinHelp viewer, asked first, is made to decline everything by
// a tester; a selector answers the manager when it has to choose a line.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "framework/handles_win32.h"
#include "framework/help_manager_win32.h"
#include "help/html_help_api_win32.h"

namespace tessory {

class TSPHelpViewer final : public IExtendedHelpViewer {
 public:
  std::string ViewerName() override;
  int KeywordMatches(const std::string& keyword) override;
  std::vector<std::string> KeywordChoices(const std::string& keyword) override;
  bool HasContents() override { return true; }
  void ShowContents() override;
  void ShowKeyword(const std::string& keyword) override;
  void TakeViewerId(int id) override { viewerId_ = id; }
  void CloseHelpWindows() override;
  void Detach() override;
  bool AcceptsTopic(const std::string&) override { return true; }
  void ShowTopic(const std::string& topic) override;
  bool AcceptsContext(int, const std::string&) override { return true; }
  void ShowContext(int context, const std::string& file) override;

  // The help file a request shows: `file`, or when that is empty the
  // manager's current file, or then the application's. Empty when no file
  // of that name exists.
  std::string ResolveHelpFile(const std::string& file) const;

  int ViewerId() const { return viewerId_; }
  IHelpManager* HelpManager() const { return manager_; }
  void SetHelpManager(IHelpManager* manager) { manager_ = manager; }

 private:
  // Resolves the file and, when there is one, calls the control.
  void Show(const std::string& file, UINT command, DWORD_PTR data);

  int viewerId_ = 0;
  IHelpManager* manager_ = nullptr;
};

// Makes the framework's WinHelp viewer decline every request.
class TSPHelpTester final : public IWinHelpTester {
 public:
  bool LinkShowable(const std::string&, const std::string&) override { return false; }
  bool TopicShowable(const std::string&, const std::string&) override { return false; }
  bool ContextShowable(int, const std::string&) override { return false; }
  std::vector<std::string> LinkChoices(const std::string&) override { return {}; }
  std::string TesterHelpPath() override { return {}; }
  std::string TesterDefaultFile() override { return {}; }
};

// Chooses the line of the HTML Help viewer.
class TSPHelpSelector final : public IHelpSelector {
 public:
  explicit TSPHelpSelector(std::weak_ptr<TSPHelpViewer> viewer) : viewer_(std::move(viewer)) {}
  int PickKeyword(const std::vector<std::string>& lines) override;
  int PickContents(const std::vector<std::string>& lines) override;

 private:
  int ViewerLine() const;
  std::weak_ptr<TSPHelpViewer> viewer_;
};

// The viewer's life in the program: the start loads the control and
// registers the viewer; the end closes every help window, releases the
// registration and unloads the control. A missing control, or one without
// its entry point, leaves the program without the viewer; nothing is
// reported. With `standIn`, the loaded control's calls go to it instead.
class HtmlHelpSession {
 public:
  explicit HtmlHelpSession(const wchar_t* library = kHtmlHelpLibrary, HtmlHelpFunction standIn = nullptr);
  ~HtmlHelpSession();
  HtmlHelpSession(const HtmlHelpSession&) = delete;
  HtmlHelpSession& operator=(const HtmlHelpSession&) = delete;

  bool Loaded() const { return control_.has_value(); }
  const std::shared_ptr<TSPHelpViewer>& Viewer() const { return viewer_; }

 private:
  void Start(const wchar_t* library, HtmlHelpFunction standIn);
  void End() noexcept;

  std::optional<HtmlHelpControl> control_;
  std::shared_ptr<TSPHelpViewer> viewer_;
  std::shared_ptr<TSPHelpTester> tester_;
  std::shared_ptr<TSPHelpSelector> selector_;
};

}  // namespace tessory
