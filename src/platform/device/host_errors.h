// Host errno values as the phone's error codes.
#pragma once
#include <filesystem>

#include "windef.h"

namespace platform::device {

// ENOENT becomes ERROR_PATH_NOT_FOUND when the folder itself is missing, as on the phone.
DWORD ErrorFromErrno(int err, const std::filesystem::path& path);

// A phone path that leaves the device root ("..", a NUL or '/') is refused with this code.
inline constexpr DWORD kRefusedPathError = ERROR_ACCESS_DENIED;

}  // namespace platform::device
