// A read-only stream over bytes in memory: the contact picture property.
#pragma once
#include <string>

#include "objbase.h"

namespace platform::contacts {

IStream* NewMemoryStream(std::string bytes);

}  // namespace platform::contacts
