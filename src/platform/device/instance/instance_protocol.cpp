#include "platform/device/instance/instance_protocol.h"

#include <cstring>

namespace platform::device::instance {
namespace {

constexpr uint32_t kWmCopyData = 74;
constexpr uint32_t kFirstViewMessage = 1034, kLastViewMessage = 1039;
constexpr uint16_t kNoName = 0xFFFF;

class Writer {
 public:
  Writer& U16(uint16_t v) { return Raw(v, 2); }
  Writer& U32(uint32_t v) { return Raw(v, 4); }
  Writer& U64(uint64_t v) { return Raw(v, 8); }
  Writer& Bytes(const std::string& b) {
    out_ += b;
    return *this;
  }
  Writer& Text(const std::u16string& s) {
    for (char16_t c : s) U16(c);
    return *this;
  }
  std::string Take() { return std::move(out_); }

 private:
  Writer& Raw(uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out_.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    return *this;
  }
  std::string out_;
};

class Reader {
 public:
  explicit Reader(const std::string& in) : in_(in) {}
  bool U16(uint16_t* v) { return Raw(v, 2); }
  bool U32(uint32_t* v) { return Raw(v, 4); }
  bool U64(uint64_t* v) { return Raw(v, 8); }
  bool Bytes(size_t n, std::string* out) {
    if (in_.size() - pos_ < n) return false;
    *out = in_.substr(pos_, n);
    pos_ += n;
    return true;
  }
  bool Text(size_t chars, std::u16string* out) {
    out->clear();
    for (size_t i = 0; i < chars; ++i) {
      uint16_t c;
      if (!U16(&c)) return false;
      out->push_back(static_cast<char16_t>(c));
    }
    return true;
  }
  bool AtEnd() const { return pos_ == in_.size(); }

 private:
  template <typename T>
  bool Raw(T* v, int n) {
    if (in_.size() - pos_ < static_cast<size_t>(n)) return false;
    uint64_t x = 0;
    for (int i = 0; i < n; ++i) x |= static_cast<uint64_t>(static_cast<uint8_t>(in_[pos_ + i])) << (8 * i);
    pos_ += n;
    *v = static_cast<T>(x);
    return true;
  }
  const std::string& in_;
  size_t pos_ = 0;
};

std::string Frame(uint32_t id, uint16_t op, const std::string& payload) {
  Header h;
  h.op = op;
  h.id = id;
  h.length = static_cast<uint32_t>(payload.size());
  return EncodeHeader(h) + payload;
}

}  // namespace

std::string EncodeHeader(const Header& h) {
  return Writer().U32(h.magic).U16(h.version).U16(h.op).U32(h.id).U32(h.length).Take();
}

std::optional<Header> DecodeHeader(const uint8_t* bytes) {
  std::string raw(reinterpret_cast<const char*>(bytes), kHeaderSize);
  Reader r(raw);
  Header h;
  r.U32(&h.magic);
  r.U16(&h.version);
  r.U16(&h.op);
  r.U32(&h.id);
  r.U32(&h.length);
  if (h.magic != kMagic || h.version != kVersion || h.length > kMaxPayload) return std::nullopt;
  return h;
}

bool MayCross(uint32_t message) {
  return message == kWmCopyData || (message >= kFirstViewMessage && message <= kLastViewMessage);
}

std::string EncodeFind(uint32_t id, const FindRequest& r) {
  Writer w;
  w.U16(static_cast<uint16_t>(r.className.size()));
  w.U16(r.hasWindowName ? static_cast<uint16_t>(r.windowName.size()) : kNoName);
  w.Text(r.className);
  if (r.hasWindowName) w.Text(r.windowName);
  return Frame(id, static_cast<uint16_t>(Op::kFind), w.Take());
}

std::string EncodeSend(uint32_t id, const SendRequest& r) {
  Writer w;
  w.U32(r.hwnd).U32(r.message).U64(static_cast<uint64_t>(r.wParam)).U64(static_cast<uint64_t>(r.lParam));
  w.U64(r.copyDwData).U32(static_cast<uint32_t>(r.copyData.size())).Bytes(r.copyData);
  return Frame(id, static_cast<uint16_t>(Op::kSend), w.Take());
}

std::string EncodeWindow(uint32_t id, Op op, const WindowRequest& r) {
  return Frame(id, static_cast<uint16_t>(op), Writer().U32(r.hwnd).U32(static_cast<uint32_t>(r.command)).Take());
}

std::string EncodePing(uint32_t id) { return Frame(id, static_cast<uint16_t>(Op::kPing), {}); }

std::string EncodeReply(uint32_t id, uint16_t op, const Reply& r) {
  return Frame(id, op | kReplyBit,
               Writer().U32(static_cast<uint32_t>(r.status)).U64(static_cast<uint64_t>(r.value)).Take());
}

std::optional<FindRequest> DecodeFind(const std::string& payload) {
  Reader r(payload);
  uint16_t classChars, nameChars;
  if (!r.U16(&classChars) || !r.U16(&nameChars)) return std::nullopt;
  if (classChars == 0 || classChars > kMaxClassChars) return std::nullopt;
  if (nameChars != kNoName && nameChars > kMaxClassChars) return std::nullopt;
  FindRequest f;
  if (!r.Text(classChars, &f.className)) return std::nullopt;
  if (f.className.find(u'\0') != std::u16string::npos) return std::nullopt;
  if (nameChars != kNoName) {
    f.hasWindowName = true;
    if (!r.Text(nameChars, &f.windowName) || f.windowName.find(u'\0') != std::u16string::npos) return std::nullopt;
  }
  if (!r.AtEnd()) return std::nullopt;
  return f;
}

std::optional<SendRequest> DecodeSend(const std::string& payload, bool* refused) {
  *refused = false;
  Reader r(payload);
  SendRequest s;
  uint64_t wp, lp;
  uint32_t size;
  if (!r.U32(&s.hwnd) || !r.U32(&s.message) || !r.U64(&wp) || !r.U64(&lp) || !r.U64(&s.copyDwData) ||
      !r.U32(&size))
    return std::nullopt;
  s.wParam = static_cast<int64_t>(wp);
  s.lParam = static_cast<int64_t>(lp);
  if (!MayCross(s.message) || size > kMaxCopyData || (s.message != kWmCopyData && size != 0)) {
    *refused = true;
    return std::nullopt;
  }
  if (!r.Bytes(size, &s.copyData) || !r.AtEnd()) return std::nullopt;
  return s;
}

std::optional<WindowRequest> DecodeWindow(const std::string& payload) {
  Reader r(payload);
  WindowRequest w;
  uint32_t cmd;
  if (!r.U32(&w.hwnd) || !r.U32(&cmd) || !r.AtEnd()) return std::nullopt;
  w.command = static_cast<int32_t>(cmd);
  return w;
}

std::optional<Reply> DecodeReply(const std::string& payload) {
  Reader r(payload);
  uint32_t status;
  uint64_t value;
  if (!r.U32(&status) || !r.U64(&value) || !r.AtEnd()) return std::nullopt;
  if (status > static_cast<uint32_t>(Status::kBusy)) return std::nullopt;
  return Reply{static_cast<Status>(status), static_cast<int64_t>(value)};
}

}  // namespace platform::device::instance
