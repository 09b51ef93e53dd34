// The other programs of the device, as their sockets in DIR/run show them: which ones answer,
// which ones hang, and which sockets were left behind by programs that ended badly.
#pragma once
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/device/instance/instance_protocol.h"
#include "platform/device/instance/unix_socket.h"

namespace platform::device {

// Sockets of other programs (instance-<pid>.sock, owned by this user), sorted. Files, links
// and folders that merely carry such a name are not sockets of anyone.
std::vector<std::filesystem::path> OtherInstanceSockets();

// One request, one reply. Nothing when the peer is gone, slow or answers nonsense;
// *connectError is the errno of a failed connect (0 otherwise).
std::optional<instance::Reply> RoundTrip(const std::filesystem::path& socket, const std::string& frame,
                                         Deadline deadline, int* connectError);

// Removes `socket` when nobody listens on it and the program it names has ended. True if removed.
bool RemoveIfStale(const std::filesystem::path& socket);

struct PeerCheck {
  int answering = 0;                // programs whose UI thread answered in time
  std::vector<std::string> silent;  // process ids of programs that took the connection but never answered
};

// Asks every other program of the device to answer, waiting at most `boundMs` for all of them
// together, and removes the stale sockets on the way.
PeerCheck CheckPeers(uint32_t boundMs);

}  // namespace platform::device
