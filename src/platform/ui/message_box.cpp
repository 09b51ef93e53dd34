// MessageBoxW: a modal box with a caption, word-wrapped text and a row of buttons, drawn by
// the platform. Boxes nest; automation sees and answers the innermost one.
#include <algorithm>
#include <mutex>

#include "platform/ui/modal.h"
#include "platform/ui/ui_state.h"

namespace platform::ui {
namespace {

constexpr LPCWSTR kClassName = u"MessageBox";

struct BoxState {
  HWND hwnd = nullptr;
  MessageBoxInfo info;
  std::vector<RECT> buttons;  // client coordinates
  RECT caption{}, text{}, icon{};
  int defaultIndex = 0;
  int escapeId = 0;  // 0: the key does nothing
  int pressed = -1;
  bool done = false;
  int result = 0;
};

struct Boxes {
  std::vector<BoxState*> open;  // innermost last
  std::vector<MessageBoxInfo> log;
  std::function<int(const MessageBoxInfo&)> autoAnswer;
};

Boxes& TheBoxes() {
  static Boxes boxes;
  return boxes;
}

struct ButtonDef {
  int id;
  const char16_t* label;
};

std::vector<ButtonDef> ButtonsFor(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, u"확인"}, {IDCANCEL, u"취소"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"중단"}, {IDRETRY, u"다시 시도"}, {IDIGNORE, u"무시"}};
    case MB_YESNOCANCEL: return {{IDYES, u"예"}, {IDNO, u"아니요"}, {IDCANCEL, u"취소"}};
    case MB_YESNO: return {{IDYES, u"예"}, {IDNO, u"아니요"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"다시 시도"}, {IDCANCEL, u"취소"}};
    default: return {{IDOK, u"확인"}};
  }
}

// Escape (the phone's back key) answers Cancel when there is one, else No, else a lone OK.
int EscapeIdFor(const std::vector<int>& ids) {
  for (int want : {IDCANCEL, IDNO})
    if (std::find(ids.begin(), ids.end(), want) != ids.end()) return want;
  return ids.size() == 1 && ids[0] == IDOK ? IDOK : 0;
}

COLORREF IconColor(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return RGB(0xD0, 0x30, 0x30);
    case MB_ICONEXCLAMATION: return RGB(0xE8, 0xB0, 0x20);
    case MB_ICONQUESTION:
    case MB_ICONASTERISK: return RGB(0x30, 0x70, 0xC8);
    default: return CLR_INVALID;
  }
}

void Finish(BoxState* box, int id) {
  if (box->done) return;
  box->done = true;
  box->result = id;
  if (box->hwnd) PostMessageW(box->hwnd, WM_NULL, 0, 0);  // wakes the loop to see it
}

// Lays the box out centred on the screen; returns its window rectangle.
RECT Layout(BoxState* box) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const int margin = Px(8), pad = Px(8), captionH = Px(22), buttonH = Px(28), gap = Px(8);
  const int width = std::max(Px(120), screenW - 2 * margin);
  const bool hasIcon = IconColor(box->info.type) != CLR_INVALID;
  const int iconSize = hasIcon ? Px(24) : 0;

  HDC dc = GetDC(nullptr);
  UiFont font(12);
  HGDIOBJ old = SelectObject(dc, font.get());
  int textLeft = pad + (hasIcon ? iconSize + pad : 0);
  RECT text{textLeft, captionH + pad, width - pad, captionH + pad};
  if (!box->info.text.empty())
    DrawTextW(dc, box->info.text.c_str(), static_cast<int>(box->info.text.size()), &text,
              DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  text.right = width - pad;
  int textBottom = std::max<int>(text.bottom, captionH + pad + iconSize);
  int maxTextBottom = screenH - 2 * margin - buttonH - 2 * pad;
  text.bottom = std::min(textBottom, maxTextBottom);

  const size_t n = box->info.buttons.size();
  int buttonW = Px(72);
  for (const auto& label : box->info.buttons) {
    SIZE sz{};
    GetTextExtentPoint32W(dc, label.c_str(), static_cast<int>(label.size()), &sz);
    buttonW = std::max<int>(buttonW, sz.cx + 2 * pad);
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);

  int rowW = static_cast<int>(n) * buttonW + static_cast<int>(n - 1) * gap;
  if (rowW > width - 2 * pad) {
    buttonW = (width - 2 * pad - static_cast<int>(n - 1) * gap) / static_cast<int>(n);
    rowW = static_cast<int>(n) * buttonW + static_cast<int>(n - 1) * gap;
  }
  int top = text.bottom + pad;
  int x = (width - rowW) / 2;
  box->buttons.clear();
  for (size_t i = 0; i < n; ++i, x += buttonW + gap) box->buttons.push_back(RECT{x, top, x + buttonW, top + buttonH});
  int height = top + buttonH + pad;

  box->caption = RECT{0, 0, width, captionH};
  box->text = text;
  box->icon = RECT{pad, captionH + pad, pad + iconSize, captionH + pad + iconSize};
  int left = (screenW - width) / 2, boxTop = std::max(0, (screenH - height) / 2);
  return RECT{left, boxTop, left + width, boxTop + height};
}

void Paint(BoxState* box, HDC dc) {
  RECT client{};
  GetClientRect(box->hwnd, &client);
  FillSolid(dc, client, RGB(0xFF, 0xFF, 0xFF));
  FillSolid(dc, box->caption, RGB(0x1F, 0x4E, 0x8C));
  FrameSolid(dc, client, RGB(0x40, 0x40, 0x40), std::max(1, Px(1)));

  SetBkMode(dc, TRANSPARENT);
  {
    UiFont bold(12, true);
    HGDIOBJ old = SelectObject(dc, bold.get());
    SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
    RECT r = box->caption;
    r.left += Px(8);
    r.right -= Px(8);
    DrawTextW(dc, box->info.caption.c_str(), static_cast<int>(box->info.caption.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, old);
  }

  COLORREF iconColor = IconColor(box->info.type);
  if (iconColor != CLR_INVALID) {
    HBRUSH brush = CreateSolidBrush(iconColor);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, box->icon.left, box->icon.top, box->icon.right, box->icon.bottom);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    int cx = (box->icon.left + box->icon.right) / 2, w = std::max(1, Px(2));
    FillSolid(dc, RECT{cx - w, box->icon.top + Px(5), cx + w, box->icon.bottom - Px(9)}, RGB(0xFF, 0xFF, 0xFF));
    FillSolid(dc, RECT{cx - w, box->icon.bottom - Px(7), cx + w, box->icon.bottom - Px(5)}, RGB(0xFF, 0xFF, 0xFF));
  }

  UiFont font(12);
  HGDIOBJ old = SelectObject(dc, font.get());
  SetTextColor(dc, RGB(0, 0, 0));
  RECT text = box->text;
  DrawTextW(dc, box->info.text.c_str(), static_cast<int>(box->info.text.size()), &text,
            DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  for (size_t i = 0; i < box->buttons.size(); ++i) {
    RECT b = box->buttons[i];
    bool pressed = box->pressed == static_cast<int>(i);
    FillSolid(dc, b, pressed ? RGB(0x1F, 0x4E, 0x8C) : RGB(0xE8, 0xE8, 0xE8));
    FrameSolid(dc, b, static_cast<int>(i) == box->defaultIndex ? RGB(0x1F, 0x4E, 0x8C) : RGB(0x80, 0x80, 0x80),
               std::max(1, Px(1)));
    SetTextColor(dc, pressed ? RGB(0xFF, 0xFF, 0xFF) : RGB(0, 0, 0));
    const std::u16string& label = box->info.buttons[i];
    DrawTextW(dc, label.c_str(), static_cast<int>(label.size()), &b, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  }
  SelectObject(dc, old);
}

int ButtonAt(BoxState* box, int x, int y) {
  for (size_t i = 0; i < box->buttons.size(); ++i)
    if (PointIn(box->buttons[i], x, y)) return static_cast<int>(i);
  return -1;
}

LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<BoxState*>(GetWindowLongW(hwnd, GWL_USERDATA));
  if (msg == WM_CREATE) {
    box = static_cast<BoxState*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    box->hwnd = hwnd;
    SetWindowLongW(hwnd, GWL_USERDATA, reinterpret_cast<LONG_PTR>(box));
    return 0;
  }
  if (!box) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) Paint(box, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN: {
      box->pressed = ButtonAt(box, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      if (box->pressed >= 0) {
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      int pressed = box->pressed;
      box->pressed = -1;
      if (GetCapture() == hwnd) ReleaseCapture();
      if (pressed < 0) return 0;
      InvalidateRect(hwnd, nullptr, FALSE);
      // A finger that slides off the button before lifting takes the tap back.
      if (ButtonAt(box, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)) == pressed) Finish(box, box->info.buttonIds[pressed]);
      return 0;
    }
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        Finish(box, box->info.buttonIds[box->defaultIndex]);
      } else if (wParam == VK_ESCAPE && box->escapeId) {
        Finish(box, box->escapeId);
      } else if (wParam == VK_LEFT || wParam == VK_RIGHT) {
        int n = static_cast<int>(box->buttons.size());
        box->defaultIndex = (box->defaultIndex + (wParam == VK_RIGHT ? 1 : n - 1)) % n;
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_CLOSE:
      if (box->escapeId) Finish(box, box->escapeId);
      return 0;
    case WM_DESTROY:
      // Destroyed from outside (its owner went away): the box ends as if cancelled.
      Finish(box, box->escapeId ? box->escapeId : box->info.buttonIds.back());
      box->hwnd = nullptr;
      SetWindowLongW(hwnd, GWL_USERDATA, 0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterBoxClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = BoxProc;
  wc.lpszClassName = kClassName;
  registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

std::optional<MessageBoxInfo> CurrentMessageBox() {
  Boxes& b = TheBoxes();
  for (auto it = b.open.rbegin(); it != b.open.rend(); ++it)
    if (!(*it)->done) return (*it)->info;
  return std::nullopt;
}

bool AnswerMessageBox(int id) {
  Boxes& b = TheBoxes();
  for (auto it = b.open.rbegin(); it != b.open.rend(); ++it) {
    BoxState* box = *it;
    if (box->done) continue;
    const auto& ids = box->info.buttonIds;
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) return false;
    Finish(box, id);
    return true;
  }
  return false;
}

void SetMessageBoxAutoAnswer(std::function<int(const MessageBoxInfo&)> answer) { TheBoxes().autoAnswer = std::move(answer); }
std::vector<MessageBoxInfo> MessageBoxLog() { return TheBoxes().log; }
void ClearMessageBoxLog() { TheBoxes().log.clear(); }

}  // namespace platform::ui

using namespace platform::ui;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  if (owner && !IsWindow(owner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  BoxState box;
  box.info.caption = caption ? caption : u"오류";
  box.info.text = text ? text : u"";
  box.info.type = type;
  for (const ButtonDef& s : ButtonsFor(type)) {
    box.info.buttons.push_back(s.label);
    box.info.buttonIds.push_back(s.id);
  }
  int def = static_cast<int>((type & MB_DEFMASK) >> 8);
  box.defaultIndex = def < static_cast<int>(box.info.buttons.size()) ? def : 0;
  box.escapeId = EscapeIdFor(box.info.buttonIds);

  Boxes& boxes = TheBoxes();
  RECT at = Layout(&box);
  for (const RECT& r : box.buttons)
    box.info.buttonRects.push_back(RECT{r.left + at.left, r.top + at.top, r.right + at.left, r.bottom + at.top});
  boxes.log.push_back(box.info);
  if (boxes.autoAnswer) {
    int answer = boxes.autoAnswer(box.info);
    const auto& ids = box.info.buttonIds;
    if (std::find(ids.begin(), ids.end(), answer) != ids.end()) return answer;
  }

  RegisterBoxClass();
  OwnerDisabler disabler(owner);
  HWND previousFocus = GetFocus();
  HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, kClassName, box.info.caption.c_str(), WS_POPUP, at.left, at.top,
                              at.right - at.left, at.bottom - at.top, disabler.owner() ? disabler.owner() : owner,
                              nullptr, nullptr, &box);
  if (!hwnd) return 0;
  box.info.hwnd = hwnd;
  boxes.open.push_back(&box);
  ShowWindow(hwnd, SW_SHOW);
  if (type & MB_SETFOREGROUND) SetForegroundWindow(hwnd);
  SetActiveWindow(hwnd);
  SetFocus(hwnd);
  UpdateWindow(hwnd);

  bool ended = RunModalLoop(hwnd, [&] { return box.done; });
  if (!ended && !box.done) box.result = box.escapeId ? box.escapeId : box.info.buttonIds.back();

  // The owner comes back before the box goes, so activation can return to it.
  disabler.Restore();
  boxes.open.erase(std::find(boxes.open.begin(), boxes.open.end(), &box));
  if (box.hwnd) DestroyWindow(hwnd);
  if (previousFocus && IsWindow(previousFocus)) SetFocus(previousFocus);
  return box.result;
}

BOOL MessageBeep(UINT) { return TRUE; }
