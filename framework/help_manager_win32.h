// The help manager: help viewers register with it, and every help request
// of the program (F1 on a form, a topic, a keyword, the contents) goes to
// the first viewer, in order of registration, that accepts it. The
// framework's own WinHelp viewer registers first; it shows only WinHelp
// (.hlp) files, and a tester installed on it can make it decline.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace tessory {

class IHelpManager;

// A viewer as the help manager sees it.
class ICustomHelpViewer {
 public:
  virtual ~ICustomHelpViewer() = default;
  virtual std::string ViewerName() = 0;
  // How many topics the keyword matches (0: the viewer declines it).
  virtual int KeywordMatches(const std::string& keyword) = 0;
  // The lines the viewer offers for the keyword; the caller owns them.
  virtual std::vector<std::string> KeywordChoices(const std::string& keyword) = 0;
  virtual bool HasContents() = 0;
  virtual void ShowContents() = 0;
  virtual void ShowKeyword(const std::string& keyword) = 0;
  // The identifier the manager assigned at registration.
  virtual void TakeViewerId(int id) = 0;
  virtual void CloseHelpWindows() = 0;
  // The manager lets the viewer go: it must not use the manager any more.
  virtual void Detach() = 0;
};

// A viewer that also shows topics and context numbers.
class IExtendedHelpViewer : public ICustomHelpViewer {
 public:
  virtual bool AcceptsTopic(const std::string& topic) = 0;
  virtual void ShowTopic(const std::string& topic) = 0;
  virtual bool AcceptsContext(int context, const std::string& file) = 0;
  virtual void ShowContext(int context, const std::string& file) = 0;
};

// What a viewer may ask of the manager.
class IHelpManager {
 public:
  virtual ~IHelpManager() = default;
  // The owner of help windows (none in this program).
  virtual HWND HelpOwner() = 0;
  // The file named by the last help request that named one.
  virtual std::string CurrentHelpFile() = 0;
  // Forgets the viewer registered under `viewerId`.
  virtual void Release(int viewerId) = 0;
};

// Chooses between the lines several viewers offer.
class IHelpSelector {
 public:
  virtual ~IHelpSelector() = default;
  // The index of the line to use.
  virtual int PickKeyword(const std::vector<std::string>& lines) = 0;
  virtual int PickContents(const std::vector<std::string>& lines) = 0;
};

// Consulted by the WinHelp viewer before it accepts a request.
class IWinHelpTester {
 public:
  virtual ~IWinHelpTester() = default;
  virtual bool LinkShowable(const std::string& link, const std::string& file) = 0;
  virtual bool TopicShowable(const std::string& topic, const std::string& file) = 0;
  virtual bool ContextShowable(int context, const std::string& file) = 0;
  virtual std::vector<std::string> LinkChoices(const std::string& link) = 0;
  virtual std::string TesterHelpPath() = 0;
  virtual std::string TesterDefaultFile() = 0;
};

// The program's requests for help. Each answers whether a viewer took it.
class IHelpSystem {
 public:
  virtual ~IHelpSystem() = default;
  virtual bool ShowContextHelp(int context, const std::string& file) = 0;
  virtual bool ShowTopicHelp(const std::string& topic, const std::string& file) = 0;
  virtual bool ShowKeywordHelp(const std::string& keyword, const std::string& file) = 0;
  virtual bool ShowTableOfContents() = 0;
  virtual void AssignHelpSelector(std::shared_ptr<IHelpSelector> selector) = 0;
};

// The framework's viewer of WinHelp files.
class WinHelpViewer final : public IExtendedHelpViewer {
 public:
  explicit WinHelpViewer(IHelpManager& manager) : manager_(&manager) {}
  void SetTester(std::shared_ptr<IWinHelpTester> tester) { tester_ = std::move(tester); }
  const std::shared_ptr<IWinHelpTester>& Tester() const { return tester_; }

  std::string ViewerName() override { return "WinHelp"; }
  int KeywordMatches(const std::string& keyword) override;
  std::vector<std::string> KeywordChoices(const std::string& keyword) override;
  bool HasContents() override;
  void ShowContents() override;
  void ShowKeyword(const std::string& keyword) override;
  void TakeViewerId(int id) override { id_ = id; }
  void CloseHelpWindows() override;
  void Detach() override { manager_ = nullptr; }
  bool AcceptsTopic(const std::string& topic) override;
  void ShowTopic(const std::string& topic) override;
  bool AcceptsContext(int context, const std::string& file) override;
  void ShowContext(int context, const std::string& file) override;

 private:
  std::string FileFor(const std::string& file) const;
  void Call(const std::string& file, UINT command, ULONG_PTR data);

  IHelpManager* manager_;
  std::shared_ptr<IWinHelpTester> tester_;
  int id_ = 0;
};

class HelpManager final : public IHelpManager, public IHelpSystem {
 public:
  // The one help manager of the process, with the WinHelp viewer registered.
  static HelpManager& Instance();

  // Registers `viewer` under the next identifier (from 1, in order of
  // registration), tells it the identifier and returns the manager.
  IHelpManager& RegisterViewer(std::shared_ptr<ICustomHelpViewer> viewer);
  WinHelpViewer& WinHelp() { return *winHelp_; }
  std::size_t ViewerCount() const { return viewers_.size(); }
  const std::shared_ptr<IHelpSelector>& Selector() const { return selector_; }

  HWND HelpOwner() override { return nullptr; }
  std::string CurrentHelpFile() override { return helpFile_; }
  void Release(int viewerId) override;

  bool ShowContextHelp(int context, const std::string& file) override;
  bool ShowTopicHelp(const std::string& topic, const std::string& file) override;
  bool ShowKeywordHelp(const std::string& keyword, const std::string& file) override;
  bool ShowTableOfContents() override;
  void AssignHelpSelector(std::shared_ptr<IHelpSelector> selector) override { selector_ = std::move(selector); }

 private:
  struct Registration {
    int id;
    std::shared_ptr<ICustomHelpViewer> viewer;
  };
  HelpManager();
  void NoteFile(const std::string& file);
  // A copy: a viewer may release itself while it handles a request.
  std::vector<Registration> Viewers() const { return viewers_; }
  int Pick(bool keyword, const std::vector<std::string>& lines) const;

  std::shared_ptr<WinHelpViewer> winHelp_;
  std::vector<Registration> viewers_;
  int nextId_ = 1;
  std::string helpFile_;
  std::shared_ptr<IHelpSelector> selector_;
};

}  // namespace tessory
