#include "compose/compose_layout.h"

#include "draw/dpi.h"

namespace compose {

ComposeLayout LayOutCompose(const RECT& area, int dpiX, int dpiY) {
  auto x = [dpiX](int v) { return parlo::ScaleForDpi(v, dpiX); };
  auto y = [dpiY](int v) { return parlo::ScaleForDpi(v, dpiY); };
  ComposeLayout l;
  l.text = RECT{area.left + x(2), area.top + y(2) + kTopBarHeight, area.right - x(2), area.bottom - y(2) - y(48)};
  const RECT& t = l.text;
  l.sender = RECT{t.left + x(60), t.bottom + y(2), t.right, t.bottom + y(24)};
  l.recipient = RECT{l.sender.left, l.sender.bottom + y(2), t.right, l.sender.bottom + y(24)};
  l.senderButton = RECT{t.left, t.bottom + y(2), t.left + x(58), t.bottom + y(24)};
  l.recipientButton = RECT{t.left, l.sender.bottom + y(2), t.left + x(58), l.sender.bottom + y(24)};
  return l;
}

}  // namespace compose
