// The compose view above the input panel: the fields end where the panel begins, so what the
// user types stays in sight.
#include <aygshell.h>
#include <sipapi.h>

#include <algorithm>

#include "compose/send_view.h"
#include "draw/dpi.h"

namespace compose {

void SendView::ShowComposeInput() {
  // The focus first: the text field switches the input method to Hangul, so the panel comes
  // up with the Hangul keys rather than changing to them afterwards.
  SetFocus(Control(IDC_TEXT));
  SipShowIM(SIPF_ON);
  RECT area{};
  GetClientRect(hwnd_, &area);
  SIPINFO info{};
  info.cbSize = sizeof info;
  if (SHSipInfo(SPI_GETSIPINFO, 0, &info, 0) && (info.fdwFlags & SIPF_ON)) {
    POINT top{info.rcSipRect.left, info.rcSipRect.top};
    ScreenToClient(hwnd_, &top);
    area.bottom = std::min<LONG>(area.bottom, top.y);
  }
  layout_ = LayOutCompose(area, parlo::ScreenDpi(parlo::DpiAxis::Horizontal),
                          parlo::ScreenDpi(parlo::DpiAxis::Vertical));
  const std::pair<int, RECT> places[] = {{IDC_TEXT, layout_.text},
                                         {IDC_SENDER, layout_.sender},
                                         {IDC_RECIPIENT, layout_.recipient},
                                         {IDC_SENDER_BUTTON, layout_.senderButton},
                                         {IDC_RECIPIENT_BUTTON, layout_.recipientButton}};
  // Moved without a paint each; one paint afterwards covers the view and every field at once,
  // so nothing stays drawn where a field was before.
  for (const auto& [id, r] : places) {
    if (HWND control = Control(id)) {
      MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
      InvalidateRect(control, nullptr, FALSE);
    }
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
}

}  // namespace compose
