#include "shell/main_frame.h"

#include <aygshell.h>
#include <objbase.h>
#include <pimstore.h>
#include <sipapi.h>
#include <windbase.h>

#include <utility>

#include "compose/send_view.h"
#include "draw/dpi.h"
#include "shell/application.h"
#include "shell/command_line.h"
#include "shell/frame_state.h"
#include "views/lock_view.h"
#include "views/main_view.h"
#include "views/picker_view.h"
#include "views/thread_view.h"

namespace {

MainFrame* g_creating = nullptr;

// WM_SETTINGCHANGE wParam after which full-screen mode is applied again.
constexpr WPARAM kSettingWorkArea = 0x3002;

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      SHINITDLGINFO init{SHIDIM_FLAGS, dialog, SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN};
      SHInitDialog(&init);
      SHMENUBARINFO bar{};
      bar.cbSize = sizeof bar;
      bar.hwndParent = dialog;
      bar.dwFlags = SHCMBF_EMPTYBAR | SHCMBF_HIDESIPBUTTON;
      SHCreateMenuBar(&bar);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

MainFrame::MainFrame(Application& app, LPCWSTR commandLine) : app_(app) {
  Settings& settings = app_.settings();
  // The box contact pictures are scaled into: 60 by 60 at 96 dots per inch.
  settings.photo_width = parlo::ScaleToDpi(60, parlo::DpiAxis::Horizontal);
  settings.photo_height = parlo::ScaleToDpi(60, parlo::DpiAxis::Vertical);
  startMode_ = ParseCommandLine(commandLine, settings.start_number);
}

MainFrame::~MainFrame() {
  // Views go in a fixed order: list, conversation, lock, compose, contacts.
  for (auto& view : views_) view.reset();
}

HWND MainFrame::CreateFrameWindow(HINSTANCE instance, LPCWSTR appName) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = appName;
  if (!RegisterClassW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  g_creating = this;
  HWND hwnd = CreateWindowExW(0, appName, appName, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  g_creating = nullptr;
  return hwnd;
}

LRESULT CALLBACK MainFrame::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* frame = reinterpret_cast<MainFrame*>(GetWindowLongW(hwnd, GWL_USERDATA));
  if (!frame && g_creating) {
    frame = g_creating;
    frame->hwnd_ = hwnd;
    SetWindowLongW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(frame));
  }
  if (!frame) return DefWindowProcW(hwnd, message, wParam, lParam);
  LRESULT result = frame->HandleMessage(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongW(hwnd, GWL_USERDATA, 0);
    frame->hwnd_ = nullptr;
  }
  return result;
}

// Searched in this order; the first handler that takes a message ends the search.
LRESULT MainFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_DESTROY:
      OnDestroy();
      // The top-level window's end is the program's end.
      PostQuitMessage(1);
      return 0;
    case WM_COPYDATA:
      return OnCopyData(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_ACTIVATE:
      OnActivate(LOWORD(wParam), reinterpret_cast<HWND>(lParam));
      return 0;
    case UM_SHOWTHREAD:
      return ShowView(SLOT_THREAD, VM_THREAD, wParam, lParam);
    case UM_SHOWLIST:
      return ShowView(SLOT_LIST, VM_LIST, wParam, lParam);
    case UM_SHOWLOCK:
      RememberViewUnderLock();
      return ShowView(SLOT_LOCK, VM_LOCK, wParam, lParam);
    case UM_SHOWCOMPOSE:
      return ShowView(SLOT_COMPOSE, VM_COMPOSE, wParam, lParam);
    case UM_SHOWPREVIOUS:
      if (LockIsShown()) ReturnFromLock();
      else ShowViewForMode(previous_);
      return 0;
    case UM_SHOWCONTACTS:
      return ShowView(SLOT_CONTACTS, VM_CONTACTS, wParam, lParam);
    case WM_DBNOTIFICATION:
      return OnDbNotification(lParam);
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam))) return 0;
      break;
    case WM_SETTINGCHANGE:
      if (fullScreen_ && wParam == kSettingWorkArea) SetFullScreen(true);
      break;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) Layout();
      return 0;
  }
  LRESULT reflected = 0;
  if (Reflect(message, wParam, lParam, &reflected)) return reflected;
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool MainFrame::Reflect(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  HWND control = nullptr;
  switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      control = reinterpret_cast<HWND>(lParam);
      break;
    case WM_NOTIFY:
      if (lParam) control = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom;
      break;
    default:
      return false;
  }
  if (!control || !IsWindow(control)) return false;
  *result = SendMessageW(control, message + 0x2000, wParam, lParam);
  return true;
}

LRESULT MainFrame::OnCreate() {
  // Published first, so a message box at start does not leave automation without a state.
  stateSource_ = AddFrameState(*this);
  screenSource_ = AddFrameScreen(*this);
  SHMENUBARINFO bar{};
  bar.cbSize = sizeof bar;
  bar.hwndParent = hwnd_;
  bar.nToolBarId = IDR_MENUBAR;
  bar.hInstRes = app_module::Instance();
  if (SHCreateMenuBar(&bar)) menuBar_ = bar.hwndMB;

  SetFullScreen(true);
  CreateContactStoreApp();
  Settings& settings = app_.settings();
  parlo::ContactBook& contacts = app_.OpenContacts(outlook_);
  contacts.SetPictureBox(settings.photo_width, settings.photo_height);
  contacts.LoadContacts(true);
  MessageStore& store = app_.store();
  store.SetStorePath(settings.store_path);
  DWORD openError = 0;
  if (!store.OpenStore(hwnd_, &openError) && openError)
    MessageBoxW(hwnd_, OpenErrorText(openError), u"ERROR", MB_OK);
  else LoadMessages();

  // The list view becomes the client window and the active view before the first choice.
  if (std::unique_ptr<parlo::FrameView> list = CreateView(SLOT_LIST)) {
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    if (list->CreateViewWindow(hwnd_, rc)) {
      SetWindowLongW(list->Window(), GWL_ID, ID_VIEW_CLIENT);
      SetFocus(list->Window());
      activeView_ = list.get();
      views_[SLOT_LIST] = std::move(list);
    }
  }

  if (settings.use_lock && startMode_ != VM_CONTACTS) {
    current_ = previous_ = startMode_;
    SendMessageW(hwnd_, UM_SHOWLOCK, 0, 0);
    // Nothing was on screen yet: the unlock shows the start mode's view.
    underLock_ = nullptr;
  } else {
    ShowViewForMode(startMode_);
  }

  if (MessageLoop* loop = app_module::GetMessageLoop()) {
    loop->AddMessageFilter(this);
    loop->AddIdleHandler(this);
  }
  return 0;
}

void MainFrame::OnDestroy() {
  RemoveFrameState(stateSource_);
  RemoveFrameScreen(screenSource_);
  stateSource_ = screenSource_ = 0;
  if (MessageLoop* loop = app_module::GetMessageLoop()) {
    loop->RemoveMessageFilter(this);
    loop->RemoveIdleHandler(this);
  }
  // The contact list writes its cache on the way out; settings save the flags last.
  app_.Shutdown();
  if (outlook_) {
    outlook_->Logoff();
    outlook_->Release();
    outlook_ = nullptr;
  }
}

void MainFrame::CreateContactStoreApp() {
  if (outlook_) return;
  void* object = nullptr;
  if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &object)) ||
      !object) {
    return;
  }
  auto* app = static_cast<IPOutlookApp*>(object);
  if (FAILED(app->Logon(hwnd_))) {
    app->Release();
    return;
  }
  outlook_ = app;
}

LRESULT MainFrame::OnCopyData(const COPYDATASTRUCT* data) {
  if (!data) return 0;
  current_ = previous_ = static_cast<int>(data->dwData);
  WCHAR* number = app_.settings().start_number;
  // At most 260 characters with the null, and never past the bytes the sender gave.
  size_t limit = data->lpData ? data->cbData / sizeof(WCHAR) : 0;
  if (limit > static_cast<size_t>(kNumberChars - 1)) limit = kNumberChars - 1;
  const auto* text = static_cast<const WCHAR*>(data->lpData);
  size_t i = 0;
  for (; i < limit && text[i]; ++i) number[i] = text[i];
  number[i] = 0;
  return 0;
}

void MainFrame::OnActivate(WORD state, HWND other) {
  if (state == WA_ACTIVE) {
    SetFullScreen(true);
    active_ = true;
  } else if (state == WA_INACTIVE && !IsWindow(other)) {
    // Only another program takes the front; the program's own boxes and dialogs leave it there,
    // so a message arriving under a question does not pull the view away from it.
    active_ = false;
    if (views_[SLOT_COMPOSE]) SHSipPreference(views_[SLOT_COMPOSE]->Window(), SIP_DOWN);
  }
}

LRESULT MainFrame::OnDbNotification(LPARAM lParam) {
  auto* notification = reinterpret_cast<CENOTIFICATION*>(lParam);
  if (!notification) return 0;
  MessageStore& store = app_.store();
  if (notification->uType == DB_CEOID_CREATED) {
    auto record = std::make_unique<MessageRecord>();
    record->oid = notification->oid;
    if (store.ReadRecordById(DB_RECV, record.get())) {
      // Where the conversation's newest message belongs: the list reads it from there.
      store.AddNewestRecord(std::move(record));
      if (!active_) {
        ShowViewForMode(VM_THREAD_FIRST);
        ShowWindow(hwnd_, SW_SHOW);
        SetForegroundWindow(hwnd_);
      } else if (current_ == VM_LIST || current_ == VM_THREAD) {
        ShowViewForMode(current_);
      }
    }
  }
  // Deletions made while the program itself is in front are its own and already handled.
  const bool inFront = active_ && GetActiveWindow() == hwnd_;
  if (notification->uType == DB_CEOID_RECORD_DELETED && !inFront) {
    if (store.RemoveRecordByOid(notification->oid) && (current_ == VM_LIST || current_ == VM_THREAD))
      ShowViewForMode(current_);
  }
  store.FreeNotification(notification);
  return 0;
}

bool MainFrame::OnCommand(WORD id) {
  switch (id) {
    case ID_EXIT:
      if (app_.settings().close) {
        PostMessageW(hwnd_, WM_CLOSE, 0, 0);
      } else {
        ShowWindow(hwnd_, SW_HIDE);
      }
      return true;
    case ID_ABOUT:
      ShowAbout();
      return true;
    case ID_SEND:
      // Only what the user has in front of them is sent.
      if (compose::SendView* composer = Composer(); composer && activeView_ == composer) composer->Send();
      return true;
    case ID_REFRESH_MESSAGES:
      app_.store().ClearModel();
      LoadMessages();
      SendMessageW(hwnd_, UM_SHOWLIST, 0, 0);
      return true;
    case ID_REFRESH_CONTACTS:
      if (parlo::ContactBook* contacts = app_.contacts()) contacts->RebuildContacts();
      // The picker's last result was taken from the old list: its query runs again on the new one.
      if (parlo::PickerView* picker = Picker()) picker->Refresh(true);
      SendMessageW(hwnd_, UM_SHOWLIST, 0, 0);
      return true;
  }
  return false;
}

void MainFrame::LoadMessages() {
  MessageStore& store = app_.store();
  const bool wasDamaged = store.Records().Damaged();
  store.LoadAll();
  // Said once: what could be read is shown, and the file stays as it is.
  if (store.Records().Damaged() && !wasDamaged)
    MessageBoxW(hwnd_, OpenErrorText(ERROR_INTERNAL_DB_CORRUPTION), u"ERROR", MB_OK);
}

void MainFrame::ShowAbout() {
  SetFullScreen(false);
  // Full screen comes back with the next activation.
  DialogBoxParamW(app_module::Instance(), MAKEINTRESOURCEW(IDD_ABOUT), GetActiveWindow(), AboutProc, 0);
}

void MainFrame::ShowViewForMode(int mode) {
  switch (mode) {
    case VM_THREAD:
    case VM_THREAD_FIRST:
      SendMessageW(hwnd_, UM_SHOWTHREAD, 0, 0);
      break;
    case VM_COMPOSE:
      SendMessageW(hwnd_, UM_SHOWCOMPOSE, COMPOSE_NEW, 0);
      break;
    case VM_COMPOSE_TO_NUMBER:
      SendMessageW(hwnd_, UM_SHOWCOMPOSE, COMPOSE_TO_START_NUMBER, 0);
      break;
    case VM_LOCK:
      SendMessageW(hwnd_, UM_SHOWLOCK, 2, 0);
      break;
    case VM_CONTACTS:
      SendMessageW(hwnd_, UM_SHOWCONTACTS, 0, 0);
      break;
    default:
      SendMessageW(hwnd_, UM_SHOWLIST, 0, 0);
      break;
  }
}

parlo::PickerView* MainFrame::Picker() const {
  return static_cast<parlo::PickerView*>(views_[SLOT_CONTACTS].get());
}

compose::SendView* MainFrame::Composer() const {
  return static_cast<compose::SendView*>(views_[SLOT_COMPOSE].get());
}

parlo::ViewContext MainFrame::ContextForViews() {
  return parlo::ViewContext{app_.settings(), app_.store(), app_.skin(), app_.contacts(), hwnd_};
}

std::unique_ptr<parlo::FrameView> MainFrame::CreateView(ViewSlot slot) {
  // Each view is made here once its part of the program exists; until then its slot stays
  // empty and a message asking for it does nothing.
  switch (slot) {
    case SLOT_LIST:
      return std::make_unique<parlo::MainView>(ContextForViews());
    case SLOT_THREAD:
      return std::make_unique<parlo::ThreadView>(ContextForViews());
    case SLOT_LOCK: {
      auto lock = std::make_unique<parlo::LockView>(ContextForViews());
      lock->LoadPassword();
      return lock;
    }
    case SLOT_COMPOSE:
      return std::make_unique<compose::SendView>(ContextForViews());
    case SLOT_CONTACTS:
      return std::make_unique<parlo::PickerView>(ContextForViews());
    default:
      return nullptr;
  }
}

LRESULT MainFrame::ShowView(ViewSlot slot, int mode, WPARAM wParam, LPARAM lParam) {
  if (!views_[slot]) {
    std::unique_ptr<parlo::FrameView> view = CreateView(slot);
    if (!view) return 0;
    RECT rc{};
    GetClientRect(hwnd_, &rc);
    if (!view->CreateViewWindow(hwnd_, rc)) return 0;
    views_[slot] = std::move(view);
  }
  previous_ = current_;
  current_ = mode;
  if (slot == SLOT_COMPOSE) PrepareCompose(*Composer(), wParam, lParam);
  else views_[slot]->OnShown(wParam, lParam);
  ActivateView(views_[slot].get());
  if (slot == SLOT_COMPOSE) Composer()->ShowComposeInput();
  return 0;
}

void MainFrame::PrepareCompose(compose::SendView& view, WPARAM kind, LPARAM lParam) {
  auto* list = static_cast<parlo::MainView*>(views_[SLOT_LIST].get());
  auto* thread = static_cast<parlo::ThreadView*>(views_[SLOT_THREAD].get());
  // From the list, the selected conversation's first message; otherwise the conversation
  // view's cursor, or its first message.
  const MessageRecord* shown = thread ? thread->ReplyRecord() : nullptr;
  const MessageRecord* source = nullptr;
  switch (kind) {
    case COMPOSE_REPLY:
      source = lParam == 1 ? (list ? list->SelectedFirstRecord() : nullptr) : shown;
      if (source) view.ComposeReply(*source);
      else view.ResetCompose(false);
      break;
    case COMPOSE_TO_START_NUMBER:
      view.ResetCompose(true);
      break;
    case COMPOSE_FORWARD:
      if (shown) view.ComposeForward(*shown);
      else view.ResetCompose(false);
      break;
    case COMPOSE_TO_PICKED:
      view.ComposeToPicked();
      break;
    default:
      view.ResetCompose(false);
      break;
  }
}

bool MainFrame::LockIsShown() const { return views_[SLOT_LOCK] && activeView_ == views_[SLOT_LOCK].get(); }

void MainFrame::RememberViewUnderLock() {
  if (LockIsShown()) return;
  underLock_ = activeView_;
  underLockNumber_.clear();
  if (activeView_ && activeView_ == views_[SLOT_THREAD].get()) {
    if (const MessageRecord* shown = static_cast<parlo::ThreadView*>(activeView_)->ReplyRecord())
      underLockNumber_ = shown->number;
  }
}

void MainFrame::ReturnFromLock() {
  parlo::FrameView* hidden = std::exchange(underLock_, nullptr);
  // Never back into the lock itself: the user would have no way out.
  const int back = previous_ == VM_LOCK ? VM_LIST : previous_;
  ViewSlot slot = SLOT_LIST;
  if (back == VM_THREAD || back == VM_THREAD_FIRST) slot = SLOT_THREAD;
  else if (back == VM_COMPOSE || back == VM_COMPOSE_TO_NUMBER) slot = SLOT_COMPOSE;
  else if (back == VM_CONTACTS) slot = SLOT_CONTACTS;
  if (!hidden || hidden != views_[slot].get() || slot == SLOT_LIST) {
    // The list is refilled on every return anyway.
    ShowViewForMode(back);
  } else if (slot == SLOT_THREAD) {
    const int position = app_.store().Model().PositionOfNumber(underLockNumber_.c_str());
    if (position >= 0) SendMessageW(hwnd_, UM_SHOWTHREAD, static_cast<WPARAM>(position), 0);
    else ShowViewForMode(back);
  } else {
    // Compose and contacts come back untouched: the text typed, the contacts chosen.
    previous_ = current_;
    current_ = slot == SLOT_COMPOSE ? VM_COMPOSE : VM_CONTACTS;
    ActivateView(hidden);
    if (slot == SLOT_COMPOSE) Composer()->ShowComposeInput();
  }
  // A hand-over may have named a view that cannot be made; the right pattern still opens.
  if (LockIsShown()) SendMessageW(hwnd_, UM_SHOWLIST, 0, 0);
}

void MainFrame::ActivateView(parlo::FrameView* view) {
  if (view == activeView_) return;
  HWND window = view->Window();
  // The keyboard belongs to the compose view: it goes with it, whoever asked for the switch.
  if (activeView_ && activeView_ == views_[SLOT_COMPOSE].get()) SipShowIM(SIPF_OFF);
  if (activeView_) {
    ShowWindow(activeView_->Window(), SW_HIDE);
    SetWindowLongW(activeView_->Window(), GWL_ID, 0);
  }
  SetWindowLongW(window, GWL_ID, ID_VIEW_CLIENT);
  activeView_ = view;
  SetFocus(window);
  Layout();
  ShowWindow(window, SW_SHOW);
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

void MainFrame::SetFullScreen(bool on) {
  fullScreen_ = on;
  RECT rc{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &rc, 0);
  if (on) {
    rc.top = 0;
    SHFullScreen(hwnd_, SHFS_HIDETASKBAR | SHFS_HIDESIPBUTTON);
  } else {
    SHFullScreen(hwnd_, SHFS_SHOWTASKBAR | SHFS_SHOWSIPBUTTON);
  }
  MoveWindow(hwnd_, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
  if (menuBar_) ShowWindow(menuBar_, on ? SW_HIDE : SW_SHOWNORMAL);
  Layout();
}

void MainFrame::Layout() {
  if (!activeView_) return;
  RECT rc{};
  GetClientRect(hwnd_, &rc);
  MoveWindow(activeView_->Window(), rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, TRUE);
}

bool MainFrame::PreTranslateMessage(MSG* msg) {
  // No accelerator table; the active view gets its chance.
  return activeView_ && activeView_->PreTranslateMessage(msg);
}

bool MainFrame::OnIdle(int) { return false; }
