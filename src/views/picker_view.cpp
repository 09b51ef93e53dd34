#include "views/picker_view.h"

#include <algorithm>

#include "contacts/contact_book.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "settings/settings.h"
#include "views/view_mode.h"

namespace parlo {
namespace {

// The keypad's height and the top bar's, in pixels as they stand.
constexpr int kTopBarHeight = 70;
constexpr int kKeypadHeight = 255;
const WCHAR kNoCategory[] = u"범주없음";

}  // namespace

PickerView::PickerView(const ViewContext& context)
    : FrameView(context), list_(context.contacts, context.skin) {
  list_.SetPickHook([this](int row) {
    PickContact(row);
    SendToFrame(UM_SHOWCOMPOSE, COMPOSE_TO_PICKED, 0);
  });
}

LRESULT PickerView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
      // Hardware keys move the cursor row and pick it.
      return SendMessageW(list_.hwnd(), message, wParam, lParam);
    case WM_LBUTTONDOWN:
      OnPress(point);
      return 0;
    case WM_LBUTTONUP:
      OnRelease(point);
      return 0;
    case UM_QUERYCHANGED:
      Refresh(wParam == 1);
      return 0;
    case WM_COMMAND: {
      const UINT id = LOWORD(wParam);
      const int count = context_.contacts ? static_cast<int>(context_.contacts->Categories().size()) : 0;
      if (id >= ID_CATEGORY_FIRST && id < ID_CATEGORY_FIRST + static_cast<UINT>(count)) {
        SelectCategory(static_cast<int>(id - ID_CATEGORY_FIRST));
        return 0;
      }
      break;
    }
    default:
      break;
  }
  return FrameView::OnMessage(message, wParam, lParam);
}

void PickerView::OnCreate(int width, int height) {
  topBar_ = RECT{0, 0, width, kTopBarHeight};
  back_ = ShrinkRect(RECT{width - 80, 0, width, kTopBarHeight}, ScaleX(1), ScaleY(1));
  category_ = ShrinkRect(RECT{0, 0, width / 2, kTopBarHeight}, 10, 5);
  list_.Create(hwnd_, RECT{0, kTopBarHeight, width, height - kKeypadHeight}, kContactListId);
  keypad_.Create(hwnd_, RECT{0, height - kKeypadHeight, width, height}, context_.contacts);
  button_.Reset(context_.skin.Button());
  buttonPressed_.Reset(context_.skin.ButtonPressed());
  backPressed_ = categoryPressed_ = false;
}

// ---- The list ----

int PickerView::RunQuery(bool fromAll) {
  ContactBook& book = *context_.contacts;
  if (!book.IsFiltering(true)) return book.Count();
  const Settings& settings = context_.settings;
  return book.RunFilter(settings.find_name, settings.find_call_number, false, fromAll);
}

void PickerView::Refresh(bool fromAll) {
  ContactBook* book = context_.contacts;
  if (book) book->GroupList().clear();

  const std::u16string name = book && book->CategoryIndex() >= 0 &&
                                      book->CategoryIndex() < static_cast<int>(book->Categories().size())
                                  ? book->Categories()[book->CategoryIndex()]
                                  : std::u16string();
  WCHAR label[64];
  StringCchPrintfW(label, 64, u"범주 : %s", name.empty() ? kNoCategory : name.c_str());
  label_ = label;

  list_.Fill(book ? RunQuery(fromAll) : 0);
  if (!hwnd_) return;
  Invalidate(category_);
  UpdateWindow(hwnd_);
  InvalidateRect(list_.hwnd(), nullptr, FALSE);
  UpdateWindow(list_.hwnd());
}

void PickerView::PickContact(int row) {
  ContactBook* book = context_.contacts;
  ContactEntry* entry = book ? book->EntryAt(row) : nullptr;
  if (!entry) return;
  std::vector<ContactEntry*>& group = book->GroupList();
  if (!book->IsGroupCategory()) {
    auto found = std::find(group.begin(), group.end(), entry);
    if (found != group.end()) group.erase(found);
    else group.push_back(entry);
  } else if (row < static_cast<int>(group.size())) {
    group.erase(group.begin() + row);
    RunQuery(false);
  }
}

// ---- Top bar ----

void PickerView::PaintView(HDC dc, int, int) {
  FillRect(dc, &topBar_, BandBrush());
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF oldColor = SetTextColor(dc, categoryPressed_ ? RGB(0, 0, 0xFF) : RGB(0, 0, 0));
  RECT labelRect = category_;
  DrawTextW(dc, label_.c_str(), -1, &labelRect, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  HBITMAP button = backPressed_ ? buttonPressed_.Get() : button_.Get();
  if (button)
    TransparentImage(dc, back_.left + 20, back_.top + 10, 40, 40, button, 0, 0, 62, 62, RGB(0xFF, 0xFF, 0xFF));
  SetTextColor(dc, oldColor);
  SetBkMode(dc, oldMode);
}

void PickerView::OnPress(POINT p) {
  SetCapture(hwnd_);
  if (Contains(back_, p)) {
    backPressed_ = true;
    Invalidate(back_);
  } else if (Contains(category_, p)) {
    categoryPressed_ = true;
    Invalidate(category_);
  }
}

void PickerView::OnRelease(POINT p) {
  if (GetCapture() == hwnd_) ReleaseCapture();
  const bool back = backPressed_ && Contains(back_, p);
  const bool menu = !back && categoryPressed_ && Contains(category_, p);
  // Released before acting, so nothing stays lit behind the menu or another view.
  if (backPressed_) Invalidate(back_);
  if (categoryPressed_) Invalidate(category_);
  backPressed_ = categoryPressed_ = false;
  if (back) {
    SendToFrame(UM_SHOWCOMPOSE, COMPOSE_NEW, 0);
  } else if (menu) {
    UpdateWindow(hwnd_);
    ShowCategoryMenu(p);
  }
}

// ---- Categories ----

void PickerView::ShowCategoryMenu(POINT p) {
  const ContactBook* book = context_.contacts;
  if (!book || book->Categories().empty()) return;
  MenuHolder menu(CreatePopupMenu());
  if (!menu.Get()) return;
  const auto& categories = book->Categories();
  const int count = static_cast<int>(categories.size());
  for (int i = 0; i < count; ++i) {
    const UINT flags = MF_STRING | (i == book->CategoryIndex() ? MF_CHECKED : MF_UNCHECKED);
    // The entry before the group list is the empty name: the contacts without a category.
    const bool uncategorised = i == count - 2;
    AppendMenuW(menu.Get(), flags, ID_CATEGORY_FIRST + i, uncategorised ? kNoCategory : categories[i].c_str());
    if (uncategorised) AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
  }
  POINT screen = p;
  ClientToScreen(hwnd_, &screen);
  TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN, screen.x, screen.y, 0, hwnd_, nullptr);
}

void PickerView::SelectCategory(int index) {
  if (!context_.contacts) return;
  context_.contacts->SetCategoryIndex(index);
  Refresh(true);
}

}  // namespace parlo
