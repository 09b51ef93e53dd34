// EDIT: single- and multi-line text fields. Editing itself is EditBuffer's; this turns messages
// into edits, keeps the caret in view, and tells the parent (EN_* through WM_COMMAND).
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/edit_state.h"
#include "platform/ui/ime.h"
#include "platform/ui/modal.h"

namespace platform::ui {
namespace {

constexpr UINT_PTR kBlinkTimer = 0xEDC0;  // the caret's own timer, out of the program's range
constexpr UINT kBlinkMs = 500;

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }
bool MultiLine(HWND hwnd) { return (StyleOf(hwnd) & ES_MULTILINE) != 0; }
EditState* StateOf(HWND hwnd) { return reinterpret_cast<EditState*>(GetWindowLongW(hwnd, 0)); }

void Notify(HWND hwnd, WORD code) {
  HWND parent = GetParent(hwnd);
  if (parent) SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

void Layout(HWND hwnd, EditState& s) {
  RECT area = EditTextArea(hwnd);
  HDC dc = GetDC(hwnd);
  HGDIOBJ old = s.font ? SelectObject(dc, s.font) : nullptr;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  auto measure = [dc](const std::u16string& text) {
    std::vector<int> dx(text.size()), adv(text.size());
    if (!text.empty())
      GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.size()), 0x7FFFFFFF, nullptr, dx.data(), nullptr);
    for (size_t i = 0; i < dx.size(); ++i) adv[i] = dx[i] - (i ? dx[i - 1] : 0);
    return adv;
  };
  s.buffer.Layout(measure, area.right - area.left, tm.tmHeight, s.composition);
  if (old) SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
}

// The caret's place in the shown text: after the composition, if there is one.
int ShownCaret(const EditState& s) { return s.buffer.caret() + static_cast<int>(s.composition.size()); }

void ScrollToCaret(HWND hwnd, EditState& s) {
  RECT area = EditTextArea(hwnd);
  int caret = ShownCaret(s);
  if (MultiLine(hwnd)) {
    int visible = std::max(1, static_cast<int>((area.bottom - area.top) / s.buffer.lineHeight()));
    int row = s.buffer.RowOf(caret);
    int rows = static_cast<int>(s.buffer.rows().size());
    if (StyleOf(hwnd) & ES_AUTOVSCROLL) {
      if (row < s.firstRow) s.firstRow = row;
      if (row >= s.firstRow + visible) s.firstRow = row - visible + 1;
    }
    s.firstRow = std::clamp(s.firstRow, 0, std::max(0, rows - visible));
    if (row < s.firstRow) s.firstRow = row;
  } else {
    int width = area.right - area.left, x = s.buffer.XOf(caret);
    if (x < s.scrollX) s.scrollX = std::max(0, x - width / 3);
    if (x >= s.scrollX + width) s.scrollX = x - width + width / 3;
  }
}

// After anything that changes what is shown: lay out, follow the caret, show it lit, repaint.
void Refresh(HWND hwnd, EditState& s) {
  Layout(hwnd, s);
  ScrollToCaret(hwnd, s);
  s.caretOn = true;
  if (GetFocus() == hwnd) SetTimer(hwnd, kBlinkTimer, kBlinkMs, nullptr);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void Changed(HWND hwnd, EditState& s, bool notify = true) {
  s.modified = true;
  Refresh(hwnd, s);
  if (notify) Notify(hwnd, EN_CHANGE);
}

// Moving the caret or changing the text under it ends the syllable being composed (CPS_COMPLETE);
// replacing all the text drops it (CPS_CANCEL).
void EndComposition(HWND hwnd, DWORD how) {
  HIMC himc = ImmGetContext(hwnd);
  ImmNotifyIME(himc, NI_COMPOSITIONSTR, how, 0);
  ImmReleaseContext(hwnd, himc);
}
void CommitComposition(HWND hwnd) { EndComposition(hwnd, CPS_COMPLETE); }

bool Editable(HWND hwnd) { return !(StyleOf(hwnd) & (ES_READONLY | WS_DISABLED)); }

POINT ToLayout(HWND hwnd, const EditState& s, LPARAM lParam) {
  RECT area = EditTextArea(hwnd);
  int x = static_cast<short>(LOWORD(lParam)) - area.left, y = static_cast<short>(HIWORD(lParam)) - area.top;
  if (MultiLine(hwnd)) y += s.firstRow * s.buffer.lineHeight();
  else x += s.scrollX;
  return POINT{std::max(0, x), y};
}

// The finger on the scroll bar: the thumb centres on it.
void ScrollToFinger(HWND hwnd, EditState& s, LPARAM lParam) {
  RECT bar = EditScrollBar(hwnd);
  RECT area = EditTextArea(hwnd);
  int visible = std::max(1, static_cast<int>((area.bottom - area.top) / s.buffer.lineHeight()));
  int rows = static_cast<int>(s.buffer.rows().size());
  int y = static_cast<short>(HIWORD(lParam)) - bar.top;
  int height = std::max<int>(1, bar.bottom - bar.top);
  int first = std::clamp(y * rows / height - visible / 2, 0, std::max(0, rows - visible));
  if (first == s.firstRow) return;
  s.firstRow = first;
  InvalidateRect(hwnd, nullptr, FALSE);
  Notify(hwnd, EN_VSCROLL);
}

void OnKeyDown(HWND hwnd, EditState& s, UINT vk) {
  int key = kEditKey | static_cast<int>(vk);
  if (GetKeyState(VK_SHIFT) & 0x8000) key |= kEditShift;
  if (GetKeyState(VK_CONTROL) & 0x8000) key |= kEditControl;
  switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_HOME: case VK_END:
      break;
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
      if (!MultiLine(hwnd)) return;
      break;
    case VK_DELETE:
      if (!Editable(hwnd)) return;
      break;
    default:
      return;
  }
  CommitComposition(hwnd);
  if (s.buffer.Key(key)) Changed(hwnd, s);
  else Refresh(hwnd, s);
}

void OnChar(HWND hwnd, EditState& s, WCHAR ch) {
  if (!Editable(hwnd)) return;
  bool changed = false;
  if (ch == 8) {
    changed = s.buffer.Key(kEditKey | VK_BACK);
  } else if (ch == 0x1A) {  // ctrl+Z
    changed = s.buffer.Undo();
  } else if (ch == u'\r') {
    if (!MultiLine(hwnd)) return;
    changed = s.buffer.Type(u'\r');
  } else if (ch >= 0x20 || ch == u'\t') {
    if (ch == u'\t' && !MultiLine(hwnd)) return;
    changed = s.buffer.Type(ch);
    if (!changed) Notify(hwnd, EN_MAXTEXT);
  }
  if (changed) Changed(hwnd, s);
}

LRESULT OnSetText(HWND hwnd, EditState& s, LPCWSTR text) {
  EndComposition(hwnd, CPS_CANCEL);
  s.buffer.SetText(text ? std::u16string(text) : std::u16string());
  s.firstRow = 0;
  s.scrollX = 0;
  s.modified = false;
  Refresh(hwnd, s);
  // As on the phone: a single-line edit reports the change, a multi-line one does not.
  if (!MultiLine(hwnd)) Notify(hwnd, EN_CHANGE);
  return TRUE;
}

LRESULT OnGetText(const EditState& s, WPARAM size, LPWSTR buffer) {
  if (!buffer || size == 0) return 0;
  const std::u16string& t = s.buffer.text();
  size_t n = std::min(t.size(), static_cast<size_t>(size) - 1);
  std::copy(t.begin(), t.begin() + static_cast<std::ptrdiff_t>(n), buffer);
  buffer[n] = 0;
  return static_cast<LRESULT>(n);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  EditState* s = StateOf(hwnd);
  if (!s && msg != WM_CREATE) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_CREATE: {
      s = new EditState(!MultiLine(hwnd));
      SetWindowLongW(hwnd, 0, reinterpret_cast<LONG_PTR>(s));
      auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) s->buffer.SetText(cs->lpszName);
      Layout(hwnd, *s);
      return 0;
    }
    case WM_NCDESTROY:
      delete s;
      SetWindowLongW(hwnd, 0, 0);
      return DefWindowProcW(hwnd, msg, wParam, lParam);
    case WM_SIZE:
      Refresh(hwnd, *s);
      return 0;
    case WM_SETFONT:
      s->font = reinterpret_cast<HFONT>(wParam);
      Layout(hwnd, *s);
      ScrollToCaret(hwnd, *s);
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->font);
    case WM_SETTEXT:
      return OnSetText(hwnd, *s, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT:
      return OnGetText(*s, wParam, reinterpret_cast<LPWSTR>(lParam));
    case WM_GETTEXTLENGTH:
      return s->buffer.length();
    case WM_GETDLGCODE:
      return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | (MultiLine(hwnd) ? DLGC_WANTALLKEYS : 0);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) PaintEdit(hwnd, dc, *s);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_TIMER:
      if (wParam != kBlinkTimer) break;
      s->caretOn = !s->caretOn;
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_SETFOCUS:
      s->caretOn = true;
      SetTimer(hwnd, kBlinkTimer, kBlinkMs, nullptr);
      InvalidateRect(hwnd, nullptr, FALSE);
      Notify(hwnd, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      CommitComposition(hwnd);
      KillTimer(hwnd, kBlinkTimer);
      InvalidateRect(hwnd, nullptr, FALSE);
      Notify(hwnd, EN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN: {
      RECT bar = EditScrollBar(hwnd);
      if (PointIn(bar, static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)))) {
        s->scrolling = true;
        SetCapture(hwnd);
        ScrollToFinger(hwnd, *s, lParam);
        return 0;
      }
      if (GetFocus() != hwnd) SetFocus(hwnd);
      CommitComposition(hwnd);
      POINT p = ToLayout(hwnd, *s, lParam);
      s->buffer.Click(p.x, p.y);
      SetCapture(hwnd);
      Refresh(hwnd, *s);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (GetCapture() != hwnd) return 0;
      if (s->scrolling) {
        ScrollToFinger(hwnd, *s, lParam);
        return 0;
      }
      {
        POINT p = ToLayout(hwnd, *s, lParam);
        s->buffer.Drag(p.x, p.y);
        Refresh(hwnd, *s);
      }
      return 0;
    case WM_LBUTTONUP:
      s->scrolling = false;
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      s->scrolling = false;
      return 0;
    case WM_KEYDOWN:
      OnKeyDown(hwnd, *s, static_cast<UINT>(wParam));
      return 0;
    case WM_CHAR:
      OnChar(hwnd, *s, static_cast<WCHAR>(wParam));
      return 0;
    case WM_IME_STARTCOMPOSITION:
      // The syllable takes the place of the selection.
      if (s->buffer.HasSelection() && Editable(hwnd) && s->buffer.Replace(u"")) Changed(hwnd, *s);
      return 0;
    case WM_IME_COMPOSITION: {
      if (lParam & GCS_COMPSTR) {
        HIMC himc = ImmGetContext(hwnd);
        LONG bytes = ImmGetCompositionStringW(himc, GCS_COMPSTR, nullptr, 0);
        std::u16string comp(static_cast<size_t>(std::max<LONG>(bytes, 0)) / sizeof(char16_t), u'\0');
        if (!comp.empty()) ImmGetCompositionStringW(himc, GCS_COMPSTR, comp.data(), static_cast<DWORD>(bytes));
        ImmReleaseContext(hwnd, himc);
        s->composition = Editable(hwnd) ? comp : std::u16string();
      } else {
        s->composition.clear();  // the result arrives as WM_CHAR
      }
      Refresh(hwnd, *s);
      return 0;
    }
    case WM_IME_ENDCOMPOSITION:
      s->composition.clear();
      Refresh(hwnd, *s);
      return 0;
    case EM_GETSEL: {
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(s->buffer.selStart());
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(s->buffer.selEnd());
      return MAKELONG(std::min(s->buffer.selStart(), 0xFFFF), std::min(s->buffer.selEnd(), 0xFFFF));
    }
    case EM_SETSEL:
      CommitComposition(hwnd);
      s->buffer.SetSelection(static_cast<int>(wParam), static_cast<int>(lParam));
      Refresh(hwnd, *s);
      return 0;
    case EM_REPLACESEL:
      CommitComposition(hwnd);
      if (s->buffer.Replace(lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"")) Changed(hwnd, *s);
      if (!wParam) s->buffer.ForgetUndo();
      return 0;
    case EM_LIMITTEXT:
      s->buffer.SetLimit(wParam ? static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE)) : 0x7FFFFFFE);
      return 0;
    case EM_GETLIMITTEXT:
      return s->buffer.limit();
    case EM_CANUNDO:
      return s->buffer.CanUndo();
    case EM_UNDO:
      CommitComposition(hwnd);
      if (s->buffer.Undo()) Changed(hwnd, *s);
      return TRUE;
    case EM_EMPTYUNDOBUFFER:
      s->buffer.ForgetUndo();
      return 0;
    case EM_GETMODIFY:
      return s->modified;
    case EM_SETMODIFY:
      s->modified = wParam != 0;
      return 0;
    case EM_SETREADONLY: {
      DWORD style = StyleOf(hwnd);
      SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG_PTR>(wParam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    }
    case EM_GETLINECOUNT:
      return static_cast<LRESULT>(s->buffer.rows().size());
    case EM_GETFIRSTVISIBLELINE:
      return MultiLine(hwnd) ? s->firstRow : 0;
    case EM_LINEFROMCHAR: {
      int at = static_cast<int>(wParam) < 0 ? s->buffer.selStart() : static_cast<int>(wParam);
      return s->buffer.RowOf(std::min(at, s->buffer.length()));
    }
    case EM_LINEINDEX: {
      int row = static_cast<int>(wParam) < 0 ? s->buffer.RowOf(s->buffer.caret()) : static_cast<int>(wParam);
      const auto& rows = s->buffer.rows();
      return row < static_cast<int>(rows.size()) ? rows[static_cast<size_t>(row)].start : -1;
    }
    case EM_SCROLLCARET:
      ScrollToCaret(hwnd, *s);
      InvalidateRect(hwnd, nullptr, FALSE);
      return TRUE;
    case EM_GETRECT: {
      if (lParam) *reinterpret_cast<RECT*>(lParam) = EditTextArea(hwnd);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterEditClass() {
  WNDCLASSW wc{};
  wc.lpfnWndProc = EditProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.lpszClassName = u"EDIT";
  RegisterClassW(&wc);
  InstallInputMethod();
}

}  // namespace platform::ui
