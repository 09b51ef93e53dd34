#include "views/main_view.h"

#include <string>

#include "aygshell.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "model/message_store.h"
#include "settings/settings.h"
#include "views/store_errors.h"
#include "views/view_mode.h"

namespace parlo {

MainView::MainView(const ViewContext& context) : FrameView(context), list_(context_) {}

MainView::~MainView() {
  // The window may outlive this part of the object; its notification must not.
  if (unreadNotify_) RegistryCloseNotification(unreadNotify_);
}

LRESULT MainView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_KEYDOWN:
      return SendMessageW(list_.hwnd(), message, wParam, lParam);
    case WM_KEYUP:
      if (wParam == VK_F3) {
        CallSelected();
        return 0;
      }
      return SendMessageW(list_.hwnd(), message, wParam, lParam);
    case WM_LBUTTONDOWN:
      OnPress(point);
      return 0;
    case WM_MOUSEMOVE:
      OnMove(point);
      return 0;
    case WM_LBUTTONUP:
      OnRelease(point);
      return 0;
    case UM_UNREAD_CHANGED:
      ReadUnreadCount();
      Invalidate(header_);
      return 0;
    case WM_INITMENUPOPUP:
      InitMenu(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_COMMAND: {
      const UINT id = LOWORD(wParam);
      if (id >= ID_USE_LOCK && id <= ID_EXIT) {
        OnMenuCommand(id);
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return FrameView::OnMessage(message, wParam, lParam);
}

void MainView::OnCreate(int width, int height) {
  ReadUnreadCount();
  headerPressed_ = titlePressed_ = false;

  const int L = 0, T = 0, R = width, B = height, W = width;
  header_ = RECT{L, T, R, T + 70};
  const RECT listRect{L, T + 70, R, B - 100};
  footer_ = RECT{L, B - 100, R, B};
  title_ = RECT{L + 15, T, W / 2, T + 70};
  headerButton_ = ShrinkRect(RECT{R - 80, T, R, T + 70}, ScaleX(1), ScaleY(1));
  list_.Create(hwnd_, listRect, kConversationListId);
  buttons_.Layout(footer_);

  Skin& skin = context_.skin;
  button_.Reset(skin.Button());
  buttonPressed_.Reset(skin.ButtonPressed());

  HREGNOTIFY notify = nullptr;
  if (SUCCEEDED(RegistryNotifyWindow(HKEY_LOCAL_MACHINE, kUnreadStateKey, kUnreadCountValue, hwnd_, UM_UNREAD_CHANGED,
                                     0, nullptr, &notify)))
    unreadNotify_ = notify;
}

void MainView::OnDestroy() {
  if (unreadNotify_) RegistryCloseNotification(unreadNotify_);
  unreadNotify_ = nullptr;
}

void MainView::ReadUnreadCount() {
  DWORD value = 0;
  // A missing value means nothing is unread.
  if (FAILED(RegistryGetDWORD(HKEY_LOCAL_MACHINE, kUnreadStateKey, kUnreadCountValue, &value))) value = 0;
  unread_ = static_cast<int32_t>(value);
}

void MainView::Refill() {
  list_.Refill();
  // The title's total follows the rows.
  if (hwnd_) Invalidate(header_);
}

int MainView::SelectedConversation() const {
  const int selected = list_.FirstSelected();
  if (selected >= 0 && selected < list_.RowCount()) return selected;
  const int remembered = list_.RememberedRow();
  // A remembered row past the end (conversations were deleted since) selects nothing.
  return remembered >= 0 && remembered < list_.RowCount() ? remembered : -1;
}

MessageRecord* MainView::SelectedFirstRecord() const {
  const int selected = SelectedConversation();
  MessageStore& store = context_.store;
  if (selected < 0 || selected >= store.ConversationCount()) return nullptr;
  Conversation& conversation = store.ConversationAt(selected);
  return conversation.empty() ? nullptr : conversation.front().get();
}

// ---- Painting ----

void MainView::PaintView(HDC dc, int, int) {
  FillRect(dc, &header_, BandBrush());
  FillRect(dc, &footer_, BandBrush());
  const int oldMode = SetBkMode(dc, TRANSPARENT);

  HBITMAP button = headerPressed_ ? buttonPressed_.Get() : button_.Get();
  if (button)
    TransparentImage(dc, headerButton_.left + 20, headerButton_.top + 10, 40, 40, button, 0, 0, 62, 62,
                     RGB(0xFF, 0xFF, 0xFF));

  SetTextColor(dc, titlePressed_ ? RGB(0, 0, 0xFF) : RGB(0, 0, 0));
  WCHAR title[64];
  StringCchPrintfW(title, 64, u"Parlo - 「%d/%d」", unread_, list_.TotalMessages());
  RECT titleRect = title_;
  DrawTextW(dc, title, -1, &titleRect, DT_NOPREFIX | DT_NOCLIP | DT_SINGLELINE | DT_VCENTER);

  SetTextColor(dc, RGB(0, 0, 0));
  PaintFooterButton(dc, buttons_.left, u"문자 보내기");
  PaintFooterButton(dc, buttons_.right, u"삭제");
  SetBkMode(dc, oldMode);
}

// ---- Header and footer touch ----

void MainView::OnPress(POINT p) {
  SetCapture(hwnd_);
  if (buttons_.Press(hwnd_, p) != FooterButtons::kNone) return;
  if (Contains(headerButton_, p)) {
    headerPressed_ = true;
    Invalidate(headerButton_);
  } else if (Contains(title_, p)) {
    titlePressed_ = true;
    Invalidate(title_);
  }
}

void MainView::OnMove(POINT p) {
  buttons_.Move(hwnd_, p);
  if (titlePressed_ && !Contains(title_, p)) {
    titlePressed_ = false;
    Invalidate(title_);
  }
}

void MainView::OnRelease(POINT p) {
  if (GetCapture() == hwnd_) ReleaseCapture();
  const FooterButtons::Which footer = buttons_.Release(hwnd_, p);
  const bool exit = footer == FooterButtons::kNone && headerPressed_ && Contains(headerButton_, p);
  const bool menu = footer == FooterButtons::kNone && !exit && titlePressed_ && Contains(title_, p);
  // Released before acting, so nothing stays lit behind a message box, a menu or another view.
  if (headerPressed_) Invalidate(headerButton_);
  if (titlePressed_) Invalidate(title_);
  headerPressed_ = titlePressed_ = false;

  if (footer == FooterButtons::kLeft) SendToFrame(UM_SHOWCOMPOSE, COMPOSE_REPLY, 1);
  else if (footer == FooterButtons::kRight) DeleteSelected();
  else if (exit) SendToFrame(WM_COMMAND, ID_EXIT, 0);
  else if (menu) ShowMenu(p);
}

void MainView::OnHold(FooterButtons::Which button) {
  if (button == FooterButtons::kLeft) SendToFrame(UM_SHOWCOMPOSE, COMPOSE_NEW, 0);
  else if (button == FooterButtons::kRight) DeleteEverything();
}

// ---- Menu ----

void MainView::ShowMenu(POINT p) {
  MenuHolder menu(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDM_PROGRAM_MENU)));
  HMENU popup = menu.Get() ? GetSubMenu(menu.Get(), 0) : nullptr;
  if (!popup) return;
  POINT screen = p;
  ClientToScreen(hwnd_, &screen);
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, hwnd_, nullptr);
}

void MainView::InitMenu(HMENU menu) {
  const Settings& s = context_.settings;
  CheckMenuItem(menu, ID_USE_LOCK, MF_BYCOMMAND | (s.use_lock ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, ID_SORT_DESCENDING, MF_BYCOMMAND | (!s.view_sort ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, ID_HIDE_ON_EXIT, MF_BYCOMMAND | (!s.close ? MF_CHECKED : MF_UNCHECKED));
  CheckMenuItem(menu, ID_SHORT_PREVIEW, MF_BYCOMMAND | (!s.use_original_view ? MF_CHECKED : MF_UNCHECKED));
}

void MainView::OnMenuCommand(UINT id) {
  if (id == ID_ABOUT) {
    SendToFrame(WM_COMMAND, ID_ABOUT, 0);
    return;
  }
  if (id == ID_EXIT) {
    SendToFrame(WM_CLOSE, 0, 0);
    return;
  }
  WaitCursor wait;
  Settings& s = context_.settings;
  switch (id) {
    case ID_USE_LOCK:
      s.use_lock = !s.use_lock;
      break;
    case ID_LOCK_NOW:
      SendToFrame(UM_SHOWLOCK, 0, 0);
      break;
    case ID_REFRESH_MESSAGES:
    case ID_REFRESH_CONTACTS:
      SendToFrame(WM_COMMAND, id, 0);
      break;
    case ID_SHORT_PREVIEW:
      s.use_original_view = !s.use_original_view;
      SendToFrame(WM_COMMAND, ID_REFRESH_MESSAGES, 0);
      break;
    case ID_SORT_DESCENDING:
      s.view_sort = !s.view_sort;
      SendToFrame(WM_COMMAND, ID_REFRESH_MESSAGES, 0);
      break;
    case ID_HIDE_ON_EXIT:
      s.close = !s.close;
      break;
    default:
      break;
  }
}

// ---- Deleting and calling ----

void MainView::DeleteSelected() {
  const int selected = SelectedConversation();
  MessageStore& store = context_.store;
  if (selected < 0 || selected >= store.ConversationCount()) {
    MessageBoxW(hwnd_, u"선택된 메시지가 없습니다.", u"정보", MB_OK);
  } else {
    // The store may change while the question is open; the conversation is known by its number.
    const Conversation& chosen = store.ConversationAt(selected);
    const std::u16string number = chosen.empty() ? std::u16string() : std::u16string(chosen.front()->number);
    if (MessageBoxW(hwnd_, u"정말로 메시지를 삭제하겠습니까?", u"확인", MB_YESNO) == IDYES) {
      const int position = store.Model().PositionOfNumber(number.c_str());
      if (position >= 0) ReportStoreError(hwnd_, store.DeleteConversation(position));
    }
  }
  Refill();
}

void MainView::DeleteEverything() {
  if (MessageBoxW(hwnd_, u"정말로 모든 메시지를 삭제하겠습니까?", u"확인", MB_YESNO) != IDYES) return;
  MessageStore& store = context_.store;
  store.ClearModel();
  const StoreError received = store.DeleteAllRecords(DB_RECV);
  const StoreError sent = store.DeleteAllRecords(DB_SEND);
  ReportStoreError(hwnd_, received != StoreError::kNone ? received : sent);
  Refill();
}

void MainView::CallSelected() {
  const int selected = SelectedConversation();
  MessageStore& store = context_.store;
  if (selected < 0 || selected >= store.ConversationCount()) return;
  Conversation& conversation = store.ConversationAt(selected);
  if (conversation.empty()) return;
  CallCorrespondent(*conversation.front(), store.DisplayNameFor(conversation.front()->number));
}

}  // namespace parlo
