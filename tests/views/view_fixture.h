// The views inside a frame-like window on a 480 x 800, 192 dpi screen, over a fresh message
// volume, on the virtual clock. The frame records what the views ask of it and what lists
// notify, and, like the real frame, shows the list or the conversation on request.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "draw/dpi.h"
#include "draw/skin.h"
#include "model/message_store.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window_dc.h"
#include "platform/ui/ui_state.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "store/store_fixture.h"
#include "views/kinetic_list.h"
#include "views/main_view.h"
#include "views/thread_view.h"
#include "views/view_mode.h"

namespace viewtest {

// A list notification as the frame heard it.
struct Note {
  int code;
  int index;
  int state;
  bool operator==(const Note&) const = default;
};
inline std::ostream& operator<<(std::ostream& out, const Note& n) {
  const char* name = n.code == parlo::LN_SELCHANGE ? "SEL" : n.code == parlo::LN_ACTIVATE ? "ACT" : "CUR";
  return out << name << "(" << n.index << "," << n.state << ")";
}

inline constexpr int kScreenW = 480;
inline constexpr int kScreenH = 800;

class ViewTest : public storetest::StoreTest {
 protected:
  void SetUp() override {
    StoreTest::SetUp();
    platform::gdi::CreateScreen(kScreenW, kScreenH, 192, 192);
    parlo::ResetDpiCacheForTests();
    MakeVolume();
    settings_.Load();
    settings_.photo_width = settings_.photo_height = parlo::ScaleForDpi(60, 192);
    messages_ = std::make_unique<MessageStore>(settings_, nullptr);
    skin_ = std::make_unique<parlo::Skin>();
    Current() = this;
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = FrameProc;
      wc.lpszClassName = u"ViewTestFrame";
      // Answers a tracked menu from inside its loop, as a user would.
      platform::wm::AddIdlePoller([] {
        if (Current() && Current()->onMenu_ && platform::ui::CurrentMenu()) std::exchange(Current()->onMenu_, nullptr)();
      });
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    frame_ = CreateWindowExW(0, u"ViewTestFrame", u"", WS_VISIBLE, 0, 0, kScreenW, kScreenH, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    Answer(IDYES);
  }

  void TearDown() override {
    onMenu_ = nullptr;
    thread_.reset();
    main_.reset();
    if (frame_) DestroyWindow(frame_);
    Pump();
    Current() = nullptr;
    messages_.reset();
    skin_.reset();
    StoreTest::TearDown();
  }

  // Yes/No boxes get `yesNo`; OK boxes get OK.
  void Answer(int yesNo) {
    platform::ui::SetMessageBoxAutoAnswer([yesNo](const platform::ui::MessageBoxInfo& box) {
      for (int id : box.buttonIds)
        if (id == IDYES) return yesNo;
      return IDOK;
    });
  }
  // Runs `handler` once the next tracked menu is up.
  void OnMenu(std::function<void()> handler) { onMenu_ = std::move(handler); }

  // The model from the volume, with the frame as the receiver of the views' requests.
  MessageStore* Load() {
    EXPECT_TRUE(messages_->OpenStore(frame_));
    messages_->ClearModel();
    messages_->LoadAll();
    return messages_.get();
  }

  int Records(int db) { return messages_->Records().CountRecords(db); }

  // What the real frame hands its views.
  parlo::ViewContext Context() { return parlo::ViewContext{settings_, *messages_, *skin_, contacts_, frame_}; }

  // A message at 14:MM of the test day; later minutes are later messages.
  static storetest::Message Msg(std::u16string number, std::u16string text, int minute, short read = 1,
                                short kind = 0, short mms = 0) {
    storetest::Message m{.number = std::move(number), .text = std::move(text), .read = read, .kind = kind, .mms = mms};
    const char16_t tens = static_cast<char16_t>(u'0' + minute / 10), ones = static_cast<char16_t>(u'0' + minute % 10);
    m.id = std::u16string(u"2024030514") + tens + ones + u"00000";
    m.time.wMinute = static_cast<WORD>(minute);
    m.time.wSecond = 0;
    return m;
  }

  void SetUnread(DWORD count) {
    ASSERT_TRUE(SUCCEEDED(RegistrySetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Messages\\SMS\\Unread", u"Count", count)));
  }

  parlo::MainView& ShowList() {
    if (!main_) {
      main_ = std::make_unique<parlo::MainView>(Context());
      EXPECT_NE(main_->CreateViewWindow(frame_, RECT{0, 0, kScreenW, kScreenH}), nullptr);
    }
    SendMessageW(frame_, UM_SHOWLIST, 0, 0);
    calls_.clear();
    Pump();
    return *main_;
  }

  parlo::ThreadView& OpenThread(int position) {
    SendMessageW(frame_, UM_SHOWTHREAD, static_cast<WPARAM>(position), 0);
    calls_.clear();
    Pump();
    return *thread_;
  }

  static void Pump() { platform::wm::PumpUntilIdle(); }
  static void Advance(uint32_t ms) { platform::wm::AdvanceClock(ms); }

  // Finger and keys on a view window, in its client coordinates (the view fills the frame).
  static void Down(HWND w, POINT p) { SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  static void MoveTo(HWND w, POINT p) { SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  static void Up(HWND w, POINT p) { SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y)); }
  static void Tap(HWND w, POINT p) {
    Down(w, p);
    Up(w, p);
    Pump();
  }
  static void Command(HWND w, UINT id) {
    SendMessageW(w, WM_COMMAND, id, 0);
    Pump();
  }
  // Held `ms` on the button, then let go there.
  static void Hold(HWND w, const RECT& button, uint32_t ms = 400) {
    Down(w, Center(button));
    Advance(ms);
    Up(w, Center(button));
    Pump();
  }
  static void KeyUp(HWND w, UINT vk) {
    SendMessageW(w, WM_KEYUP, vk, 0);
    Pump();
  }
  static POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

  static std::optional<platform::gdi::TextRun> FindText(const std::u16string& text, bool prefix = false) {
    for (auto& run : platform::gdi::ScreenTextRuns())
      if (prefix ? run.text.rfind(text, 0) == 0 : run.text == text) return run;
    return std::nullopt;
  }

  // The colour of the text on the screen; CLR_INVALID when it is not there.
  static COLORREF ColourOf(const std::u16string& text, bool prefix = false) {
    const auto run = FindText(text, prefix);
    return run ? run->color : CLR_INVALID;
  }

  // How often the frame was asked `message`.
  size_t CountOf(UINT message) const {
    return std::count_if(calls_.begin(), calls_.end(), [message](const Asked& a) { return std::get<0>(a) == message; });
  }
  // Exactly one box was shown, with this text, caption and buttons.
  void ExpectOneBox(const std::u16string& text, const std::u16string& caption, UINT buttons) {
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(std::tuple(boxes[0].text, boxes[0].caption, boxes[0].type & MB_TYPEMASK),
              std::tuple(text, caption, buttons));
  }

  Settings settings_;
  std::unique_ptr<MessageStore> messages_;
  std::unique_ptr<parlo::Skin> skin_;
  parlo::ContactBook* contacts_ = nullptr;
  HWND frame_ = nullptr;
  std::unique_ptr<parlo::MainView> main_;
  std::unique_ptr<parlo::ThreadView> thread_;
  using Asked = std::tuple<UINT, WPARAM, LPARAM>;
  std::vector<Asked> calls_;    // what the frame was asked, in order
  bool lastCallWaited_ = false;  // the wait cursor was up when the last one arrived
  std::vector<Note> notes_;
  std::vector<NMHDR> noteHeaders_;  // who sent each note

 private:
  static ViewTest*& Current() {
    static ViewTest* current = nullptr;
    return current;
  }

  // Like the real frame: records, then shows the list or the conversation.
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ViewTest* self = Current();
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NOTIFY) {
      auto* n = reinterpret_cast<const parlo::ListNotify*>(lParam);
      self->notes_.push_back({static_cast<int>(n->hdr.code), n->index, n->state});
      self->noteHeaders_.push_back(n->hdr);
      return 0;
    }
    // Store notifications are the frame's to hand back, as the real frame does.
    if (message == WM_DBNOTIFICATION) {
      self->messages_->FreeNotification(reinterpret_cast<CENOTIFICATION*>(lParam));
      return 0;
    }
    const bool viewMessage = message >= UM_SHOWTHREAD && message <= UM_SHOWCONTACTS;
    if (viewMessage || message == WM_COMMAND || message == WM_CLOSE) {
      self->calls_.emplace_back(message, wParam, lParam);
      self->lastCallWaited_ = platform::ui::CursorIsWait();
      if (message == UM_SHOWLIST && self->main_) {
        self->main_->Refill();
        if (self->thread_) ShowWindow(self->thread_->Window(), SW_HIDE);
        ShowWindow(self->main_->Window(), SW_SHOW);
        InvalidateRect(self->main_->Window(), nullptr, FALSE);
      } else if (message == UM_SHOWTHREAD) {
        if (!self->thread_) {
          self->thread_ = std::make_unique<parlo::ThreadView>(self->Context());
          self->thread_->CreateViewWindow(hwnd, RECT{0, 0, kScreenW, kScreenH});
        }
        self->thread_->Open(static_cast<int>(wParam));
        if (self->main_) ShowWindow(self->main_->Window(), SW_HIDE);
        ShowWindow(self->thread_->Window(), SW_SHOW);
        InvalidateRect(self->thread_->Window(), nullptr, FALSE);
      }
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }

  std::function<void()> onMenu_;
};

// A KineticList alone on the frame, driven by real window messages.
inline constexpr int kListId = 2210;
inline constexpr RECT kListRect{0, 100, 480, 730};  // 480 x 630
inline constexpr int kRow = 120;                    // ScaleToDpi(60) at 192 dpi

class TestRow : public parlo::ListItem {
 public:
  explicit TestRow(int h, int part = kHitBody, bool* destroyed = nullptr) : part_(part), destroyed_(destroyed) {
    height = h;
  }
  int HitTest(int, const RECT&, POINT) override { return part_; }

 protected:
  ~TestRow() override {
    if (destroyed_) *destroyed_ = true;
  }

 private:
  int part_;
  bool* destroyed_;
};

// Appends a TestRow, leaving the list (or store) its only owner.
template <typename Rows>
void AddRow(Rows& rows, int height, int part = parlo::ListItem::kHitBody, bool* destroyed = nullptr) {
  auto* row = new TestRow(height, part, destroyed);
  if constexpr (requires { rows.AppendRow(row); }) {
    rows.AppendRow(row);
  } else {
    rows.Append(row);
  }
  row->Release();
}

class ListTest : public ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    ASSERT_NE(list_.Create(frame_, kListRect, kListId), nullptr);
    SetFocus(list());
    Pump();
    notes_.clear();
    noteHeaders_.clear();
  }

  void Fill(int rows, int height = kRow) {
    list_.DeleteAllRows();
    for (int i = 0; i < rows; ++i) AddRow(list_, height);
    list_.EndFilling();
    InvalidateRect(list(), nullptr, FALSE);
    UpdateWindow(list());
  }
  HWND list() const { return list_.hwnd(); }
  int Offset() const { return list_.scroller().offset.y; }
  bool Animating() const { return list_.scroller().timerRunning; }
  // The offset, and whether the list still animates, `ms` later.
  std::pair<int, bool> After(uint32_t ms) {
    Advance(ms);
    return {Offset(), Animating()};
  }

  // Finger events in the list's client coordinates.
  void Down(int x, int y) { ViewTest::Down(list(), POINT{x, y}); }
  void MoveTo(int x, int y) { ViewTest::MoveTo(list(), POINT{x, y}); }
  void Up(int x, int y) { ViewTest::Up(list(), POINT{x, y}); }
  void Tap(int x, int y) {
    Down(x, y);
    Up(x, y);
  }
  void Key(UINT vk) {
    SendMessageW(list(), WM_KEYDOWN, vk, 0);
    SendMessageW(list(), WM_KEYUP, vk, 0);
  }
  // Drags from (x, y0) to (x, y1) in `steps` moves, `stepMs` apart, and lets go.
  void Drag(int x, int y0, int y1, int steps, uint32_t stepMs, bool release = true) {
    Down(x, y0);
    for (int i = 1; i <= steps; ++i) {
      Advance(stepMs);
      MoveTo(x, y0 + (y1 - y0) * i / steps);
    }
    if (release) Up(x, y1);
  }
  // A pixel of the list's client area as the screen shows it (0x00RRGGBB).
  static uint32_t Pixel(int x, int y) { return platform::gdi::ScreenPixel(kListRect.left + x, kListRect.top + y); }

  parlo::KineticList list_;
};

}  // namespace viewtest
