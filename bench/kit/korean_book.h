// An address book of Korean names on a device of its own, for the benches that search it.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "kit/bench_device.h"

struct IPOutlookApp;

namespace bench {

// `n` three-syllable names from common family and given syllables, the same on every run.
std::vector<std::string> KoreanNames(int n);

// One vCard per name with a mobile number of its own; with a picture each when `pictures` is set.
std::string NamesVcf(const std::vector<std::string>& names, bool pictures);

// A device of its own with the given address book and a logged-on application object.
class BookDevice {
 public:
  explicit BookDevice(const std::string& vcf);
  ~BookDevice();
  BookDevice(const BookDevice&) = delete;
  BookDevice& operator=(const BookDevice&) = delete;
  IPOutlookApp* app() const { return app_; }
  std::filesystem::path cache() const;

 private:
  TempDir temp_;
  IPOutlookApp* app_ = nullptr;
};

}  // namespace bench
