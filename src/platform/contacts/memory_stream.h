// A read-only stream over bytes in memory: the contact picture property.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "objbase.h"

namespace platform::contacts {

IStream* NewMemoryStream(std::string bytes);

// A contact's picture property: its size and digest are known at once, its bytes are fetched on
// the first read, so a picture kept elsewhere under its digest is never read from the book.
IStream* NewPhotoStream(uint64_t size, uint64_t digest, std::function<std::shared_ptr<const std::string>()> fetch);
// The digest of a stream made by NewPhotoStream; false for any other stream.
bool PhotoStreamDigest(IStream* stream, uint64_t* digest);
// The bytes of such a stream, fetched if need be, without a copy; null for any other stream.
std::shared_ptr<const std::string> PhotoStreamBytes(IStream* stream);

}  // namespace platform::contacts
