// The single-instance socket's wire format: one request frame per connection, one reply.
// A frame is a 16-byte header (magic "PRLO", version, operation, request id, payload length;
// little-endian) and a payload of at most kMaxPayload bytes. Everything is checked on arrival.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform::device::instance {

inline constexpr uint32_t kMagic = 0x4F4C5250;  // "PRLO"
inline constexpr uint16_t kVersion = 1;
inline constexpr size_t kHeaderSize = 16;
inline constexpr uint32_t kMaxPayload = 1024;
inline constexpr uint32_t kMaxCopyData = 520;  // a 260-character buffer
inline constexpr uint32_t kMaxClassChars = 256;

// kPing has no payload: its answer only says that the program's UI thread serves requests.
enum class Op : uint16_t { kFind = 1, kSend = 2, kShow = 3, kForeground = 4, kPing = 5 };
inline constexpr uint16_t kReplyBit = 0x8000;

// Reply status.
enum class Status : uint32_t {
  kOk = 0,
  kBadFrame = 1,      // garbage, wrong magic or version, oversized or inconsistent payload
  kUnknownOp = 2,
  kRefused = 3,       // a message that may not cross, or data too large
  kNoWindow = 4,      // no such top-level window here
  kBusy = 5,          // the UI thread did not answer in time
};

struct Header {
  uint32_t magic = kMagic;
  uint16_t version = kVersion;
  uint16_t op = 0;
  uint32_t id = 0;
  uint32_t length = 0;
};

std::string EncodeHeader(const Header& h);
// Nothing for a wrong magic, version or a payload longer than kMaxPayload.
std::optional<Header> DecodeHeader(const uint8_t* bytes);

struct FindRequest {
  std::u16string className;
  bool hasWindowName = false;
  std::u16string windowName;
};
struct SendRequest {
  uint32_t hwnd = 0;
  uint32_t message = 0;
  int64_t wParam = 0;
  int64_t lParam = 0;
  uint64_t copyDwData = 0;           // WM_COPYDATA only
  std::string copyData;              // WM_COPYDATA only, at most kMaxCopyData bytes
};
struct WindowRequest {  // kShow (with command) and kForeground
  uint32_t hwnd = 0;
  int32_t command = 0;
};
struct Reply {
  Status status = Status::kOk;
  int64_t value = 0;
};

// The messages that may cross: WM_COPYDATA and the frame's view messages 1034..1039.
bool MayCross(uint32_t message);

std::string EncodeFind(uint32_t id, const FindRequest& r);
std::string EncodeSend(uint32_t id, const SendRequest& r);
std::string EncodeWindow(uint32_t id, Op op, const WindowRequest& r);
std::string EncodePing(uint32_t id);
std::string EncodeReply(uint32_t id, uint16_t op, const Reply& r);

// Payload decoders: nothing when the payload does not have exactly the expected shape.
std::optional<FindRequest> DecodeFind(const std::string& payload);
// Also refuses messages that may not cross and oversized data (kRefused via `refused`).
std::optional<SendRequest> DecodeSend(const std::string& payload, bool* refused);
std::optional<WindowRequest> DecodeWindow(const std::string& payload);
std::optional<Reply> DecodeReply(const std::string& payload);

}  // namespace platform::device::instance
