// What the benchmarks set up on a device of their own: a temporary folder, a message store
// filled as a busy phone's would be, and an address book with pictures.
#pragma once
#include <filesystem>
#include <string>

namespace bench {

// A fresh folder under the temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Makes `root` the device of this process, on the virtual clock at 2024-03-05 14:07:09.
void UseDevice(const std::filesystem::path& root);

// The number of the `i`th correspondent: 010-(1000 + i)-(7 i), four digits each.
std::u16string CorrespondentNumber(int i);

// Writes `count` received messages into "\RECV_MSG" of the store at its usual place on the
// current device root, from `correspondents` numbers in turn, with message identifiers out of
// insertion order so that sorting has work to do. `createVolume` makes the volume and both
// databases first (otherwise they must exist). Aborts on any failure: a benchmark of a half
// filled store would measure nothing.
void FillReceived(int count, int correspondents, bool createVolume);

// One vCard PHOTO line: a 96 x 96 JPEG, as phones export them.
std::string PhotoLine();

// `count` contacts named "Contact N"; the first `owning` of them own the correspondent numbers,
// the others numbers of their own; with a picture each when `pictures` is set.
std::string ContactsVcf(int count, int owning, bool pictures);

// A 12-megapixel (4000 x 3000) camera-like JPEG (quality 90): smooth light, hard edges and
// sensor grain, one of four scenes by `index`, with `index` written into a comment segment so
// that every file differs (as every contact's photo does) while each costs a full decode.
std::string CameraJpeg(int index);

// `count` contacts as ContactsVcf with none owning a correspondent number, each with a camera
// photo of its own (CameraJpeg) when `photos` is set; the cards are the same otherwise.
std::string CameraContactsVcf(int count, bool photos);

}  // namespace bench
