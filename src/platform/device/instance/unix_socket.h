// Unix stream sockets with deadlines, for the single-instance socket.
#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

namespace platform::device {

using Deadline = std::chrono::steady_clock::time_point;
inline Deadline DeadlineIn(uint32_t ms) { return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms); }

// Listening socket at `path` (mode 0600); -1 on failure.
int ListenAt(const std::filesystem::path& path);
// Connected socket, or -errno (ECONNREFUSED: nobody listens there any more).
int ConnectTo(const std::filesystem::path& path);
// False on error, a closed peer, or the deadline.
bool WriteAll(int fd, const std::string& data, Deadline deadline);
bool ReadExact(int fd, void* buffer, size_t size, Deadline deadline);

}  // namespace platform::device
