#include "compose/send_view.h"

#include <sipapi.h>

#include "compose/compose_text_field.h"
#include "compose/send_slide.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "views/thread_view_mms.h"
#include "views/view_mode.h"

namespace compose {
namespace {

constexpr DWORD kControlStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
// Border, vertical scroll bar, multi-line, auto vertical scroll, keep selection, want return.
constexpr DWORD kTextStyle = kControlStyle | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                             ES_NOHIDESEL | ES_WANTRETURN;  // 0x56A01144
constexpr DWORD kLineStyle = kControlStyle | WS_BORDER;

}  // namespace

SendView::SendView(const parlo::ViewContext& context)
    : FrameView(context), mmsLaunch_(&parlo::LaunchMmsComposer) {}

SendView::~SendView() {
  // The window goes while this object still is a SendView, and before the font its text
  // field uses.
  if (hwnd_) DestroyWindow(hwnd_);
}

void SendView::OnCreate(int width, int height) {
  CreateControls();
  slide_ = CreateSendSlide(hwnd_, RECT{0, height - SEND_SLIDE_HEIGHT, width, height}, context_.skin);
  PlaceBars(width, height);
  button_.Reset(context_.skin.Button());
  buttonPressed_.Reset(context_.skin.ButtonPressed());
  flags_ = ComposeFlags{};
  UpdateCounter(0);
}

void SendView::CreateControls() {
  auto make = [this](const WCHAR* cls, const WCHAR* text, DWORD style, int id) {
    return CreateWindowExW(0, cls, text, style, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  };
  HWND text = make(u"EDIT", u"", kTextStyle, IDC_TEXT);
  HWND sender = make(u"EDIT", u"나", kLineStyle, IDC_SENDER);
  HWND recipient = make(u"EDIT", u"", kLineStyle, IDC_RECIPIENT);
  make(u"BUTTON", u"보낼사람", kControlStyle, IDC_SENDER_BUTTON);
  make(u"BUTTON", u"받는사람", kControlStyle, IDC_RECIPIENT_BUTTON);
  // What the user sees is what is sent: nothing past what a send reads.
  SendMessageW(text, EM_LIMITTEXT, kTextFieldChars, 0);
  SendMessageW(recipient, EM_LIMITTEXT, kRecipientFieldChars, 0);
  SendMessageW(sender, EM_LIMITTEXT, kCallbackFieldChars - 1, 0);
  EnableWindow(sender, FALSE);
  SubclassTextField(text, parlo::CreateViewFont(textFont_, 15));
}

void SendView::PlaceBars(int width, int height) {
  topBar_ = RECT{0, 0, width, kTopBarHeight};
  back_ = parlo::ShrinkRect(RECT{width - 80, 0, width, kTopBarHeight}, parlo::ScaleX(1), parlo::ScaleY(1));
  if (slide_) MoveWindow(slide_, 0, height - SEND_SLIDE_HEIGHT, width, SEND_SLIDE_HEIGHT, FALSE);
}

void SendView::OnDestroy() {
  button_.Reset();
  buttonPressed_.Reset();
  slide_ = nullptr;
}

LRESULT SendView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_SIZE:
      PlaceBars(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_LBUTTONDOWN:
      OnPress(point);
      return 0;
    case WM_LBUTTONUP:
      OnRelease(point);
      return 0;
    case UM_RECOUNT:
      UpdateCounter(static_cast<int>(wParam));
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case ID_COMPOSE_CLOSE:
          // The argument is lParam: non-zero goes on to the contact picker.
          Close(lParam != 0);
          return 0;
        case ID_SEND:
          Send();
          return 0;
        default:
          OnControl(LOWORD(wParam), HIWORD(wParam));
          return 0;
      }
  }
  return FrameView::OnMessage(message, wParam, lParam);
}

void SendView::OnControl(int id, int code) {
  switch (id) {
    case IDC_TEXT:
      if (code == EN_SETFOCUS) SwitchInputMode(Control(id), true);
      break;
    case IDC_SENDER:
      if (code == EN_SETFOCUS) SwitchInputMode(Control(id), false);
      break;
    case IDC_RECIPIENT:
      if (code == EN_SETFOCUS) {
        SwitchInputMode(Control(id), false);
      } else if (code == EN_CHANGE && flags_.initialised) {
        // Edited by hand: a number the user types, no longer the answered sender or a contact.
        flags_.replySource = false;
        flags_.picked = false;
        EmptyGroupList();
      }
      break;
    case IDC_SENDER_BUTTON:
      if (code == BN_CLICKED) {
        flags_.senderEnabled = !flags_.senderEnabled;
        EnableWindow(Control(IDC_SENDER), flags_.senderEnabled);
      }
      break;
    case IDC_RECIPIENT_BUTTON:
      if (code == BN_CLICKED) {
        flags_.mmsDeclined = false;
        SendMessageW(hwnd_, WM_COMMAND, ID_COMPOSE_CLOSE, 1);
      }
      break;
  }
}

void SendView::Close(bool towardsContacts) {
  SipShowIM(SIPF_OFF);
  SendToFrame(towardsContacts ? UM_SHOWCONTACTS : UM_SHOWLIST, 0, 0);
}

// ---- The top bar ----

void SendView::PaintView(HDC dc, int width, int height) {
  RECT all{0, 0, width, height};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  if (HBITMAP button = flags_.backPressed ? buttonPressed_.Get() : button_.Get())
    TransparentImage(dc, back_.left + 20, back_.top + 10, 40, 40, button, 0, 0, 62, 62, RGB(0xFF, 0xFF, 0xFF));
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  RECT bar = topBar_;
  DrawTextW(dc, counter_.c_str(), -1, &bar, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  SetBkMode(dc, oldMode);
}

void SendView::OnPress(POINT p) {
  if (!parlo::Contains(back_, p)) return;
  SetCapture(hwnd_);
  flags_.backPressed = true;
  Invalidate(back_);
}

void SendView::OnRelease(POINT p) {
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!flags_.backPressed) return;
  flags_.backPressed = false;
  Invalidate(back_);
  if (!parlo::Contains(back_, p)) return;
  flags_.mmsDeclined = false;
  SendMessageW(hwnd_, WM_COMMAND, ID_COMPOSE_CLOSE, 0);
}

// ---- Counting ----

void SendView::UpdateCounter(int extra) {
  const ComposeCount count = CountComposed(FieldText(IDC_TEXT, kTextFieldChars), extra);
  // Keys still reach the text field under the question; they only recount.
  if (!flags_.mmsDeclined && !asking_ && count.bytes >= kMmsQuestionBytes) {
    asking_ = true;
    const int answer = MessageBoxW(hwnd_, u"MMS로 전환하겠습니까?", u"확인", MB_OKCANCEL);
    asking_ = false;
    flags_.mmsDeclined = answer != IDOK;
    if (answer == IDOK) LaunchMmsComposer();
  }
  counter_ = CounterText(count);
  if (hwnd_) Invalidate(topBar_);
}

void SendView::LaunchMmsComposer() { StartMmsHandOver(hwnd_, Control(IDC_TEXT), mmsLaunch_); }

std::u16string SendView::FieldText(int id, int limit) const {
  HWND field = Control(id);
  if (!field) return {};
  std::u16string text(static_cast<size_t>(limit) + 1, u'\0');
  const LRESULT length = SendMessageW(field, WM_GETTEXT, static_cast<WPARAM>(limit) + 1,
                                      reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

}  // namespace compose
