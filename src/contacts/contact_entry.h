// One contact as the program keeps it: a fixed 336-byte little-endian record, the same in memory
// and in allcontacts.dat.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>

#include "windef.h"

namespace parlo {

enum NumberIndex : int32_t { kNumberMobile = 0, kNumberBusiness = 1, kNumberHome = 2 };

struct ContactEntry {
  WCHAR categories[16];   // at most 15 characters, zero-terminated
  WCHAR name[16];
  WCHAR company[16];      // never filled: company names are not loaded
  WCHAR mobile[24];       // at most 23 characters
  WCHAR business[24];
  WCHAR home[24];
  WCHAR nameKey[10];      // a full key has no terminator
  WCHAR companyKey[10];
  int32_t companyLength;
  int32_t nameLength;
  int32_t selectedNumber;  // NumberIndex; the number search overwrites it with the matching number
  int32_t defaultNumber;
  int32_t nameMatch[2];     // start, end of the last match
  int32_t companyMatch[2];
  int32_t numberMatch[2];
  uint32_t oid;            // the contact's identifier in the contact store
  uint32_t picture;        // HBITMAP handle value of this run; in a file only "had a picture"
  int32_t pictureWidth;
  int32_t pictureHeight;
};

static_assert(std::endian::native == std::endian::little, "records are stored little-endian as they are");
static_assert(sizeof(WCHAR) == 2);
static_assert(sizeof(ContactEntry) == 336);
static_assert(offsetof(ContactEntry, categories) == 0);
static_assert(offsetof(ContactEntry, name) == 32);
static_assert(offsetof(ContactEntry, company) == 64);
static_assert(offsetof(ContactEntry, mobile) == 96);
static_assert(offsetof(ContactEntry, business) == 144);
static_assert(offsetof(ContactEntry, home) == 192);
static_assert(offsetof(ContactEntry, nameKey) == 240);
static_assert(offsetof(ContactEntry, companyKey) == 260);
static_assert(offsetof(ContactEntry, companyLength) == 280);
static_assert(offsetof(ContactEntry, nameLength) == 284);
static_assert(offsetof(ContactEntry, selectedNumber) == 288);
static_assert(offsetof(ContactEntry, defaultNumber) == 292);
static_assert(offsetof(ContactEntry, nameMatch) == 296);
static_assert(offsetof(ContactEntry, companyMatch) == 304);
static_assert(offsetof(ContactEntry, numberMatch) == 312);
static_assert(offsetof(ContactEntry, oid) == 320);
static_assert(offsetof(ContactEntry, picture) == 324);
static_assert(offsetof(ContactEntry, pictureWidth) == 328);
static_assert(offsetof(ContactEntry, pictureHeight) == 332);

}  // namespace parlo
