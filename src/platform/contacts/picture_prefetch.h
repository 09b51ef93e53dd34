// Decoding the address book's pictures ahead, on the cores the program does not use: at a first
// start with many camera photos the program scales them one after another, and the decoding is
// nearly all of that time. The first picture the program asks for starts the prefetch; the
// others are then decoded from the end of the book toward the front while the program works
// from the front, and each is decoded once.
#pragma once
#include <cstdint>

#include "platform/contacts/picture.h"

namespace platform::contacts {

class PicturePrefetch {
 public:
  static PicturePrefetch& Instance();
  ~PicturePrefetch();

  // Starts decoding, to cover `minWidth` x `minHeight`, every picture of the book that the
  // picture cache does not hold; once until Stop.
  void Start(int minWidth, int minHeight);
  // The decoded picture `digest` when a worker has it (waiting while one is on it). False when
  // nobody started it: then no worker will, and the caller decodes it itself.
  bool Take(uint64_t digest, Pixels* out);
  // Ends the workers and forgets what they did not hand over.
  void Stop();
};

}  // namespace platform::contacts
