// The program's only top-level window: owns the full-screen views, shows one at a time, and is
// the hub every view asks for another view.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "shell/message_loop.h"
#include "views/frame_view.h"
#include "views/view_context.h"
#include "views/view_mode.h"

class Application;
namespace parlo {
class PickerView;
}
namespace compose {
class SendView;
}
struct IPOutlookApp;

class MainFrame : public MessageFilter, public IdleHandler {
 public:
  enum ViewSlot { SLOT_LIST, SLOT_THREAD, SLOT_LOCK, SLOT_COMPOSE, SLOT_CONTACTS, SLOT_COUNT };

  // Parses the command line into the start mode, with the application's settings.
  MainFrame(Application& app, LPCWSTR commandLine);
  ~MainFrame() override;
  MainFrame(const MainFrame&) = delete;
  MainFrame& operator=(const MainFrame&) = delete;

  // Class and title are the application name. Null when the window cannot be created.
  HWND CreateFrameWindow(HINSTANCE instance, LPCWSTR appName);
  HWND Window() const { return hwnd_; }

  void ShowViewForMode(int mode);

  ViewMode StartMode() const { return startMode_; }
  int CurrentMode() const { return current_; }
  int PreviousMode() const { return previous_; }
  bool IsActive() const { return active_; }
  bool IsFullScreen() const { return fullScreen_; }
  parlo::FrameView* ActiveView() const { return activeView_; }
  // The contact picker once it has been shown, else null.
  parlo::PickerView* Picker() const;
  // The compose view once it has been shown, else null.
  compose::SendView* Composer() const;
  Application& App() const { return app_; }

  bool PreTranslateMessage(MSG* msg) override;
  bool OnIdle(int count) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  LRESULT OnCreate();
  void OnDestroy();
  LRESULT OnCopyData(const COPYDATASTRUCT* data);
  void OnActivate(WORD state, HWND other);
  LRESULT OnDbNotification(LPARAM lParam);
  bool OnCommand(WORD id);
  LRESULT ShowView(ViewSlot slot, int mode, WPARAM wParam, LPARAM lParam);
  // The set-up of the compose view for a UM_SHOWCOMPOSE of this kind.
  void PrepareCompose(compose::SendView& view, WPARAM kind, LPARAM lParam);
  bool LockIsShown() const;
  void RememberViewUnderLock();
  void ReturnFromLock();
  std::unique_ptr<parlo::FrameView> CreateView(ViewSlot slot);
  void ActivateView(parlo::FrameView* view);
  void SetFullScreen(bool on);
  void Layout();
  void CreateContactStoreApp();
  void ShowAbout();
  // Builds the model from the store, telling the user once when the store is damaged.
  void LoadMessages();
  parlo::ViewContext ContextForViews();
  // Messages a control sent to its parent go back to the control, raised by 0x2000.
  bool Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

  Application& app_;
  HWND hwnd_ = nullptr;
  HWND menuBar_ = nullptr;
  bool fullScreen_ = false;
  std::unique_ptr<parlo::FrameView> views_[SLOT_COUNT];
  ViewMode startMode_ = VM_LIST;
  int current_ = VM_LIST;
  int previous_ = VM_LIST;
  bool active_ = true;
  parlo::FrameView* activeView_ = nullptr;
  IPOutlookApp* outlook_ = nullptr;
  // The view the lock screen hides, to come back to as the user left it; none after the lock
  // at start. A conversation is found again by its number, which may have moved meanwhile.
  parlo::FrameView* underLock_ = nullptr;
  std::u16string underLockNumber_;
  int stateSource_ = 0;
  int screenSource_ = 0;
};
