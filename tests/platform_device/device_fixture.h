// A fresh device root per test, with the registry file closed again afterwards; a top-level
// window that records what it gets, for the tests that need one.
#pragma once
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/device/instance/instance_protocol.h"
#include "platform/device/instance/unix_socket.h"
#include "platform/device/registry/registry_store.h"
#include "platform/wm/loop.h"
#include "windows.h"
#include "winreg.h"

namespace parlo_test {

struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  bool operator==(const Received&) const = default;
};
using Posts = std::vector<Received>;

class TestWindow {
 public:
  // `className` distinguishes frames of different tests; messages at or above WM_USER and
  // WM_COPYDATA are recorded and answered with `answer`.
  explicit TestWindow(const char16_t* className, LRESULT answer = 0) : answer_(answer) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = className;
    RegisterClassW(&wc);  // already registered by an earlier test: fine
    hwnd_ = CreateWindowExW(0, className, u"Parlo", WS_VISIBLE, 0, 0, 480, 800, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TestWindow() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }
  HWND hwnd() const { return hwnd_; }
  std::vector<Received> Only(UINT message) const {
    std::vector<Received> out;
    for (auto& r : received_)
      if (r.message == message) out.push_back(r);
    return out;
  }
  const std::vector<Received>& all() const { return received_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || (message < WM_USER && message != WM_COPYDATA)) return DefWindowProcW(hwnd, message, wParam, lParam);
    self->received_.push_back({message, wParam, lParam});
    return self->answer_;
  }

  HWND hwnd_ = nullptr;
  LRESULT answer_;
  std::vector<Received> received_;
};

// One frame of the single-instance protocol read from `fd`: its header and payload.
struct Frame {
  platform::device::instance::Header header;
  std::string payload;
};
inline std::optional<Frame> ReadFrame(int fd, uint32_t ms) {
  namespace inst = platform::device::instance;
  uint8_t raw[inst::kHeaderSize];
  if (!platform::device::ReadExact(fd, raw, sizeof raw, platform::device::DeadlineIn(ms))) return std::nullopt;
  auto h = inst::DecodeHeader(raw);
  if (!h) return std::nullopt;
  Frame f{*h, std::string(h->length, '\0')};
  if (!platform::device::ReadExact(fd, f.payload.data(), f.payload.size(), platform::device::DeadlineIn(ms)))
    return std::nullopt;
  return f;
}

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::device::registry::Close();
    device_ = std::make_unique<TempDevice>();
  }
  void TearDown() override {
    window_.reset();
    platform::wm::PumpUntilIdle();
    platform::device::registry::Close();
    device_.reset();
  }
  const std::filesystem::path& dir() const { return device_->dir(); }
  // The test's recording window, gone again after the test.
  TestWindow& OpenWindow(const char16_t* className, LRESULT answer = 0) {
    window_ = std::make_unique<TestWindow>(className, answer);
    platform::wm::PumpUntilIdle();
    return *window_;
  }
  // A file put on the device from outside, as the host sees it.
  void WriteHost(const std::filesystem::path& p, const std::string& bytes) {
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
  }
  // Registry keys and values through the calls a program makes.
  HKEY Create(HKEY root, const char16_t* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, disposition), ERROR_SUCCESS);
    return key;
  }
  LONG SetDword(HKEY key, const char16_t* name, DWORD v) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
  }
  LONG SetString(HKEY key, const char16_t* name, std::u16string_view s) {
    std::u16string withNull(s);
    withNull.push_back(0);
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(withNull.data()),
                          static_cast<DWORD>(withNull.size() * 2));
  }
  // The DWORD value `name`; a failed read must leave `missing` as it was.
  DWORD GetDword(HKEY key, const char16_t* name, DWORD missing = 0xDEAD) {
    DWORD dw = missing, size = 4;
    RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&dw), &size);
    return dw;
  }
  // What asking for the value's size alone answers.
  LONG QueryStatus(HKEY key, const char16_t* name) {
    DWORD size = 0;
    return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, &size);
  }
  // Another program's write: `sql` run in one transaction through its own connection to the
  // registry file; returns how many rows it changed.
  int OtherProgramRuns(const std::string& sql) {
    sqlite3* other = nullptr;
    EXPECT_EQ(sqlite3_open((dir() / "registry.db").c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 2000);
    EXPECT_EQ(sqlite3_exec(other, ("BEGIN IMMEDIATE;" + sql + ";COMMIT").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    int changed = sqlite3_total_changes(other);
    sqlite3_close(other);
    return changed;
  }

  std::unique_ptr<TestWindow> window_;

 private:
  std::unique_ptr<TempDevice> device_;
};

}  // namespace parlo_test
