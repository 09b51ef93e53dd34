#include "kit/temp_device.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/base/clock.h"
#include "platform/base/device_root.h"

namespace parlo_test {

TempDevice::TempDevice(const char* start) {
  std::string tmpl = (std::filesystem::temp_directory_path() / "parlo-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  dir_ = tmpl;
  platform::device::SetRoot(dir_);
  SYSTEMTIME st{};
  if (!platform::clock::ParseLocalTime(start, &st)) throw std::runtime_error("bad start time");
  platform::clock::UseVirtual(st);
}

TempDevice::~TempDevice() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string ReadFileBytes(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace parlo_test
