// The compose view inside a frame-like window on a 480 x 800, 192 dpi screen, on the virtual
// clock: the frame records what the view asks of it; message boxes are answered by the test.
#pragma once
#include <gtest/gtest.h>
#include <sipapi.h>

#include <memory>
#include <string>
#include <vector>

#include "compose/send_view.h"
#include "draw/dpi.h"
#include "draw/skin.h"
#include "kit/temp_device.h"
#include "model/message_store.h"
#include "platform/gdi/screen.h"
#include "platform/sip/panel.h"
#include "platform/sip/typing.h"
#include "platform/ui/controls.h"
#include "platform/ui/ui_state.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "views/view_mode.h"

namespace composetest {

class ComposeViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::gdi::CreateScreen(480, 800, 192, 192);
    parlo::ResetDpiCacheForTests();
    platform::ui::RegisterSystemClasses();
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = FrameProc;
      wc.lpszClassName = u"ComposeTestFrame";
      return RegisterClassW(&wc) != 0;
    }();
    ASSERT_TRUE(registered);
    Calls().clear();
    Answer(IDCANCEL);
    platform::ui::ClearMessageBoxLog();
    settings_.Load();
    store_ = std::make_unique<MessageStore>(settings_, nullptr);
    skin_ = std::make_unique<parlo::Skin>();
    frame_ = CreateWindowExW(0, u"ComposeTestFrame", u"", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(frame_, nullptr);
    view_ = std::make_unique<compose::SendView>(parlo::ViewContext{settings_, *store_, *skin_, nullptr, frame_});
    ASSERT_NE(view_->CreateViewWindow(frame_, RECT{0, 0, 480, 800}), nullptr);
    SetActiveWindow(frame_);
    platform::wm::PumpUntilIdle();
  }

  void TearDown() override {
    view_.reset();
    if (frame_) DestroyWindow(frame_);
    SipShowIM(SIPF_OFF);
    platform::wm::PumpUntilIdle();
    platform::ui::SetMessageBoxAutoAnswer(nullptr);
    store_.reset();
    skin_.reset();
  }

  // Every box gets `id` (IDOK or IDCANCEL).
  void Answer(int id) {
    platform::ui::SetMessageBoxAutoAnswer([id](const platform::ui::MessageBoxInfo&) { return id; });
  }
  static std::vector<std::u16string> Questions() {
    std::vector<std::u16string> out;
    for (const auto& box : platform::ui::MessageBoxLog()) out.push_back(box.text);
    return out;
  }

  // Set up as the frame does it before showing the view.
  void Show() {
    view_->ShowComposeInput();
    platform::wm::PumpUntilIdle();
  }
  void Type(const std::u16string& text, bool leaveComposing = false) {
    ASSERT_TRUE(platform::sip::TypeText(text, leaveComposing));
    platform::wm::PumpUntilIdle();
  }
  void Focus(int id) {
    SetFocus(view_->Control(id));
    platform::wm::PumpUntilIdle();
  }
  std::u16string Field(int id) const { return view_->FieldText(id, 1024); }
  static MessageRecord Record(const std::u16string& number, const std::u16string& text) {
    MessageRecord r;
    StringCchCopyW(r.number, kFieldChars, number.c_str());
    StringCchCopyW(r.text, kTextChars, text.c_str());
    return r;
  }
  // The view messages the frame got, in order.
  static std::vector<UINT>& Calls() {
    static std::vector<UINT> calls;
    return calls;
  }

  parlo_test::TempDevice device_;
  Settings settings_;
  std::unique_ptr<MessageStore> store_;
  std::unique_ptr<parlo::Skin> skin_;
  HWND frame_ = nullptr;
  std::unique_ptr<compose::SendView> view_;

 private:
  static LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= UM_SHOWTHREAD && message <= UM_SHOWCONTACTS) {
      Calls().push_back(message);
      return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
};

}  // namespace composetest
