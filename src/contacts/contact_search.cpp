// The initial-consonant search over the contact book: the query, the matchers and the filter.
#include <string_view>

#include "contacts/contact_book.h"
#include "contacts/search_key.h"

namespace parlo {
namespace {

// Every letter of the key rows as a bit: a-z, then the compatibility jamo U+3131-U+314E.
// Digits, '*' and anything else are in no row.
inline int KeyLetterCode(WCHAR k) {
  if (k >= u'a' && k <= u'z') return k - u'a';
  if (k >= 0x3131 && k <= 0x314E) return 26 + (k - 0x3131);
  return -1;
}

uint64_t LetterSet(WCHAR q) {
  uint64_t set = 0;
  const WCHAR* row = RowForLetter(q);
  for (int r = 0; row && r < 4 && row[r]; ++r)
    if (int code = KeyLetterCode(row[r]); code >= 0) set |= uint64_t{1} << code;
  return set;
}

}  // namespace

void ContactBook::ResetQuery() {
  category_ = 0;
  letterCount_ = digitCount_ = 0;
  for (auto& c : letters_) c = 0;
  for (auto& c : digits_) c = 0;
  for (auto& m : letterSets_) m = 0;
  hangul_ = 1;
}

void ContactBook::PushKey(int digit) {
  if (digit < 0 || digit > 9) return;
  // The digit query holds 15 keys and its terminator; a sixteenth key is not taken.
  if (digitCount_ >= 15 || letterCount_ >= 15) return;
  digits_[digitCount_] = static_cast<WCHAR>(u'0' + digit);
  digits_[++digitCount_] = 0;
  letters_[letterCount_] = (hangul_ ? kHangulRows : kLatinRows)[digit][0];
  letterSets_[letterCount_] = LetterSet(letters_[letterCount_]);
  ++letterCount_;
}

void ContactBook::PopKey() {
  if (letterCount_ > 0) {
    --letterCount_;
    letters_[letterCount_] = 0;
    letterSets_[letterCount_] = 0;
  }
  if (digitCount_ > 0) digits_[--digitCount_] = 0;
}

void ContactBook::ToggleKeyMode() { hangul_ = hangul_ ? 0 : 1; }

bool ContactBook::IsFiltering(bool withCategory) const {
  if (letterCount_ >= 1 || digitCount_ >= 1) return true;
  return withCategory && category_ >= 1;
}

bool ContactBook::IsGroupCategory() const {
  return !categories_.empty() && category_ == static_cast<int>(categories_.size()) - 1;
}

bool ContactBook::MatchSearchKey(const WCHAR* key, int length, int32_t* start, int32_t* end) const {
  if (length < letterCount_) return false;
  // The key ends at its terminator or after its 10th unit; past that nothing is in any row.
  auto at = [key](int i) -> WCHAR { return i < kSearchKeyMax ? key[i] : 0; };
  for (int p = 0;; ++p) {
    if (letterCount_ < 1 || at(p) == 0) {
      *start = *end = 0;
      return false;
    }
    if (at(p) == u'*') continue;
    int skipped = 0;
    bool hit = true;
    for (int j = 0; j < letterCount_; ++j) {
      while (at(p + j + skipped) == u'*') ++skipped;
      int code = KeyLetterCode(at(p + j + skipped));
      if (code < 0 || !(letterSets_[j] >> code & 1)) {
        hit = false;
        break;
      }
    }
    if (hit) {
      *start = p;
      *end = p + letterCount_ + skipped;
      return true;
    }
  }
}

bool ContactBook::MatchNumber(ContactEntry* entry) const {
  const WCHAR* numbers[3] = {entry->mobile, entry->business, entry->home};
  for (int32_t n = 0; n < 3; ++n) {
    const WCHAR* number = numbers[n];
    int length = 0;
    while (length < 23 && number[length]) ++length;
    if (length < digitCount_) continue;
    for (int p = 0; digitCount_ >= 1 && p < length; ++p) {
      if (number[p] != digits_[0]) continue;
      int skipped = 0;
      bool hit = true;
      for (int j = 1; j < digitCount_; ++j) {
        while (p + j + skipped < length && number[p + j + skipped] == u'-') ++skipped;
        if (p + j + skipped >= length || number[p + j + skipped] != digits_[j]) {
          hit = false;
          break;
        }
      }
      if (hit) {
        entry->numberMatch[0] = p;
        entry->numberMatch[1] = p + digitCount_ + skipped;
        entry->selectedNumber = n;
        return true;
      }
    }
  }
  entry->numberMatch[0] = entry->numberMatch[1] = 0;
  return false;
}

bool ContactBook::MatchCategory(const ContactEntry* entry) const {
  if (category_ <= 0) return true;
  std::u16string_view name;
  if (category_ < static_cast<int>(categories_.size())) name = categories_[category_];
  size_t length = 0;
  while (length < 15 && entry->categories[length]) ++length;
  std::u16string_view cats(entry->categories, length);
  if (cats.find(u',') != std::u16string_view::npos) return !name.empty() && cats.find(name) != std::u16string_view::npos;
  return cats == name;
}

int ContactBook::RunFilter(bool byName, bool byNumber, bool byCompany, bool fromAll) {
  if (IsGroupCategory()) {
    filtered_ = group_;
    return static_cast<int>(filtered_.size());
  }
  // Narrowing reads the previous result; otherwise the full list is read where it lies.
  bool narrow = !fromAll && (letterCount_ > 1 || digitCount_ >= 2);
  if (!narrow) return FilterAll(byName, byNumber, byCompany);
  std::vector<ContactEntry*> previous;
  previous.swap(filtered_);
  for (ContactEntry* e : previous) FilterEntry(e, byName, byNumber, byCompany);
  // Ranges were written past the index, which reads them back before its next scan.
  nameRangesNoted_ = false;
  return static_cast<int>(filtered_.size());
}

bool ContactBook::FilterEntry(ContactEntry* e, bool byName, bool byNumber, bool byCompany) {
  if (!MatchCategory(e)) return false;
  bool nameHit = false;
  if (letterCount_ == 0) nameHit = true;
  else if (byName) nameHit = MatchSearchKey(e->nameKey, e->nameLength, &e->nameMatch[0], &e->nameMatch[1]);
  if (!nameHit && byCompany)
    nameHit = MatchSearchKey(e->companyKey, e->companyLength, &e->companyMatch[0], &e->companyMatch[1]);
  bool numberHit = digitCount_ != 0 && byNumber && MatchNumber(e);
  if (!nameHit && !numberHit) return false;
  // A contact listed for one of the two must not show the other's range from an earlier query.
  if (!nameHit) e->nameMatch[0] = e->nameMatch[1] = 0;
  if (!numberHit) e->numberMatch[0] = e->numberMatch[1] = 0;
  filtered_.push_back(e);
  return true;
}

int ContactBook::FilterAll(bool byName, bool byNumber, bool byCompany) {
  if (nameIndex_.Size() != all_.size()) nameIndex_.Build(all_);
  else if (!nameRangesNoted_) nameIndex_.NoteRanges(all_);
  nameRangesNoted_ = true;
  filtered_.clear();
  const bool namesOnly = byName && letterCount_ > 0 && category_ <= 0 && !byCompany && !(byNumber && digitCount_ != 0);
  if (!namesOnly) {
    for (size_t i = 0; i < all_.size(); ++i) {
      ContactEntry* e = all_[i].get();
      FilterEntry(e, byName, byNumber, byCompany);
      nameIndex_.NoteRange(static_cast<uint32_t>(i), e->nameMatch[0] != 0 || e->nameMatch[1] != 0);
    }
    return static_cast<int>(filtered_.size());
  }
  // The name search alone, as FilterEntry would do it: a hit gets its range and loses any number
  // range; a miss long enough to be tried has its range cleared, which only entries holding one need.
  uint8_t rows[16];
  for (int j = 0; j < letterCount_; ++j) rows[j] = NameSearchIndex::RowOfQueryLetter(letters_[j]);
  const int candidates = nameIndex_.Scan(rows, letterCount_);
  const uint32_t* index = nameIndex_.Candidates();
  const uint64_t* match = nameIndex_.Matches();
  for (int k = 0; k < candidates; ++k) {
    const uint32_t i = index[k];
    ContactEntry* e = all_[i].get();
    if (match[k]) {
      nameIndex_.Range(i, match[k], letterCount_, &e->nameMatch[0], &e->nameMatch[1]);
      e->numberMatch[0] = e->numberMatch[1] = 0;
      nameIndex_.NoteRange(i, true);
      filtered_.push_back(e);
    } else if (nameIndex_.Length(i) >= letterCount_) {
      e->nameMatch[0] = e->nameMatch[1] = 0;
      nameIndex_.NoteRange(i, false);
    }
  }
  return static_cast<int>(filtered_.size());
}

ContactEntry* ContactBook::EntryAt(int i) const {
  const bool full = !IsFiltering(true) && !IsGroupCategory();
  if (i < 0) return nullptr;
  if (full) return i < static_cast<int>(all_.size()) ? all_[i].get() : nullptr;
  return i < static_cast<int>(filtered_.size()) ? filtered_[i] : nullptr;
}

}  // namespace parlo
