// The calling side of the single-instance socket against a scripted peer that speaks the protocol
// on its own thread: what may not cross, peers that are no match, gone and stale ones. Messages
// crossing between two real processes are the end-to-end start-up tests' part.
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <tuple>

#include "device_fixture.h"
#include "kit/last_error.h"
#include "platform/device/instance/instance_server.h"
#include "platform/device/instance/peers.h"
#include "platform/device/instance/run_dir.h"

namespace {

namespace inst = platform::device::instance;
using parlo_test::WithError;

// Listens where another program would and answers every request with `answer`.
class ScriptedPeer {
 public:
  ScriptedPeer(const std::filesystem::path& path, inst::Reply answer) : answer_(answer) {
    listen_ = platform::device::ListenAt(path);
    thread_ = std::thread([this] { Serve(); });
  }
  ~ScriptedPeer() {
    ::shutdown(listen_, SHUT_RDWR);  // wakes the blocked accept
    thread_.join();
    ::close(listen_);
  }
  int requests() const { return requests_; }

 private:
  void Serve() {
    for (int fd; (fd = ::accept(listen_, nullptr, nullptr)) >= 0; ::close(fd)) {
      auto r = parlo_test::ReadFrame(fd, 2000);
      if (!r) continue;
      ++requests_;
      platform::device::WriteAll(fd, inst::EncodeReply(r->header.id, r->header.op, answer_),
                                 platform::device::DeadlineIn(2000));
    }
  }

  inst::Reply answer_;
  int listen_ = -1;
  std::thread thread_;
  std::atomic<int> requests_{0};
};

class RemoteWindowsTest : public parlo_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    platform::device::InstallRemoteWindows();
    ASSERT_TRUE(platform::device::EnsureRunDir());
  }
  std::filesystem::path PeerSocket(int pid) { return dir() / "run" / ("instance-" + std::to_string(pid) + ".sock"); }
};

TEST_F(RemoteWindowsTest, MessagesThatMayNotCrossNeverLeave) {
  ScriptedPeer peer(PeerSocket(4000002), {inst::Status::kOk, 0x40000010});
  HWND remote = FindWindowW(u"PeerFrame", nullptr);
  ASSERT_NE(remote, nullptr);
  EXPECT_FALSE(IsWindow(remote));  // not a window of this program
  SetLastError(0);
  EXPECT_EQ(WithError(SendMessageW(remote, 0x0010 /* WM_CLOSE */, 0, 0)), std::tuple(0, DWORD(ERROR_ACCESS_DENIED)));
  std::string big(521, 'x');
  COPYDATASTRUCT cds{4, 521, big.data()};
  EXPECT_EQ(WithError(SendMessageW(remote, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds))),
            std::tuple(0, DWORD(ERROR_INVALID_PARAMETER)));
  EXPECT_EQ(SendMessageW(remote, WM_COPYDATA, 0, 0), 0);
  EXPECT_EQ(peer.requests(), 1);  // only the search went out
}

// A search skips and removes a stale socket, leaves alone what only carries a socket's name, and
// takes no answer from a peer without the window or with nonsense.
TEST_F(RemoteWindowsTest, StaleSocketsAndPeersWithoutTheWindowOrWithNonsenseAreNotAMatch) {
  const auto stale = PeerSocket(4000003);  // left by a program that ended without cleaning up
  ::close(platform::device::ListenAt(stale));
  ASSERT_TRUE(std::filesystem::exists(stale));
  namespace fs = std::filesystem;
  std::ofstream(PeerSocket(4000011)) << "x";
  fs::create_directory(PeerSocket(4000012));
  fs::create_symlink(stale, PeerSocket(4000013));
  ScriptedPeer none(PeerSocket(4000004), {inst::Status::kNoWindow, 0});
  ScriptedPeer nonsense(PeerSocket(4000005), {inst::Status::kOk, -7});
  EXPECT_EQ(FindWindowW(u"PeerFrame", nullptr), nullptr);
  EXPECT_FALSE(fs::exists(stale));
  for (int pid : {4000011, 4000012, 4000013}) EXPECT_TRUE(fs::exists(fs::symlink_status(PeerSocket(pid)))) << pid;
  EXPECT_EQ(std::tuple(none.requests(), nonsense.requests()), std::tuple(1, 1));
}

TEST_F(RemoteWindowsTest, AGoneProgramsWindowFailsCleanly) {
  HWND remote = nullptr;
  {
    ScriptedPeer peer(PeerSocket(4000006), {inst::Status::kOk, 0x40000010});
    remote = FindWindowW(u"PeerFrame", nullptr);
    ASSERT_NE(remote, nullptr);
  }
  std::filesystem::remove(PeerSocket(4000006));
  EXPECT_EQ(std::tuple(SendMessageW(remote, 1034, 0, 0), ShowWindow(remote, SW_SHOW), SetForegroundWindow(remote)),
            std::tuple(0, FALSE, FALSE));
}

}  // namespace
