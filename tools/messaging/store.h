// The phone's message store as its messaging software holds it: the volume mounted and both
// message databases open in one session, closed again when done.
#pragma once
#include <string>
#include <vector>

#include "messaging/usage_error.h"
#include "windbase.h"
#include "windows.h"

namespace parlo_device {

class Store {
 public:
  // `create`: make the volume and its databases when missing (init). Otherwise a device
  // without a store is refused: the phone's software never works on half a phone.
  explicit Store(bool create);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  HANDLE recv() const { return handles_[0]; }
  HANDLE send() const { return handles_[1]; }
  // Another database of the volume, made when missing; open until the store closes. Call it
  // before Begin.
  HANDLE Extra(const char16_t* name);

  // Everything between Begin and Commit is one change that no other writer, in any process,
  // comes between: what was read inside (the next free identifier) is still true at commit.
  // Without Commit the change is given up when the store closes.
  void Begin();
  void Commit();

 private:
  void Create(const char16_t* name);
  HANDLE Open(const char16_t* name);

  CEGUID guid_{};
  bool mounted_ = false;
  HANDLE session_ = INVALID_HANDLE_VALUE;
  std::vector<HANDLE> handles_;
};

// What an error code of the volume calls means for the user, in a few words.
std::string StoreProblem(DWORD error);

// Walks every record of a database in its order, handing each one's values to `f`. A store that
// cannot be read to its end is reported, never taken for one with fewer messages.
template <typename F>
void ForEachRecord(HANDLE db, F&& f) {
  if (!CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr)) {
    if (GetLastError() == ERROR_NO_MORE_ITEMS) return;
    throw UsageError{StoreProblem(GetLastError())};
  }
  LPBYTE buf = nullptr;
  DWORD size = 0;
  DWORD error = ERROR_NO_MORE_ITEMS;
  for (;;) {
    WORD count = 0;
    CEOID oid = CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buf, &size, nullptr);
    if (!oid) {
      error = GetLastError();
      break;
    }
    f(oid, reinterpret_cast<const CEPROPVAL*>(buf), count);
  }
  LocalFree(buf);
  if (error != ERROR_NO_MORE_ITEMS) throw UsageError{StoreProblem(error)};
}

}  // namespace parlo_device
