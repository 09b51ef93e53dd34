#include "views/thread_view.h"

#include <mutex>
#include <string>

#include "contacts/contact_book.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "model/conversation.h"
#include "model/message_store.h"
#include "settings/settings.h"
#include "views/main_view.h"
#include "views/store_errors.h"
#include "views/thread_view_mms.h"
#include "views/view_mode.h"

namespace parlo {
namespace {

std::mutex g_launcherMutex;
ThreadView::MmsLauncher g_launcher;

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

ThreadView::ThreadView(const ViewContext& context) : FrameView(context), list_(context_) {}

LRESULT ThreadView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
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
    default:
      break;
  }
  return FrameView::OnMessage(message, wParam, lParam);
}

void ThreadView::OnCreate(int width, int height) {
  const int L = 0, T = 0, R = width, B = height;
  header_ = RECT{L, T, R, T + 120};
  const RECT listRect{L, T + 120, R, B - 100};
  footer_ = RECT{L, B - 100, R, B};
  back_ = ShrinkRect(RECT{R - 80, T, R, T + 120}, ScaleX(1), ScaleY(1));
  buttons_.Layout(footer_);
  list_.Create(hwnd_, listRect, kMessageListId);

  Skin& skin = context_.skin;
  button_.Reset(skin.Button());
  buttonPressed_.Reset(skin.ButtonPressed());
  defaultPicture_.Reset(skin.ContactPicture());
  defaultWidth_ = skin.PictureWidth();
  defaultHeight_ = skin.PictureHeight();
  backPressed_ = false;
  picture_ = nullptr;
}

void ThreadView::Open(int position) {
  const Settings& settings = context_.settings;
  pictureWidth_ = settings.photo_width;
  pictureHeight_ = settings.photo_height;
  picture_ = nullptr;
  MessageStore& store = context_.store;
  if (position >= 0 && position < store.ConversationCount()) {
    Conversation& conversation = store.ConversationAt(position);
    HBITMAP picture = nullptr;
    if (!conversation.empty() && context_.contacts &&
        context_.contacts->ContactPictureFor(conversation.front()->contactOid, &picture, &pictureWidth_,
                                             &pictureHeight_))
      picture_ = picture;
  }
  list_.SetPosition(position);
  Fill();
}

void ThreadView::Fill() {
  const StoreError error = list_.Fill();
  // The header's count follows the rows.
  if (hwnd_) Invalidate(header_);
  // Told once the rows stand, so nothing walks the conversation while the box is open.
  ReportStoreError(hwnd_, error);
}

// ---- Painting ----

void ThreadView::PaintView(HDC dc, int, int) {
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

void ThreadView::OnHold(FooterButtons::Which button) {
  if (button == FooterButtons::kLeft) HandOffSelected();
  else if (button == FooterButtons::kRight) SendToFrame(UM_SHOWCOMPOSE, COMPOSE_FORWARD, 0);
}

// ---- Acting on the selected message ----

void ThreadView::DeleteSelected() {
  const MessageRecord* record = list_.RecordAt(list_.FirstSelected());
  if (!record) return;
  // The store may change while the question is open: the message is known by its oid, its
  // conversation by the number.
  const uint32_t oid = record->oid;
  const std::u16string number(record->number);
  if (MessageBoxW(hwnd_, u"삭제 하시겠습니까?", u"확인", MB_YESNO) != IDYES) return;
  MessageStore& store = context_.store;
  const int position = store.Model().PositionOfNumber(number.c_str());
  const bool shown = position >= 0 && position == list_.Position();
  const bool last = position >= 0 && store.ConversationAt(position).size() == 1;
  const StoreError error = store.DeleteRecord(position, oid);
  ReportStoreError(hwnd_, error);
  if (error != StoreError::kRecordMissing && shown && last) SendToFrame(UM_SHOWLIST, 0, 0);
  else Fill();
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
  if (const MessageRecord* record = list_.RecordAt(list_.FirstSelected()))
    CallCorrespondent(*record, context_.store.DisplayNameFor(record->number));
}

}  // namespace parlo
