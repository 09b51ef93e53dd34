// Contact pictures as they were last scaled for the program, kept beside its contact cache
// (DIR/Program Files/Parlo/allcontacts.pic). Each is found by the digest of its picture file and
// the size asked for, so a later start decodes nothing; a changed picture has another digest.
#pragma once
#include <cstdint>

#include "platform/contacts/picture.h"

namespace platform::contacts {

class PictureCache {
 public:
  static PictureCache& Instance();

  // The picture's own size, when any thumbnail of it is kept.
  bool Find(uint64_t digest, int* width, int* height);
  bool Thumbnail(uint64_t digest, int width, int height, Pixels* out);
  void Put(uint64_t digest, int width, int height, const Pixels& thumbnail);
  // Writes the pictures used or added since the cache was read, when anything was added: beside
  // the file and renamed over it, so a reader never sees half of one.
  void Save();
};

}  // namespace platform::contacts
