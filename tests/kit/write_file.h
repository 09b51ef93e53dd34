// Writes test input files, making their folders first.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace parlo_test {

inline void WriteFileBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes) {
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace parlo_test
