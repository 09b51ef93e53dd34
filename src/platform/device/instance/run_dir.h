// DIR/run: the locks and sockets of running programs, private to the user (mode 0700).
#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace platform::device {

// Creates DIR/run if needed and makes sure only the owner can enter it. False if it cannot be
// made, or if it is not a folder of ours (a link, a file, another user's), with *why saying
// which in a few words.
bool EnsureRunDir(std::string* why = nullptr);

// A file name for an object name: letters and digits kept, everything else escaped, long names
// hashed, so any name maps to one safe file name.
std::string SafeFileName(std::string_view prefix, std::u16string_view name);

}  // namespace platform::device
