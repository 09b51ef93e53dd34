// The serving side of the single-instance socket, driven by a raw client on another thread
// while this (the UI) thread keeps its loop running.
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "device_fixture.h"
#include "platform/base/handle_table.h"
#include "platform/device/instance/instance_server.h"

namespace {

namespace inst = platform::device::instance;
using inst::Status;

constexpr UINT kShowCompose = 1037;

class InstanceServerTest : public parlo_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    platform::device::SetInstanceTimeouts(300, 3000, 3000);
    frame_ = &OpenWindow(u"ServedFrame", 77);
    ASSERT_TRUE(platform::device::StartInstanceServer());
    platform::wm::PumpUntilIdle();
  }
  void TearDown() override {
    platform::device::StopInstanceServer();
    platform::device::SetInstanceTimeouts(2000, 4000, 5000);
    DeviceTest::TearDown();
  }

  // Sends raw bytes from another thread (optionally leaving the connection open for writing)
  // and reads the reply, if any comes before the server closes, while this thread runs its loop.
  std::optional<inst::Reply> Exchange(const std::string& bytes, bool closeWriting = true) {
    std::optional<inst::Reply> out;
    std::atomic<bool> done{false};
    std::thread client([&] {
      int fd = platform::device::ConnectTo(platform::device::InstanceSocketPath());
      if (fd >= 0) {
        platform::device::WriteAll(fd, bytes, platform::device::DeadlineIn(2000));
        if (closeWriting) ::shutdown(fd, SHUT_WR);
        if (auto f = parlo_test::ReadFrame(fd, 5000)) out = inst::DecodeReply(f->payload);
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
    auto r = Exchange(frame);
    if (!r) return static_cast<Status>(99);
    if (value) *value = r->value;
    return r->status;
  }

  uint32_t FrameValue() const { return platform::FromHandle(frame_->hwnd()); }

  // A request to send `message` to the window known as `hwnd` on the wire.
  static std::string SendTo(uint32_t hwnd, UINT message, int64_t wParam = 0, int64_t lParam = 0,
                            std::string data = "") {
    return inst::EncodeSend(11, {hwnd, message, wParam, lParam, 0, std::move(data)});
  }
  std::string FindFrame() { return inst::EncodeFind(1, {u"ServedFrame", false, u""}); }

  parlo_test::TestWindow* frame_ = nullptr;
};

TEST_F(InstanceServerTest, FindAnswersTheTopLevelWindowOfTheClassAndRequestsRunOnlyOnIt) {
  int64_t value = 0;
  EXPECT_EQ(Ask(FindFrame(), &value), Status::kOk);
  EXPECT_EQ(value, int64_t(FrameValue()));
  EXPECT_EQ(Ask(inst::EncodeFind(2, {u"NoSuchClass", false, u""})), Status::kNoWindow);
  EXPECT_EQ(Ask(inst::EncodeFind(3, {u"ServedFrame", true, u"Parlo"}), &value), Status::kOk);
  EXPECT_EQ(Ask(inst::EncodeFind(4, {u"ServedFrame", true, u"Other title"})), Status::kNoWindow);
  // Windows that are not our top-level windows are not reached.
  HWND child = CreateWindowExW(0, u"ServedFrame", u"child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame_->hwnd(),
                               nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(Ask(SendTo(platform::FromHandle(child), kShowCompose)), Status::kNoWindow);
  EXPECT_EQ(Ask(SendTo(0x12345678, kShowCompose)), Status::kNoWindow);
  EXPECT_EQ(Ask(inst::EncodeWindow(17, inst::Op::kForeground, {0, 0})), Status::kNoWindow);
  DestroyWindow(child);

  // A view message carries its integers (a number handed over in WM_COPYDATA is the end-to-end
  // start-up tests' part); show and foreground run on the window.
  ASSERT_EQ(Ask(SendTo(FrameValue(), kShowCompose, 2, -5), &value), Status::kOk);
  EXPECT_EQ(value, 77);  // the window's own answer comes back
  EXPECT_EQ(frame_->Only(kShowCompose), (parlo_test::Posts{{kShowCompose, 2, -5}}));
  ASSERT_EQ(Ask(inst::EncodeWindow(7, inst::Op::kShow, {FrameValue(), SW_HIDE}), &value), Status::kOk);
  EXPECT_FALSE(IsWindowVisible(frame_->hwnd()));
  ASSERT_EQ(Ask(inst::EncodeWindow(8, inst::Op::kShow, {FrameValue(), SW_SHOW})), Status::kOk);
  EXPECT_TRUE(IsWindowVisible(frame_->hwnd()));
  ASSERT_EQ(Ask(inst::EncodeWindow(9, inst::Op::kForeground, {FrameValue(), 0}), &value), Status::kOk);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(Ask(inst::EncodeWindow(10, inst::Op::kShow, {FrameValue(), 99})), Status::kRefused);
}

// Each frame is answered with its refusal, reaches no window, and the server goes on serving.
TEST_F(InstanceServerTest, HostileFramesAndSilentPeersAreDroppedTheServerGoesOnAndStoppingRemovesTheSocket) {
  auto header = [](uint16_t op, uint32_t length, uint16_t version = 0) {
    inst::Header h;
    h.op = op;
    h.length = length;
    if (version) h.version = version;
    return inst::EncodeHeader(h);
  };
  auto send = [this](UINT message, std::string data) { return SendTo(FrameValue(), message, 0, 0, std::move(data)); };
  std::string claimsMore = FindFrame();
  claimsMore[inst::kHeaderSize] = 50;  // more class characters than the payload holds
  const uint16_t kSend = static_cast<uint16_t>(inst::Op::kSend), kShow = static_cast<uint16_t>(inst::Op::kShow);
  const struct {
    const char* what;
    std::string frame;
    Status status;
  } cases[] = {
      {"not the protocol", "GET / HTTP/1.1\r\nHost: x\r\n\r\n", Status::kBadFrame},
      {"oversized frame", header(kSend, 1 << 20), Status::kBadFrame},
      {"oversized data", send(WM_COPYDATA, std::string(inst::kMaxCopyData + 1, 'x')), Status::kRefused},
      {"unknown operation", header(77, 0), Status::kUnknownOp},
      {"message not handed over", send(WM_USER + 1, ""), Status::kRefused},
      {"WM_CLOSE", send(0x0010, ""), Status::kRefused},
      {"data without WM_COPYDATA", send(kShowCompose, "smuggled"), Status::kRefused},
      {"payload claims more", claimsMore, Status::kBadFrame},
      {"payload of the wrong shape", header(kShow, 3) + "abc", Status::kBadFrame},
      {"wrong version", header(0, 0, 9), Status::kBadFrame},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Ask(c.frame), c.status);
  }
  EXPECT_TRUE(frame_->all().empty());
  EXPECT_EQ(Ask(FindFrame()), Status::kOk);
  // Half a header, then silence: the server gives up after its peer timeout and still serves others
  // (a peer that closes early is the end-to-end start-up tests' part). Stopping removes the socket.
  EXPECT_FALSE(Exchange(FindFrame().substr(0, 5), /*closeWriting=*/false));
  EXPECT_EQ(Ask(FindFrame()), Status::kOk);
  auto path = platform::device::InstanceSocketPath();
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(path.parent_path(), dir() / "run");
  platform::device::StopInstanceServer();
  EXPECT_FALSE(std::filesystem::exists(path) || platform::device::InstanceServerRunning());
}

}  // namespace
