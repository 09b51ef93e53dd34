// The device root: the phone's file system lives in one host folder. Phone path \A\B is DIR/A/B.
#pragma once
#include <filesystem>
#include <optional>
#include <string>

#include "windef.h"

namespace platform::device {

void SetRoot(const std::filesystem::path& dir);

// The device is private storage, as a phone's is: whatever this process creates from now on,
// under the device or beside it (SQLite's journals included), is the user's alone: folders
// 0700, files 0600. Call at start, before the device is made or opened. Returns the old mask.
unsigned UsePrivateFileModes();
const std::filesystem::path& Root();

// Maps a phone path ("\MITs Store\MMS\mms.edb") to a host path under the root.
// Returns nothing for paths that would leave the root ("..") or contain a NUL or '/'.
std::optional<std::filesystem::path> HostPath(std::u16string_view phonePath);

// Folders every part of the platform agrees on.
std::filesystem::path RunDir();      // DIR/run: locks and sockets of running programs (mode 0700)
std::filesystem::path NetworkDir();  // DIR/network: what left the phone (outbox, calls, launches)
std::filesystem::path ProgramDir();  // DIR/Program Files/Parlo
std::filesystem::path RegistryFile();  // DIR/registry.db

}  // namespace platform::device
