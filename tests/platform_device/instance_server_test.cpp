// The serving side of the single-instance socket, driven by a raw client on another thread
// while this (the UI) thread keeps its loop running.
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "device_fixture.h"
#include "platform/base/handle_table.h"
#include "platform/device/instance/instance_protocol.h"
#include "platform/device/instance/instance_server.h"
#include "platform/device/instance/unix_socket.h"
#include "platform/wm/loop.h"
#include "test_window.h"

namespace {

namespace inst = platform::device::instance;
using inst::Status;

constexpr UINT kShowCompose = 1037;

struct RawReply {
  bool answered = false;
  inst::Header header;
  std::optional<inst::Reply> reply;
};

class InstanceServerTest : public parlo_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    platform::device::SetInstanceTimeouts(300, 3000, 3000);
    frame_ = std::make_unique<devtest::TestWindow>(u"ServedFrame", 77);
    ASSERT_TRUE(platform::device::StartInstanceServer());
    platform::wm::PumpUntilIdle();
  }
  void TearDown() override {
    platform::device::StopInstanceServer();
    frame_.reset();
    platform::wm::PumpUntilIdle();
    platform::device::SetInstanceTimeouts(2000, 4000, 5000);
    DeviceTest::TearDown();
  }

  // Sends raw bytes from another thread (optionally leaving the connection open for writing)
  // and reads what comes back until the server closes, while this thread runs its loop.
  RawReply Exchange(const std::string& bytes, bool closeWriting = true) {
    RawReply out;
    std::atomic<bool> done{false};
    std::thread client([&] {
      int fd = platform::device::ConnectTo(platform::device::InstanceSocketPath());
      if (fd >= 0) {
        platform::device::WriteAll(fd, bytes, platform::device::DeadlineIn(2000));
        if (closeWriting) ::shutdown(fd, SHUT_WR);
        uint8_t raw[inst::kHeaderSize];
        if (platform::device::ReadExact(fd, raw, sizeof raw, platform::device::DeadlineIn(5000))) {
          if (auto h = inst::DecodeHeader(raw)) {
            out.answered = true;
            out.header = *h;
            std::string payload(h->length, '\0');
            if (platform::device::ReadExact(fd, payload.data(), payload.size(), platform::device::DeadlineIn(2000)))
              out.reply = inst::DecodeReply(payload);
          }
        }
        ::close(fd);
      }
      done = true;
      platform::wm::Wake();
    });
    while (!done) {
      platform::wm::PumpUntilIdle();
      std::this_thread::yield();
    }
    client.join();
    return out;
  }

  Status Ask(const std::string& frame, int64_t* value = nullptr) {
    RawReply r = Exchange(frame);
    if (!r.answered || !r.reply) return static_cast<Status>(99);
    if (value) *value = r.reply->value;
    return r.reply->status;
  }

  uint32_t FrameValue() const { return platform::FromHandle(frame_->hwnd()); }

  std::string FindFrame() { return inst::EncodeFind(1, {u"ServedFrame", false, u""}); }

  std::unique_ptr<devtest::TestWindow> frame_;
};

// --- What a second launch asks ------------------------------------------------------------------

TEST_F(InstanceServerTest, FindAnswersTheTopLevelWindowOfTheClass) {
  int64_t value = 0;
  EXPECT_EQ(Ask(FindFrame(), &value), Status::kOk);
  EXPECT_EQ(value, int64_t(FrameValue()));
  EXPECT_EQ(Ask(inst::EncodeFind(2, {u"NoSuchClass", false, u""})), Status::kNoWindow);
  EXPECT_EQ(Ask(inst::EncodeFind(3, {u"ServedFrame", true, u"Parlo"}), &value), Status::kOk);
  EXPECT_EQ(Ask(inst::EncodeFind(4, {u"ServedFrame", true, u"Other title"})), Status::kNoWindow);
}

TEST_F(InstanceServerTest, CopyDataArrivesAsTheReceiversOwnCopy) {
  std::u16string number(260, u'\0');
  std::u16string digits = u"01012345678";
  std::copy(digits.begin(), digits.end(), number.begin());
  inst::SendRequest s;
  s.hwnd = FrameValue();
  s.message = WM_COPYDATA;
  s.copyDwData = 4;
  s.copyData.assign(reinterpret_cast<const char*>(number.data()), 520);
  int64_t value = 0;
  ASSERT_EQ(Ask(inst::EncodeSend(5, s), &value), Status::kOk);
  EXPECT_EQ(value, 77);  // the window's own answer comes back
  auto got = frame_->Only(WM_COPYDATA);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].copyDwData, 4u);
  EXPECT_EQ(got[0].copyBytes, s.copyData);
  EXPECT_NE(got[0].copyPointer, nullptr);
}

TEST_F(InstanceServerTest, ViewMessagesCarryTheirIntegers) {
  inst::SendRequest s;
  s.hwnd = FrameValue();
  s.message = kShowCompose;
  s.wParam = 2;
  s.lParam = -5;
  ASSERT_EQ(Ask(inst::EncodeSend(6, s)), Status::kOk);
  auto got = frame_->Only(kShowCompose);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].wParam, WPARAM(2));
  EXPECT_EQ(got[0].lParam, LPARAM(-5));
}

TEST_F(InstanceServerTest, ShowAndForegroundRunOnTheWindow) {
  int64_t value = 0;
  ASSERT_EQ(Ask(inst::EncodeWindow(7, inst::Op::kShow, {FrameValue(), SW_HIDE}), &value), Status::kOk);
  EXPECT_FALSE(IsWindowVisible(frame_->hwnd()));
  ASSERT_EQ(Ask(inst::EncodeWindow(8, inst::Op::kShow, {FrameValue(), SW_SHOW})), Status::kOk);
  EXPECT_TRUE(IsWindowVisible(frame_->hwnd()));
  ASSERT_EQ(Ask(inst::EncodeWindow(9, inst::Op::kForeground, {FrameValue(), 0}), &value), Status::kOk);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(Ask(inst::EncodeWindow(10, inst::Op::kShow, {FrameValue(), 99})), Status::kRefused);
}

// --- What a hostile peer gets ---------------------------------------------------------------------

TEST_F(InstanceServerTest, GarbageIsRefusedAndTheServerGoesOn) {
  RawReply r = Exchange("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
  ASSERT_TRUE(r.answered);
  ASSERT_TRUE(r.reply);
  EXPECT_EQ(r.reply->status, Status::kBadFrame);
  EXPECT_EQ(Ask(FindFrame()), Status::kOk);
}

TEST_F(InstanceServerTest, OversizedFramesAndDataAreRefused) {
  inst::Header h;
  h.op = static_cast<uint16_t>(inst::Op::kSend);
  h.length = 1 << 20;
  EXPECT_EQ(Ask(inst::EncodeHeader(h)), Status::kBadFrame);
  inst::SendRequest s;
  s.hwnd = FrameValue();
  s.message = WM_COPYDATA;
  s.copyData.assign(inst::kMaxCopyData + 1, 'x');
  EXPECT_EQ(Ask(inst::EncodeSend(11, s)), Status::kRefused);
  EXPECT_TRUE(frame_->Only(WM_COPYDATA).empty());
  EXPECT_EQ(Ask(FindFrame()), Status::kOk);
}

TEST_F(InstanceServerTest, UnknownOperationsAndMessagesAreRefused) {
  inst::Header h;
  h.op = 77;
  EXPECT_EQ(Ask(inst::EncodeHeader(h)), Status::kUnknownOp);
  inst::SendRequest s;
  s.hwnd = FrameValue();
  s.message = WM_USER + 1;  // not one the program hands over
  EXPECT_EQ(Ask(inst::EncodeSend(12, s)), Status::kRefused);
  s.message = 0x0010;  // WM_CLOSE
  EXPECT_EQ(Ask(inst::EncodeSend(13, s)), Status::kRefused);
  s.message = kShowCompose;
  s.copyData = "smuggled";  // data only travels with WM_COPYDATA
  EXPECT_EQ(Ask(inst::EncodeSend(14, s)), Status::kRefused);
  EXPECT_TRUE(frame_->all().empty());
}

TEST_F(InstanceServerTest, PayloadsOfTheWrongShapeAreBadFrames) {
  std::string frame = FindFrame();
  frame[inst::kHeaderSize] = 50;  // claims more class characters than the payload holds
  EXPECT_EQ(Ask(frame), Status::kBadFrame);
  inst::Header h;
  h.op = static_cast<uint16_t>(inst::Op::kShow);
  h.length = 3;
  EXPECT_EQ(Ask(inst::EncodeHeader(h) + "abc"), Status::kBadFrame);
  inst::Header wrong;
  wrong.version = 9;
  EXPECT_EQ(Ask(inst::EncodeHeader(wrong)), Status::kBadFrame);
}

TEST_F(InstanceServerTest, WindowsThatAreNotOurTopLevelWindowsAreNotReached) {
  HWND child = CreateWindowExW(0, u"ServedFrame", u"child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_->hwnd(),
                               nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  inst::SendRequest s;
  s.message = kShowCompose;
  s.hwnd = platform::FromHandle(child);
  EXPECT_EQ(Ask(inst::EncodeSend(15, s)), Status::kNoWindow);
  s.hwnd = 0x12345678;
  EXPECT_EQ(Ask(inst::EncodeSend(16, s)), Status::kNoWindow);
  EXPECT_EQ(Ask(inst::EncodeWindow(17, inst::Op::kForeground, {0, 0})), Status::kNoWindow);
  DestroyWindow(child);
}

TEST_F(InstanceServerTest, SlowAndTruncatedPeersAreDroppedAndOthersStillServed) {
  // Half a header, then silence: the server gives up after its peer timeout.
  RawReply slow = Exchange(FindFrame().substr(0, 5), /*closeWriting=*/false);
  EXPECT_FALSE(slow.answered);
  // A header promising more payload than ever comes.
  RawReply cut = Exchange(FindFrame().substr(0, inst::kHeaderSize + 3));
  EXPECT_FALSE(cut.answered);
  EXPECT_EQ(Ask(FindFrame()), Status::kOk);
}

TEST_F(InstanceServerTest, StoppingRemovesTheSocket) {
  auto path = platform::device::InstanceSocketPath();
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(path.parent_path(), dir() / "run");
  platform::device::StopInstanceServer();
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(platform::device::InstanceServerRunning());
}

}  // namespace
