#include "contacts/name_search_index.h"

#include <algorithm>
#include <array>
#include <bit>

#include "contacts/search_key.h"

namespace parlo {
namespace {

constexpr int kFields = kSearchKeyMax;  // ten 6-bit fields fill 60 bits of the word
constexpr uint64_t kOnes = [] {
  uint64_t v = 0;
  for (int f = 0; f < kFields; ++f) v |= uint64_t{1} << (6 * f);
  return v;
}();
constexpr uint64_t kTops = kOnes * 32;  // bit 5 of each field: never set by a row number
constexpr uint64_t kFives = kOnes * 31;

// Bit 5 of every field of `word` that equals the field of `pattern`. Both hold values below 32, so
// adding 31 carries into bit 5 exactly when the fields differ, and never into the next field.
inline uint64_t EqualFields(uint64_t word, uint64_t pattern) { return ~((word ^ pattern) + kFives) & kTops; }

// The match word of every contact: one simple pass per query letter, which the compiler turns into
// vector code.
void MatchWords(const uint64_t* words, size_t n, const uint64_t* patterns, int count, uint64_t* match) {
  for (size_t i = 0; i < n; ++i) match[i] = EqualFields(words[i], patterns[0]);
  for (int j = 1; j < count; ++j) {
    const uint64_t pattern = patterns[j];
    const int shift = 6 * j;
    for (size_t i = 0; i < n; ++i) match[i] &= EqualFields(words[i], pattern) >> shift;
  }
}

}  // namespace

uint8_t NameSearchIndex::RowOfUnit(WCHAR unit) {
  // Every letter that is in a row: a-z and the compatibility jamo U+3131-U+314E.
  static const std::array<uint8_t, 26 + 30> rows = [] {
    std::array<uint8_t, 26 + 30> t;
    t.fill(kNoRow);
    for (int table = 0; table < 2; ++table) {
      const WCHAR(*rowsOf)[5] = table == 0 ? kHangulRows : kLatinRows;
      for (int r = 0; r < 10; ++r)
        for (int l = 0; l < 4 && rowsOf[r][l]; ++l) {
          const WCHAR c = rowsOf[r][l];
          t[c >= 0x3131 ? 26 + (c - 0x3131) : c - u'a'] = static_cast<uint8_t>(1 + table * 10 + r);
        }
    }
    return t;
  }();
  if (unit >= u'a' && unit <= u'z') return rows[unit - u'a'];
  if (unit >= 0x3131 && unit <= 0x314E) return rows[26 + (unit - 0x3131)];
  return kNoRow;
}

uint8_t NameSearchIndex::RowOfQueryLetter(WCHAR letter) {
  const WCHAR* row = RowForLetter(letter);
  if (!row) return kNoLetter;
  const WCHAR(*table)[5] = letter >= 0x80 ? kHangulRows : kLatinRows;
  return static_cast<uint8_t>(1 + (table == kHangulRows ? 0 : 10) + (row - table[0]) / 5);
}

void NameSearchIndex::Clear() {
  words_.clear();
  separators_.clear();
  lengths_.clear();
  ranged_.clear();
}

void NameSearchIndex::Build(const std::vector<std::unique_ptr<ContactEntry>>& entries) {
  Clear();
  for (const auto& e : entries) {
    uint64_t word = 0;
    uint16_t separators = 0;
    int field = 0;
    for (int p = 0; p < kSearchKeyMax && e->nameKey[p]; ++p) {
      if (e->nameKey[p] == u'*') {
        separators |= static_cast<uint16_t>(1u << p);
        continue;
      }
      word |= uint64_t{RowOfUnit(e->nameKey[p])} << (6 * field++);
    }
    words_.push_back(word);
    separators_.push_back(separators);
    lengths_.push_back(static_cast<uint8_t>(std::clamp(e->nameLength, 0, 16)));
    ranged_.push_back(e->nameMatch[0] != 0 || e->nameMatch[1] != 0);
  }
  candidates_.resize(words_.size());
  matches_.resize(words_.size());
  scratch_.resize(words_.size());
}

void NameSearchIndex::NoteRanges(const std::vector<std::unique_ptr<ContactEntry>>& entries) {
  for (size_t i = 0; i < entries.size() && i < ranged_.size(); ++i)
    NoteRange(static_cast<uint32_t>(i), entries[i]->nameMatch[0] != 0 || entries[i]->nameMatch[1] != 0);
}

int NameSearchIndex::Scan(const uint8_t* rows, int count) {
  const size_t n = words_.size();
  uint32_t* out = candidates_.data();
  uint64_t* outMatch = matches_.data();
  if (count < 1 || count > kFields) {
    // No key holds more than ten units: only old ranges to clear.
    int c = 0;
    for (size_t i = 0; i < n; ++i) {
      out[c] = static_cast<uint32_t>(i);
      outMatch[c] = 0;
      c += ranged_[i];
    }
    return c;
  }
  uint64_t patterns[kFields];
  for (int j = 0; j < count; ++j) patterns[j] = rows[j] * kOnes;
  uint64_t* match = scratch_.data();
  MatchWords(words_.data(), n, patterns, count, match);
  // Hits, and misses with a range to clear, written out without a branch.
  const uint8_t* ranged = ranged_.data();
  int c = 0;
  for (size_t i = 0; i < n; ++i) {
    out[c] = static_cast<uint32_t>(i);
    outMatch[c] = match[i];
    c += (match[i] != 0) | ranged[i];
  }
  return c;
}

void NameSearchIndex::RangeAcrossSeparators(uint32_t i, uint64_t match, int count, int32_t* start,
                                            int32_t* end) const {
  const int first = std::countr_zero(match) / 6;  // among the units that are not separators
  const uint16_t separators = separators_[i];
  for (int p = 0, k = 0; p < kSearchKeyMax; ++p) {
    if (separators >> p & 1) continue;
    if (k == first) *start = p;
    if (k == first + count - 1) {
      *end = p + 1;
      return;
    }
    ++k;
  }
}

}  // namespace parlo
