// Dialogs from dialog resources: the window, its controls laid out in dialog units of the
// dialog's font, the dialog procedure with WM_INITDIALOG, and the modal loop of DialogBox.
#include <algorithm>
#include <map>
#include <memory>

#include "platform/ui/controls.h"
#include "platform/ui/modal.h"
#include "platform/ui/resources.h"
#include "platform/ui/ui_state.h"

namespace platform::ui {
namespace {

constexpr LPCWSTR kClassName = u"Dialog";  // the system's dialog class on the phone

struct DialogState {
  HWND hwnd = nullptr;
  DLGPROC proc = nullptr;
  std::unique_ptr<UiFont> font;
  int baseX = 4, baseY = 8;  // dialog base units of the font, in pixels
  int captionH = 0;
  std::u16string caption;
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  bool okPressed = false;
};

std::map<HWND, std::shared_ptr<DialogState>>& Dialogs() {
  static std::map<HWND, std::shared_ptr<DialogState>> dialogs;
  return dialogs;
}

std::vector<DialogState*>& ModalStack() {
  static std::vector<DialogState*> stack;
  return stack;
}

DialogState* StateOf(HWND hwnd) {
  auto it = Dialogs().find(hwnd);
  return it == Dialogs().end() ? nullptr : it->second.get();
}

RECT OkButtonRect(HWND hwnd, const DialogState* d) {
  RECT client{};
  GetClientRect(hwnd, &client);
  int w = Px(36);
  return RECT{client.right - w - Px(4), Px(3), client.right - Px(4), d->captionH - Px(3)};
}

void PaintFrame(HWND hwnd, HDC dc, DialogState* d) {
  RECT client{};
  GetClientRect(hwnd, &client);
  FillSolid(dc, client, RGB(0xFF, 0xFF, 0xFF));
  if (!d->captionH) return;
  RECT bar{0, 0, client.right, d->captionH};
  FillSolid(dc, bar, RGB(0x1F, 0x4E, 0x8C));
  UiFont bold(12, true);
  HGDIOBJ old = SelectObject(dc, bold.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xFF, 0xFF, 0xFF));
  RECT text{Px(8), 0, client.right - Px(48), d->captionH};
  DrawTextW(dc, d->caption.c_str(), static_cast<int>(d->caption.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  if (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_CAPTIONOKBTN) {
    RECT ok = OkButtonRect(hwnd, d);
    if (d->okPressed) FillSolid(dc, ok, RGB(0x10, 0x30, 0x60));
    FrameSolid(dc, ok, RGB(0xFF, 0xFF, 0xFF), std::max(1, Px(1)));
    DrawTextW(dc, u"ok", 2, &ok, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  }
  SelectObject(dc, old);
}

// Messages whose answer is the procedure's own return value rather than DWL_MSGRESULT.
bool ReturnsDirectly(UINT msg) {
  return msg == WM_INITDIALOG || msg == WM_CTLCOLORMSGBOX || msg == WM_CTLCOLOREDIT ||
         msg == WM_CTLCOLORLISTBOX || msg == WM_CTLCOLORBTN || msg == WM_CTLCOLORDLG ||
         msg == WM_CTLCOLORSCROLLBAR || msg == WM_CTLCOLORSTATIC;
}

LRESULT CALLBACK DialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // Held here so a procedure that destroys its own dialog does not pull the state away.
  auto it = Dialogs().find(hwnd);
  std::shared_ptr<DialogState> d = it == Dialogs().end() ? nullptr : it->second;
  if (d && d->proc) {
    SetWindowLongW(hwnd, DWL_MSGRESULT, 0);
    INT_PTR r = d->proc(hwnd, msg, wParam, lParam);
    if (r) return ReturnsDirectly(msg) ? r : GetWindowLongW(hwnd, DWL_MSGRESULT);
  }
  return DefDlgProcW(hwnd, msg, wParam, lParam);
}

void RegisterDialogClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = DialogWndProc;
  wc.cbWndExtra = DLGWINDOWEXTRA;
  wc.lpszClassName = kClassName;
  registered = RegisterClassW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void MeasureBaseUnits(DialogState* d) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, d->font->get());
  static const char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE sz{};
  TEXTMETRICW tm{};
  if (GetTextExtentPoint32W(dc, kAlphabet, 52, &sz) && sz.cx > 0) d->baseX = (sz.cx / 26 + 1) / 2;
  if (GetTextMetricsW(dc, &tm) && tm.tmHeight > 0) d->baseY = tm.tmHeight;
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
}

RECT ToPixels(const DialogState* d, int x, int y, int cx, int cy) {
  return RECT{MulDivInt(x, d->baseX, 4), MulDivInt(y, d->baseY, 8), MulDivInt(x + cx, d->baseX, 4),
              MulDivInt(y + cy, d->baseY, 8)};
}

HWND FirstTabStop(HWND dialog) {
  for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    LONG_PTR style = GetWindowLongW(c, GWL_STYLE);
    if ((style & WS_TABSTOP) && !(style & WS_DISABLED) && (style & WS_VISIBLE)) return c;
  }
  return nullptr;
}

HWND CreateFromTemplate(HINSTANCE instance, const DialogTemplate& t, HWND parent, DLGPROC proc, LPARAM init,
                        std::shared_ptr<DialogState> d) {
  RegisterSystemClasses();
  RegisterDialogClass();
  d->proc = proc;
  d->caption = t.caption;
  d->font = t.fontFace.empty() ? std::make_unique<UiFont>(12) : std::make_unique<UiFont>(t.fontFace.c_str(), t.pointSize, false);
  MeasureBaseUnits(d.get());
  d->captionH = (t.style & WS_CAPTION) == WS_CAPTION ? Px(26) : 0;
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  // The substitute face is wider than the one the dialog was designed with; shrink the units
  // so the whole dialog still fits the screen rather than letting controls run off it.
  if (t.cx > 0 && MulDivInt(t.cx, d->baseX, 4) > screenW) d->baseX = std::max(1, screenW * 4 / t.cx);
  if (t.cy > 0 && MulDivInt(t.cy, d->baseY, 8) + d->captionH > screenH)
    d->baseY = std::max(1, (screenH - d->captionH) * 8 / t.cy);

  RECT r = ToPixels(d.get(), t.x, t.y, t.cx, t.cy);
  int w = std::min<int>(r.right - r.left, screenW);
  int h = std::min<int>(r.bottom - r.top + d->captionH, screenH);
  int x = r.left, y = r.top;
  if ((t.style & DS_CENTER) || !(t.style & DS_ABSALIGN) || !(t.style & WS_CHILD)) {
    x = (screenW - w) / 2;
    y = (screenH - h) / 2;
  }
  HWND owner = parent;
  if (parent && !(t.style & WS_CHILD)) {
    HWND root = GetAncestor(parent, GA_ROOT);
    if (root) owner = root;
  }
  HWND hwnd = CreateWindowExW(t.exStyle, kClassName, t.caption.c_str(), t.style & ~WS_VISIBLE, x, y, w, h, owner,
                              nullptr, instance, nullptr);
  if (!hwnd) return nullptr;
  d->hwnd = hwnd;
  Dialogs()[hwnd] = d;

  for (const DialogItemTemplate& item : t.items) {
    RECT c = ToPixels(d.get(), item.x, item.y, item.cx, item.cy);
    HWND control = CreateWindowExW(item.exStyle, item.className.c_str(), item.text.c_str(), item.style | WS_CHILD,
                                   c.left, c.top + d->captionH, c.right - c.left, c.bottom - c.top, hwnd,
                                   reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), instance, nullptr);
    if (!control) {
      DestroyWindow(hwnd);
      return nullptr;
    }
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(d->font->get()), FALSE);
    if (item.textResourceId && (item.style & SS_TYPEMASK) == SS_ICON)
      SendMessageW(control, STM_SETICON,
                   reinterpret_cast<WPARAM>(LoadIconW(instance, MAKEINTRESOURCEW(item.textResourceId))), 0);
  }

  HWND focus = FirstTabStop(hwnd);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(d->font->get()), FALSE);
  if (!IsWindow(hwnd)) return nullptr;
  // A procedure that answers TRUE lets the system put the focus on the first tab stop.
  if (SendMessageW(hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), init) && IsWindow(hwnd))
    SetFocus(focus ? focus : hwnd);
  if (!IsWindow(hwnd)) return nullptr;
  return hwnd;
}

const DialogTemplate* FindTemplate(HINSTANCE instance, LPCWSTR name, std::shared_ptr<const ResourceSet>* keep) {
  WORD id = 0;
  if (!ResourceOrdinal(name, &id)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  *keep = ResourcesFor(instance);
  auto it = (*keep)->dialogs.find(id);
  if (it == (*keep)->dialogs.end()) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return &it->second;
}

}  // namespace

std::optional<DialogInfo> CurrentDialog() {
  auto& stack = ModalStack();
  for (auto it = stack.rbegin(); it != stack.rend(); ++it)
    if (!(*it)->ended && (*it)->hwnd) {
      HWND hwnd = (*it)->hwnd;
      DialogInfo info{hwnd, (*it)->caption, std::nullopt};
      if (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_CAPTIONOKBTN)
        info.okButton = ToScreen(hwnd, OkButtonRect(hwnd, *it));
      return info;
    }
  return std::nullopt;
}

}  // namespace platform::ui

using namespace platform::ui;

LRESULT DefDlgProcW(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DialogState* d = StateOf(hwnd);
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc && d) PaintFrame(hwnd, dc, d);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (d && (static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE)) & WS_EX_CAPTIONOKBTN) &&
          PointIn(OkButtonRect(hwnd, d), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
        d->okPressed = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (d && d->okPressed) {
        d->okPressed = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        if (PointIn(OkButtonRect(hwnd, d), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
          SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_ESCAPE) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
      if (wParam == VK_RETURN) SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
      return 0;
    case WM_CLOSE:
      SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
      return 0;
    case WM_GETDLGCODE:
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_NCDESTROY: {
      LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
      if (d) {
        d->ended = true;
        d->hwnd = nullptr;
        Dialogs().erase(hwnd);  // the modal caller still holds the state
      }
      return r;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  DialogState* d = StateOf(dialog);
  if (!d) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  d->ended = true;
  d->result = result;
  if (d->modal)
    PostMessageW(dialog, WM_NULL, 0, 0);  // wakes the loop; the caller destroys the window
  else
    ShowWindow(dialog, SW_HIDE);
  return TRUE;
}

HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM init) {
  std::shared_ptr<const ResourceSet> keep;
  const DialogTemplate* t = FindTemplate(instance, name, &keep);
  if (!t) return nullptr;
  auto d = std::make_shared<DialogState>();
  HWND hwnd = CreateFromTemplate(instance, *t, parent, proc, init, d);
  if (hwnd && (t->style & WS_VISIBLE) && !d->ended) {
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
  }
  return hwnd;
}

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND parent, DLGPROC proc, LPARAM init) {
  if (parent && !IsWindow(parent)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  std::shared_ptr<const ResourceSet> keep;
  const DialogTemplate* t = FindTemplate(instance, name, &keep);
  if (!t) return -1;
  auto d = std::make_shared<DialogState>();
  d->modal = true;
  OwnerDisabler disabler(parent);
  HWND previousFocus = GetFocus();
  HWND hwnd = CreateFromTemplate(instance, *t, parent, proc, init, d);
  if (!hwnd) return d->ended ? d->result : -1;
  ModalStack().push_back(d.get());
  if (!d->ended) {
    ShowWindow(hwnd, SW_SHOW);
    SetActiveWindow(hwnd);
    if (!GetFocus() || !IsChild(hwnd, GetFocus())) SetFocus(hwnd);
    UpdateWindow(hwnd);
    RunModalLoop(hwnd, [&] { return d->ended; }, [&](const MSG& msg) { return IsDialogMessageW(hwnd, const_cast<MSG*>(&msg)) != FALSE; });
  }
  auto& stack = ModalStack();
  stack.erase(std::find(stack.begin(), stack.end(), d.get()));
  disabler.Restore();
  if (d->hwnd) DestroyWindow(hwnd);
  if (previousFocus && IsWindow(previousFocus)) SetFocus(previousFocus);
  return d->result;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (!msg || !dialog || !StateOf(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message != WM_KEYDOWN) return FALSE;
  if (msg->hwnd != dialog) {
    LRESULT code = SendMessageW(msg->hwnd, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
    if (code & DLGC_WANTALLKEYS) return FALSE;
  }
  if (msg->wParam == VK_ESCAPE) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    return TRUE;
  }
  if (msg->wParam == VK_RETURN) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    return TRUE;
  }
  return FALSE;
}

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextW(item, text) : FALSE;
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int cchMax) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (text && cchMax > 0) text[0] = 0;
    return 0;
  }
  int n = GetWindowTextW(item, text, cchMax);
  return n > 0 ? static_cast<UINT>(n) : 0;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageW(item, message, wParam, lParam) : 0;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  DialogState* d = StateOf(dialog);
  if (!d || !rect) return FALSE;
  *rect = RECT{MulDivInt(rect->left, d->baseX, 4), MulDivInt(rect->top, d->baseY, 8),
               MulDivInt(rect->right, d->baseX, 4), MulDivInt(rect->bottom, d->baseY, 8)};
  return TRUE;
}

LONG GetDialogBaseUnits() {
  DialogState probe;
  probe.font = std::make_unique<UiFont>(12);
  MeasureBaseUnits(&probe);
  return MAKELONG(probe.baseX, probe.baseY);
}
