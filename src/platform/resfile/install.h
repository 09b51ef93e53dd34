// Putting the built skin library where the phone's program finds it.
#pragma once
#include <filesystem>

namespace platform::resfile {

// Parlores.dll as the build leaves it: beside the running executable (build/bin).
std::filesystem::path BuiltLibraryPath();
// Copies `source` (default: BuiltLibraryPath()) to DIR/Program Files/Parlo/Parlores.dll,
// creating the folders. False when the source is missing or the copy fails.
bool InstallLibrary(const std::filesystem::path& source = BuiltLibraryPath());

}  // namespace platform::resfile
