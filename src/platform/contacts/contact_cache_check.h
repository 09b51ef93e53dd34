// Whether the program's contact cache (allcontacts.dat) still describes the address book. The
// cache is headerless records, so what it was written from is noted in a small file beside it:
// the book's stamp and the record count. A cut, emptied or outdated cache is then seen as such.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform::contacts {

// The address book as it is now (contacts.vcf's size, change time and file identity); it
// changes whenever the book does.
std::string AddressBookStamp();

// True when the cache at phone path `cache` holds whole records of `recordSize` bytes, as many as
// the book has contacts, and was noted as written from the book as it is now.
bool ContactCacheIsCurrent(std::u16string_view cache, size_t recordSize);

// Notes beside the cache that it holds `records` records of the book `bookStamp` (taken when the
// list was read from the book). False when the note cannot be written; the cache is then rebuilt
// at the next start.
bool NoteContactCache(std::u16string_view cache, const std::string& bookStamp, size_t records);

}  // namespace platform::contacts
