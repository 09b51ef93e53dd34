// A frame from a peer on the single-instance socket: the header, then the payload as each
// operation's decoder reads it (the server reads requests, a launch reads the reply). Whatever
// decodes must encode back to the same payload, so nothing is read that was not sent.
#include <cstdlib>
#include <string>

#include "platform/device/instance/instance_protocol.h"

using namespace platform::device::instance;

namespace {

std::string PayloadOf(const std::string& frame) { return frame.substr(kHeaderSize); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < kHeaderSize) return 0;
  auto header = DecodeHeader(data);
  if (!header) return 0;
  if (header->length > kMaxPayload) std::abort();
  // The server reads exactly the payload the header announces; a short peer gives no request.
  if (size - kHeaderSize < header->length) return 0;
  const std::string payload(reinterpret_cast<const char*>(data) + kHeaderSize, header->length);

  if (auto find = DecodeFind(payload)) {
    if (find->className.size() > kMaxClassChars) std::abort();
    if (PayloadOf(EncodeFind(header->id, *find)) != payload) std::abort();
  }
  bool refused = false;
  if (auto send = DecodeSend(payload, &refused)) {
    if (!MayCross(send->message) || send->copyData.size() > kMaxCopyData) std::abort();
    if (PayloadOf(EncodeSend(header->id, *send)) != payload) std::abort();
  }
  if (auto window = DecodeWindow(payload)) {
    if (PayloadOf(EncodeWindow(header->id, Op::kShow, *window)) != payload) std::abort();
  }
  if (auto reply = DecodeReply(payload)) {
    if (PayloadOf(EncodeReply(header->id, header->op, *reply)) != payload) std::abort();
  }
  return 0;
}
