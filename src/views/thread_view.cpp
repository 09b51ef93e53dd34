#include "views/thread_view.h"

#include <mutex>

#include "contacts/contact_book.h"
#include "model/conversation.h"
#include "shell/draw/dpi.h"
#include "shell/draw/skin.h"
#include "shell/settings.h"
#include "shell/view_mode.h"
#include "store/message_store.h"
#include "views/main_view.h"
#include "views/thread_view_mms.h"
#include "views/window_binding.h"

namespace parlo {
namespace {

std::mutex g_launcherMutex;
ThreadView::MmsLauncher g_launcher;

bool RegisterThreadViewClass(WNDPROC proc) {
  static const bool registered = [proc] {
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = ThreadView::kClassName;
    return RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

// The worker's own copy: the model may delete the record while the composer starts.
struct HandOff {
  WCHAR mode[2];
  WCHAR messageId[kFieldChars];
};

DWORD WINAPI HandOffThread(LPVOID parameter) {
  auto* handOff = static_cast<HandOff*>(parameter);
  ThreadView::MmsLauncher launcher;
  {
    std::lock_guard<std::mutex> lock(g_launcherMutex);
    launcher = g_launcher;
  }
  if (launcher) launcher(handOff->mode, handOff->messageId);
  else LaunchMmsComposer(handOff->mode, handOff->messageId);
  delete handOff;
  return 0;
}

}  // namespace

void ThreadView::SetMmsLauncherForTests(MmsLauncher launcher) {
  std::lock_guard<std::mutex> lock(g_launcherMutex);
  g_launcher = std::move(launcher);
}

ThreadView::~ThreadView() {
  if (hwnd_) DestroyWindow(hwnd_);
}

HWND ThreadView::CreateViewWindow(HWND frame, const RECT& rect) {
  if (hwnd_ || !RegisterThreadViewClass(&ThreadView::WindowProc)) return nullptr;
  CreateWindowExW(0, kClassName, u"", VIEW_STYLE, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, frame, nullptr, nullptr, this);
  return hwnd_;
}

LRESULT CALLBACK ThreadView::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return BoundWindowProc(hwnd, message, wParam, lParam, &ThreadView::hwnd_, &ThreadView::HandleMessage);
}

LRESULT ThreadView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_CREATE: {
      const auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      OnCreate(cs->cx, cs->cy);
      return 0;
    }
    case WM_PAINT:
      Paint();
      return 0;
    case WM_DESTROY:
      image_.Free();
      return 0;
    case WM_ERASEBKGND:
      return 1;
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
    case WM_TIMER:
      if (wParam == kLeftHoldTimer || wParam == kRightHoldTimer) {
        OnHoldTimer(wParam);
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void ThreadView::OnCreate(int width, int height) {
  const int L = 0, T = 0, R = width, B = height;
  header_ = RECT{L, T, R, T + 120};
  const RECT listRect{L, T + 120, R, B - 100};
  footer_ = RECT{L, B - 100, R, B};
  back_ = ShrinkRect(RECT{R - 80, T, R, T + 120}, ScaleX(1), ScaleY(1));
  buttons_.Layout(footer_);
  list_.Create(hwnd_, listRect, kMessageListId);

  Skin& skin = Skin::Instance();
  button_.Reset(skin.Button());
  buttonPressed_.Reset(skin.ButtonPressed());
  defaultPicture_.Reset(skin.ContactPicture());
  defaultWidth_ = skin.PictureWidth();
  defaultHeight_ = skin.PictureHeight();
  buttons_.Clear();
  backPressed_ = false;
  picture_ = nullptr;
}

void ThreadView::Open(int position) {
  const Settings& settings = Settings::Instance();
  pictureWidth_ = settings.photo_width;
  pictureHeight_ = settings.photo_height;
  picture_ = nullptr;
  MessageStore* store = MessageStore::Instance();
  if (position >= 0 && position < store->ConversationCount()) {
    Conversation& conversation = store->ConversationAt(position);
    HBITMAP picture = nullptr;
    if (!conversation.empty() && conversation.front() && ContactBook::HasInstance() &&
        ContactBook::Instance().ContactPictureFor(conversation.front()->contactOid, &picture, &pictureWidth_,
                                                  &pictureHeight_))
      picture_ = picture;
  }
  list_.SetPosition(position);
  list_.Fill();
  if (hwnd_) Invalidate(header_);
}

// ---- Painting ----

void ThreadView::Paint() {
  PaintHolder paint(hwnd_);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int width = client.right - client.left, height = client.bottom - client.top;
  if (!paint.dc() || width <= 0 || height <= 0) return;
  HDC dc = image_.Begin(paint.dc(), width, height);

  FillRect(dc, &header_, BandBrush());
  FillRect(dc, &footer_, BandBrush());
  const int oldMode = SetBkMode(dc, TRANSPARENT);

  HBITMAP picture = picture_ ? picture_ : defaultPicture_.Get();
  if (picture)
    TransparentImage(dc, header_.left, header_.top, ScaleX(60), ScaleY(60), picture, 0, 0,
                     picture_ ? pictureWidth_ : defaultWidth_, picture_ ? pictureHeight_ : defaultHeight_,
                     RGB(0xFF, 0x00, 0xFF));
  HBITMAP button = backPressed_ ? buttonPressed_.Get() : button_.Get();
  if (button)
    TransparentImage(dc, back_.left + 20, back_.top + 10, 40, 40, button, 0, 0, 62, 62, RGB(0xFF, 0xFF, 0xFF));

  SetTextColor(dc, RGB(0, 0, 0));
  RECT headerText{header_.left + 130, header_.bottom / 2 - 5, header_.right, header_.bottom};
  DrawTextW(dc, list_.HeaderText().c_str(), -1, &headerText, DT_NOPREFIX | DT_WORDBREAK);
  MoveToEx(dc, header_.left + 1, header_.bottom - 1, nullptr);
  LineTo(dc, header_.right - 1, header_.bottom - 1);

  PaintFooterButton(dc, buttons_.left, u"답장");
  PaintFooterButton(dc, buttons_.right, u"삭제");
  SetBkMode(dc, oldMode);
  image_.End(paint.dc(), width, height);
}

// ---- Buttons ----

void ThreadView::OnPress(POINT p) {
  SetCapture(hwnd_);
  if (buttons_.Press(hwnd_, p) == FooterButtons::kNone && Contains(back_, p)) {
    backPressed_ = true;
    Invalidate(back_);
  }
}

void ThreadView::OnMove(POINT p) { buttons_.Move(hwnd_, p); }

void ThreadView::OnRelease(POINT p) {
  if (GetCapture() == hwnd_) ReleaseCapture();
  const FooterButtons::Which footer = buttons_.Release(hwnd_, p);
  const bool back = footer == FooterButtons::kNone && backPressed_ && Contains(back_, p);
  if (backPressed_) Invalidate(back_);
  backPressed_ = false;

  if (footer == FooterButtons::kLeft) SendToFrame(UM_SHOWCOMPOSE, COMPOSE_REPLY, 0);
  else if (footer == FooterButtons::kRight) DeleteSelected();
  else if (back) SendToFrame(UM_SHOWLIST, 0, 0);
}

void ThreadView::OnHoldTimer(UINT_PTR id) {
  switch (buttons_.HoldEnded(hwnd_, id)) {
    case FooterButtons::kLeft:
      HandOffSelected();
      break;
    case FooterButtons::kRight:
      SendToFrame(UM_SHOWCOMPOSE, COMPOSE_FORWARD, 0);
      break;
    case FooterButtons::kNone:
      break;
  }
}

// ---- Acting on the selected message ----

void ThreadView::DeleteSelected() {
  const int selected = list_.FirstSelected();
  MessageRecord* record = list_.RecordAt(selected);
  if (!record) return;
  if (MessageBoxW(hwnd_, u"삭제 하시겠습니까?", u"확인", MB_YESNO) != IDYES) return;
  MessageStore* store = MessageStore::Instance();
  // The box ran a loop: look the record up again before touching it.
  record = list_.RecordAt(selected);
  if (!record) return;
  const int position = list_.Position();
  store->UpdateRecord(record->dbIndex, record, true);
  Conversation& conversation = store->ConversationAt(position);
  conversation.erase(conversation.begin() + selected);
  delete record;
  if (conversation.empty()) {
    store->DeleteConversation(position);
    SendToFrame(UM_SHOWLIST, 0, 0);
  } else {
    list_.Fill();
  }
}

void ThreadView::HandOffSelected() {
  const MessageRecord* record = list_.RecordAt(list_.FirstSelected());
  if (!record) return;
  if (record->dbIndex == DB_SEND) {
    MessageBoxW(hwnd_, u"보낸문자는 지원되지 않습니다.", u"확인", MB_OK);
    return;
  }
  auto* handOff = new HandOff{};
  StringCchCopyW(handOff->mode, 2, record->mmsFlag == 0 ? u"3" : u"4");
  StringCchCopyW(handOff->messageId, kFieldChars, record->messageId);
  HANDLE thread = CreateThread(nullptr, 0, &HandOffThread, handOff, 0, nullptr);
  if (thread) CloseHandle(thread);
  else delete handOff;
}

void ThreadView::CallSelected() {
  if (const MessageRecord* record = list_.RecordAt(list_.FirstSelected())) CallCorrespondent(*record);
}

}  // namespace parlo
