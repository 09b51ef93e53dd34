// A fresh temporary device root per test, removed afterwards; the virtual clock at a fixed time.
#pragma once
#include <filesystem>
#include <string>

namespace parlo_test {

class TempDevice {
 public:
  // Starts the virtual clock at `start` ("YYYY-MM-DD HH:MM:SS") and points the platform here.
  explicit TempDevice(const char* start = "2024-03-05 14:07:09");
  ~TempDevice();
  TempDevice(const TempDevice&) = delete;
  TempDevice& operator=(const TempDevice&) = delete;

  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

// Reads a whole file as bytes ("" when missing).
std::string ReadFileBytes(const std::filesystem::path& p);

}  // namespace parlo_test
