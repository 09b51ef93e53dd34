#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include <aygshell.h>
#include <objbase.h>

#include "compose/send_view.h"
#include "kit/temp_device.h"
#include "platform/device/processes/module.h"
#include "platform/display/display.h"
#include "platform/sip/panel.h"
#include "platform/ui/controls.h"
#include "platform/wm/input.h"
#include "platform/wm/loop.h"
#include "settings/settings.h"
#include "shell/application.h"
#include "shell/main_frame.h"
#include "shell/message_loop.h"
#include "views/lock_view.h"
#include "views/thread_view.h"
#include "views/picker_view.h"

namespace {

// A frame on a fresh headless device, torn down the normal way.
class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(platform::display::OpenDisplay(true, 480, 800, 192, 1, &error)) << error;
    platform::ui::RegisterSystemClasses();  // as the launcher does at start
    app_module::Init(platform::device::ProgramInstance());
    app_module::AddMessageLoop(&loop_);
  }
  void TearDown() override {
    Close();
    frame_.reset();
    app_.reset();
    app_module::RemoveMessageLoop();
  }
  void Close() {
    if (frame_ && frame_->Window()) DestroyWindow(frame_->Window());
    platform::wm::PumpUntilIdle();
    // The frame's quit message is for a loop that is not running here.
    MSG quit{};
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  void Start(const char16_t* commandLine = u"") {
    app_ = std::make_unique<Application>();
    frame_ = std::make_unique<MainFrame>(*app_, commandLine);
    ASSERT_TRUE(frame_->CreateFrameWindow(app_module::Instance(), u"Parlo"));
    ShowWindow(frame_->Window(), SW_SHOW);
    platform::wm::PumpUntilIdle();
  }
  HWND hwnd() const { return frame_->Window(); }
  LRESULT CopyData(ULONG_PTR kind, const void* data, DWORD bytes) {
    COPYDATASTRUCT cds{kind, bytes, const_cast<void*>(data)};
    return SendMessageW(hwnd(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
  }
  std::u16string StartNumber() const { return app_->settings().start_number; }
  // A message that arrived now: its conversation comes first.
  void AddRecord(const char16_t* number, const char16_t* text = u"") {
    auto record = std::make_unique<MessageRecord>();
    StringCchCopyW(record->number, kFieldChars, number);
    StringCchCopyW(record->text, kTextChars, text);
    app_->store().AddNewestRecord(std::move(record));
  }

  parlo_test::TempDevice device_;
  MessageLoop loop_;
  std::unique_ptr<Application> app_;
  std::unique_ptr<MainFrame> frame_;
};

TEST_F(FrameTest, StartsFullScreenActiveOnTheStartModeAndFollowsActivation) {
  Start(u"-new 0101234");
  EXPECT_EQ(frame_->StartMode(), VM_COMPOSE_TO_NUMBER);
  EXPECT_EQ(StartNumber(), u"0101234");
  EXPECT_TRUE(frame_->IsFullScreen());
  EXPECT_TRUE(frame_->IsActive());
  RECT rc{};
  GetWindowRect(hwnd(), &rc);
  EXPECT_EQ(rc.top, 0);
  // The compose view addressed to the number, the keys typing into its text at once.
  EXPECT_EQ(frame_->CurrentMode(), VM_COMPOSE);
  compose::SendView* composer = frame_->Composer();
  ASSERT_NE(composer, nullptr);
  EXPECT_EQ(frame_->ActiveView(), composer);
  EXPECT_TRUE(IsWindowVisible(composer->Window()));
  EXPECT_EQ(composer->FieldText(IDC_RECIPIENT, 260), u"0101234");
  EXPECT_EQ(GetFocus(), composer->Control(IDC_TEXT));
  // Deactivation follows WM_ACTIVATE (only WA_ACTIVE counts as active) and the foreground.
  for (auto [state, active] : {std::pair{WA_INACTIVE, false}, {WA_CLICKACTIVE, false}, {WA_ACTIVE, true}}) {
    SendMessageW(hwnd(), WM_ACTIVATE, MAKEWPARAM(state, 0), 0);
    EXPECT_EQ(frame_->IsActive(), active) << state;
  }
  EXPECT_TRUE(frame_->IsFullScreen());
  platform::wm::SetAppForeground(false);
  EXPECT_FALSE(frame_->IsActive());
  platform::wm::SetAppForeground(true);
  EXPECT_TRUE(frame_->IsActive());
}

// Each kind of request sets the compose view up from the view it came from.
TEST_F(FrameTest, ComposeRequestsTakeTheirMessageFromTheViewOnScreen) {
  Start();
  SendMessageW(hwnd(), UM_SHOWCOMPOSE, COMPOSE_REPLY, 1);  // nothing selected in the list
  compose::SendView* composer = frame_->Composer();
  ASSERT_NE(composer, nullptr);
  EXPECT_FALSE(composer->Flags().replySource);
  for (const char16_t* number : {u"0101111", u"0102222"}) AddRecord(number, u"줄\n끝");
  SendMessageW(hwnd(), UM_SHOWTHREAD, 1, 0);
  struct Case {
    WPARAM kind;
    bool reply, forward;
    const char16_t* text;
  } cases[] = {
      {COMPOSE_REPLY, true, false, u""},
      {COMPOSE_FORWARD, false, true, u"줄\r\n끝"},
      {COMPOSE_NEW, false, false, u""},
  };
  for (const Case& c : cases) {
    SendMessageW(hwnd(), UM_SHOWCOMPOSE, c.kind, 0);
    EXPECT_EQ(frame_->CurrentMode(), VM_COMPOSE);
    EXPECT_EQ(composer->Flags().replySource, c.reply) << c.kind;
    EXPECT_EQ(composer->Flags().forward, c.forward) << c.kind;
    EXPECT_EQ(composer->FieldText(IDC_TEXT, 260), c.text) << c.kind;
    if (c.reply || c.forward) {
      EXPECT_EQ(std::u16string(composer->Source()->number), u"0101111") << c.kind;
    }
  }
  EXPECT_TRUE(platform::sip::PanelShown());
  // Another program in front lowers the keyboard; so does leaving the view another way.
  SendMessageW(hwnd(), WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
  EXPECT_FALSE(platform::sip::PanelShown());
  SendMessageW(hwnd(), WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
  SendMessageW(hwnd(), UM_SHOWCOMPOSE, COMPOSE_NEW, 0);
  SendMessageW(hwnd(), UM_SHOWLOCK, 0, 0);
  EXPECT_FALSE(platform::sip::PanelShown());
  // Unlocked, the message being written comes back with its keyboard.
  SendMessageW(hwnd(), UM_SHOWPREVIOUS, 0, 0);
  EXPECT_EQ(frame_->ActiveView(), composer);
  EXPECT_TRUE(platform::sip::PanelShown());
  EXPECT_EQ(GetFocus(), composer->Control(IDC_TEXT));
}

TEST_F(FrameTest, UnlockingReturnsToTheOpenConversationEvenWhenItMovedAndAlwaysLeavesTheLock) {
  Start();
  AddRecord(u"0101111");
  AddRecord(u"0102222");  // now first
  SendMessageW(hwnd(), UM_SHOWTHREAD, 1, 0);
  auto* thread = dynamic_cast<parlo::ThreadView*>(frame_->ActiveView());
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(std::u16string(thread->ReplyRecord()->number), u"0101111");

  SendMessageW(hwnd(), UM_SHOWLOCK, 0, 0);
  ASSERT_NE(dynamic_cast<parlo::LockView*>(frame_->ActiveView()), nullptr);
  EXPECT_EQ(frame_->CurrentMode(), VM_LOCK);
  AddRecord(u"0103333");  // a new message while locked moves the conversations down
  SendMessageW(hwnd(), UM_SHOWPREVIOUS, 0, 0);  // what the right pattern sends

  EXPECT_EQ(frame_->ActiveView(), thread);
  EXPECT_EQ(frame_->CurrentMode(), VM_THREAD);
  EXPECT_EQ(std::u16string(thread->ReplyRecord()->number), u"0101111");
  Close();
  // The right pattern always leaves the lock, after hand-overs while locked that name the lock
  // itself, a view not shown yet, and no view.
  for (ULONG_PTR handedOver : {ULONG_PTR{VM_LOCK}, ULONG_PTR{VM_COMPOSE_TO_NUMBER}, ULONG_PTR{42}}) {
    Start();
    SendMessageW(hwnd(), UM_SHOWLOCK, 0, 0);
    WCHAR number[260] = u"0101234";
    CopyData(handedOver, number, sizeof number);
    SendMessageW(hwnd(), UM_SHOWPREVIOUS, 0, 0);
    EXPECT_EQ(dynamic_cast<parlo::LockView*>(frame_->ActiveView()), nullptr) << handedOver;
    Close();
  }
}

TEST_F(FrameTest, ThePickerKeepsItsQueryAcrossVisitsAndAfterTheContactsAreRebuilt) {
  std::ofstream(device_.dir() / "contacts.vcf")
      << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:김철수\r\nTEL;TYPE=CELL:020\r\nEND:VCARD\r\n"
      << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:강지훈\r\nTEL;TYPE=CELL:030\r\nEND:VCARD\r\n"
      << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:이영희\r\nTEL;TYPE=CELL:040\r\nEND:VCARD\r\n";
  // The contact store, as start-up makes it reachable.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  Start();
  app_->settings().find_name = true;
  SendMessageW(hwnd(), UM_SHOWCONTACTS, 0, 0);
  parlo::PickerView* picker = frame_->Picker();
  ASSERT_NE(picker, nullptr);
  EXPECT_EQ(frame_->ActiveView(), picker);
  EXPECT_EQ(frame_->CurrentMode(), VM_CONTACTS);
  ASSERT_EQ(picker->list().RowCount(), 3);
  for (int key : {0, 6}) {  // "1" and "6": ㄱ then ㅈ
    const RECT r = picker->keypad().KeyRect(key);
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(picker->keypad().hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(picker->keypad().hwnd(), WM_LBUTTONUP, 0, at);
  }
  EXPECT_EQ(picker->list().RowCount(), 2);
  SendMessageW(hwnd(), UM_SHOWLIST, 0, 0);
  SendMessageW(hwnd(), UM_SHOWCONTACTS, 0, 0);
  EXPECT_EQ(picker->list().RowCount(), 2);
  SendMessageW(hwnd(), WM_COMMAND, ID_REFRESH_CONTACTS, 0);
  EXPECT_EQ(frame_->CurrentMode(), VM_LIST);
  SendMessageW(hwnd(), UM_SHOWCONTACTS, 0, 0);
  EXPECT_EQ(app_->contacts()->Digits(), u"16");
  EXPECT_EQ(picker->list().RowCount(), 2);
  DestroyWindow(hwnd());
  CoUninitialize();
}

// A hand-over with a whole number is seen end to end in tests/e2e/start_up_test.cpp.
TEST_F(FrameTest, CopyDataNeverReadsPastTheBytesGivenAndKeepsAtMost259Characters) {
  Start();
  // Six characters and no terminator: only the first three are inside cbData.
  const WCHAR text[6] = {u'1', u'2', u'3', u'4', u'5', u'6'};
  CopyData(4, text, 6);
  EXPECT_EQ(frame_->CurrentMode(), 4);
  EXPECT_EQ(frame_->PreviousMode(), 4);
  EXPECT_EQ(StartNumber(), u"123");
  CopyData(4, text, 7);  // half a character does not count
  EXPECT_EQ(StartNumber(), u"123");
  CopyData(4, nullptr, 520);
  EXPECT_EQ(StartNumber(), u"");
  std::u16string longText(400, u'9');
  CopyData(4, longText.c_str(), static_cast<DWORD>((longText.size() + 1) * 2));
  EXPECT_EQ(StartNumber(), longText.substr(0, 259));
}

TEST_F(FrameTest, ControlNotificationsAreReflectedAndExitHidesTheFrameOrClosesTheProgramAndSavesSettings) {
  Start();
  static UINT seen = 0;
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m >= 0x2000) seen = m;
    return m == WM_COMMAND + 0x2000 ? 42 : DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"ReflectProbe";
  RegisterClassW(&wc);
  HWND control = CreateWindowExW(0, u"ReflectProbe", u"", WS_CHILD, 0, 0, 10, 10, hwnd(), nullptr, nullptr, nullptr);
  ASSERT_TRUE(control);
  EXPECT_EQ(SendMessageW(hwnd(), WM_COMMAND, MAKEWPARAM(7, 0), reinterpret_cast<LPARAM>(control)), 42);
  EXPECT_EQ(seen, static_cast<UINT>(WM_COMMAND + 0x2000));
  NMHDR hdr{control, 7, 0};
  SendMessageW(hwnd(), WM_NOTIFY, 7, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_EQ(seen, static_cast<UINT>(WM_NOTIFY + 0x2000));
  // With close off, exit only hides the frame; with it on, exit ends the loop with 1 and saves the
  // settings.
  const HWND frame = hwnd();
  app_->settings().close = false;
  SendMessageW(frame, WM_COMMAND, ID_EXIT, 0);
  EXPECT_TRUE(platform::wm::PumpUntilIdle());
  ASSERT_TRUE(IsWindow(frame));
  EXPECT_FALSE(IsWindowVisible(frame));
  app_->settings().close = true;
  app_->settings().view_sort = true;
  SendMessageW(frame, WM_COMMAND, ID_EXIT, 0);
  EXPECT_FALSE(platform::wm::PumpUntilIdle());
  MSG msg{};
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_FALSE(IsWindow(frame));
  DWORD value = 0;
  EXPECT_EQ(RegistryGetDWORD(HKEY_CURRENT_USER, u"SOFTWARE\\Ostrand\\Parlo", u"view_sort", &value), S_OK);
  EXPECT_EQ(value, 1u);
}

}  // namespace
