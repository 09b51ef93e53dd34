#include "platform/sms/simulated_network.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/device/network_log.h"

namespace platform::sms {
namespace {

namespace fs = std::filesystem;

constexpr size_t kMaxDigits = 20;
constexpr size_t kMaxSettingBytes = 64;  // a longer settings file is damaged, not read on

// DIR/network/sms.lock held for as long as the object lives, across processes.
class NetworkLock {
 public:
  NetworkLock() {
    std::error_code ec;
    fs::create_directories(device::NetworkDir(), ec);
    fd_ = ::open((device::NetworkDir() / "sms.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) return;
    int rc;
    while ((rc = ::flock(fd_, LOCK_EX)) < 0 && errno == EINTR) {
    }
    if (rc < 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~NetworkLock() {
    if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
  }
  NetworkLock(const NetworkLock&) = delete;
  NetworkLock& operator=(const NetworkLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The file's one line, without its line end; nothing when there is no file.
Setting<std::string> ReadLine(const char* name) {
  Setting<std::string> out;
  std::ifstream in(device::NetworkDir() / name, std::ios::binary);
  if (!in) return out;
  std::string text(kMaxSettingBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (text.size() > kMaxSettingBytes || text.find_first_of("\r\n") != std::string::npos) {
    out.damaged = true;
    return out;
  }
  out.value = text;
  return out;
}

// Replaces the file whole: written aside, then renamed over it. Call with the lock held.
bool ReplaceFile(const char* name, const std::string& line, std::string* why) {
  const fs::path target = device::NetworkDir() / name;
  const fs::path aside = target.string() + ".new";
  std::error_code ec;
  fs::create_directories(target.parent_path(), ec);
  {
    std::ofstream out(aside, std::ios::binary | std::ios::trunc);
    out << line << '\n';
    out.close();
    if (!out) {
      fs::remove(aside, ec);
      if (why) *why = "cannot write " + aside.string();
      return false;
    }
  }
  fs::rename(aside, target, ec);
  if (ec) {
    fs::remove(aside, ec);
    if (why) *why = "cannot replace " + target.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool RemoveFile(const char* name, std::string* why) {
  std::error_code ec;
  fs::remove(device::NetworkDir() / name, ec);
  if (ec && why) *why = "cannot remove " + (device::NetworkDir() / name).string() + ": " + ec.message();
  return !ec;
}

std::optional<uint32_t> ParseCount(const std::string& text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

}  // namespace

bool IsPlausibleNumber(std::u16string_view number) {
  if (!number.empty() && number.front() == u'+') number.remove_prefix(1);
  if (number.empty() || number.size() > kMaxDigits) return false;
  for (char16_t c : number)
    if (c < u'0' || c > u'9') return false;
  return true;
}

Setting<std::u16string> ReadOwnNumber() {
  Setting<std::string> line = ReadLine(kOwnNumberFile);
  Setting<std::u16string> out;
  out.damaged = line.damaged;
  if (!line.value) return out;
  std::u16string number = Utf8ToUtf16(*line.value);
  if (IsPlausibleNumber(number))
    out.value = number;
  else
    out.damaged = true;
  return out;
}

bool WriteOwnNumber(std::u16string_view number, std::string* why) {
  if (!number.empty() && !IsPlausibleNumber(number)) {
    const std::string given = Utf16ToUtf8(number.substr(0, 40));
    if (why) *why = "\"" + given + "\" is not a phone number (an optional + and 1 to 20 digits)";
    return false;
  }
  NetworkLock lock;
  if (!lock.held()) {
    if (why) *why = "cannot lock " + (device::NetworkDir() / "sms.lock").string();
    return false;
  }
  return number.empty() ? RemoveFile(kOwnNumberFile, why) : ReplaceFile(kOwnNumberFile, Utf16ToUtf8(number), why);
}

Setting<uint32_t> ReadFailAfter() {
  Setting<std::string> line = ReadLine(kFailAfterFile);
  Setting<uint32_t> out;
  out.damaged = line.damaged;
  if (!line.value) return out;
  out.value = ParseCount(*line.value);
  if (!out.value) out.damaged = true;
  return out;
}

bool WriteFailAfter(std::optional<uint32_t> count, std::string* why) {
  NetworkLock lock;
  if (!lock.held()) {
    if (why) *why = "cannot lock " + (device::NetworkDir() / "sms.lock").string();
    return false;
  }
  return count ? ReplaceFile(kFailAfterFile, std::to_string(*count), why) : RemoveFile(kFailAfterFile, why);
}

Delivery SimulatedNetwork::Send(const OutgoingMessage& message) {
  NetworkLock lock;  // the count is read, used and written back with no other sender between
  if (!lock.held()) return Delivery::kUnavailable;
  // A damaged count was meant to make sending fail somehow: it refuses rather than guess.
  const Setting<uint32_t> failAfter = ReadFailAfter();
  if (failAfter.damaged || (failAfter.value && *failAfter.value == 0)) return Delivery::kRefused;

  device::NetworkRecord line;
  line.Add("to", message.to)
      .Add("text", message.text)
      .Add("callback", message.callback)
      .Add("smsc", message.smsc)
      .Add("time", device::LocalTimeText(message.time));
  if (!line.AppendTo(kOutboxFile)) return Delivery::kUnavailable;
  // The message is out; a count that cannot be written back only lets one more through.
  if (failAfter.value) ReplaceFile(kFailAfterFile, std::to_string(*failAfter.value - 1), nullptr);
  return Delivery::kSent;
}

std::optional<std::u16string> SimulatedNetwork::OwnNumber() { return ReadOwnNumber().value; }

}  // namespace platform::sms
