// The contact cache (allcontacts.dat) as the book reads it, then searched as the picker does.
// Whole records are the cache; the bytes after the last whole record are the keys typed on the
// keypad (0-9 a digit, 10 the Hangul / Latin key, 11 back), so one input is one cache and one query.
#include <cstdlib>
#include <string_view>

#include "contacts/contact_book.h"

namespace {

void CheckReadable(const parlo::ContactEntry& e) {
  auto ends = [](const WCHAR* field, int units) {
    for (int i = 0; i < units; ++i)
      if (!field[i]) return true;
    return false;
  };
  if (!ends(e.name, 16) || !ends(e.categories, 16) || !ends(e.company, 16) || !ends(e.mobile, 24) ||
      !ends(e.business, 24) || !ends(e.home, 24))
    std::abort();
  if (e.selectedNumber < 0 || e.selectedNumber > 2 || e.defaultNumber < 0 || e.defaultNumber > 2) std::abort();
  if (e.nameLength < 0 || e.nameLength > 15 || e.companyLength < 0 || e.companyLength > 15) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  parlo::ContactBook book(nullptr);
  book.ReadCacheRecords(bytes);
  // As the book does after reading the cache without pictures: no handle of another run is kept.
  for (int i = 0; i < book.Count(); ++i) book.FullEntry(i)->picture = 0;
  if (book.Count() != static_cast<int>(size / sizeof(parlo::ContactEntry))) std::abort();

  const size_t keys = size % sizeof(parlo::ContactEntry);
  for (size_t k = size - keys; k < size; ++k) {
    const int key = data[k] % 12;
    if (key < 10) book.PushKey(key);
    else if (key == 10) book.ToggleKeyMode();
    else book.PopKey();
    const bool fromAll = data[k] & 0x80;
    const int shown = book.RunFilter(data[k] & 0x10, data[k] & 0x20, data[k] & 0x40, fromAll);
    for (int i = 0; i < shown; ++i) {
      parlo::ContactEntry* e = book.EntryAt(i);
      if (!e) std::abort();
      CheckReadable(*e);
    }
  }
  for (int i = 0; i < book.Count(); ++i) CheckReadable(*book.FullEntry(i));
  return 0;
}
