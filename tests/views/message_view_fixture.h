// The message list and the conversation view inside a frame-like window on a 480 x 800,
// 192 dpi screen, over a fresh message volume, on the virtual clock. The frame records what the
// views ask of it and, like the real frame, shows the list or the conversation on request.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "draw/dpi.h"
#include "draw/skin.h"
#include "model/message_store.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window_dc.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "store/store_fixture.h"
#include "views/main_view.h"
#include "views/thread_view.h"
#include "views/view_mode.h"

namespace viewtest {

struct FrameCall {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool waitCursor;  // the wait cursor was up when it arrived
};

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
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    frame_ = CreateWindowExW(0, u"ViewTestFrame", u"", WS_VISIBLE, 0, 0, kScreenW, kScreenH, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_NE(frame_, nullptr);
    Answer(IDYES);
  }

  void TearDown() override {
    thread_.reset();
    main_.reset();
    if (frame_) DestroyWindow(frame_);
    platform::wm::PumpUntilIdle();
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

  // The model from the volume, with the frame as the receiver of the views' requests.
  MessageStore* Load() {
    EXPECT_TRUE(messages_->OpenStore(frame_));
    messages_->ClearModel();
    messages_->LoadAll();
    return messages_.get();
  }

  // What the real frame hands its views.
  parlo::ViewContext Context() { return parlo::ViewContext{settings_, *messages_, *skin_, nullptr, frame_}; }

  // A message at 14:MM of the test day; later minutes are later messages.
  static storetest::Message Msg(std::u16string number, std::u16string text, int minute, short read = 1,
                                short kind = 0, short mms = 0) {
    storetest::Message m;
    m.number = std::move(number);
    m.text = std::move(text);
    const char16_t tens = static_cast<char16_t>(u'0' + minute / 10), ones = static_cast<char16_t>(u'0' + minute % 10);
    m.id = std::u16string(u"2024030514") + tens + ones + u"00000";
    m.read = read;
    m.kind = kind;
    m.mms = mms;
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

  void Pump() { platform::wm::PumpUntilIdle(); }
  void Advance(uint32_t ms) { platform::wm::AdvanceClock(ms); }

  // Finger and keys on a view window, in its client coordinates (the view fills the frame).
  void Down(HWND w, POINT p) { SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  void MoveTo(HWND w, POINT p) { SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(p.x, p.y)); }
  void Up(HWND w, POINT p) { SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y)); }
  void Tap(HWND w, POINT p) {
    Down(w, p);
    Up(w, p);
    Pump();
  }
  void KeyUp(HWND w, UINT vk) {
    SendMessageW(w, WM_KEYUP, vk, 0);
    Pump();
  }
  static POINT Center(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

  std::optional<platform::gdi::TextRun> FindText(const std::u16string& text) {
    for (auto& run : platform::gdi::ScreenTextRuns())
      if (run.text == text) return run;
    return std::nullopt;
  }
  std::optional<platform::gdi::TextRun> FindTextStarting(const std::u16string& prefix) {
    for (auto& run : platform::gdi::ScreenTextRuns())
      if (run.text.rfind(prefix, 0) == 0) return run;
    return std::nullopt;
  }

  std::vector<FrameCall> CallsOf(UINT message) const {
    std::vector<FrameCall> out;
    for (auto& c : calls_)
      if (c.message == message) out.push_back(c);
    return out;
  }
  void ClearBoxes() { platform::ui::ClearMessageBoxLog(); }
  // Exactly one box was shown, with this text, caption and buttons.
  void ExpectOneBox(const std::u16string& text, const std::u16string& caption, UINT buttons) {
    auto boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, text);
    EXPECT_EQ(boxes[0].caption, caption);
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, buttons);
  }
  std::vector<std::u16string> BoxTexts() {
    std::vector<std::u16string> out;
    for (auto& b : Boxes()) out.push_back(b.text);
    return out;
  }

  Settings settings_;
  std::unique_ptr<MessageStore> messages_;
  std::unique_ptr<parlo::Skin> skin_;
  HWND frame_ = nullptr;
  std::unique_ptr<parlo::MainView> main_;
  std::unique_ptr<parlo::ThreadView> thread_;
  std::vector<FrameCall> calls_;

 private:
  static ViewTest*& Current() {
    static ViewTest* current = nullptr;
    return current;
  }

  // Like the real frame: records, then shows the list or the conversation.
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ViewTest* self = Current();
    // Store notifications are the frame's to hand back, as the real frame does.
    if (message == WM_DBNOTIFICATION && self) {
      self->messages_->FreeNotification(reinterpret_cast<CENOTIFICATION*>(lParam));
      return 0;
    }
    const bool viewMessage = message >= UM_SHOWTHREAD && message <= UM_SHOWCONTACTS;
    if (self && (viewMessage || message == WM_COMMAND || message == WM_CLOSE)) {
      self->calls_.push_back(FrameCall{message, wParam, lParam, platform::ui::CursorIsWait()});
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
};

}  // namespace viewtest
