// A change the phone's messaging software refuses: one clear line for the user, nothing changed.
#pragma once
#include <string>

namespace parlo_device {

struct UsageError {
  std::string message;
};

}  // namespace parlo_device
