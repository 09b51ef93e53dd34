// The name keys of the whole book packed for one pass per query: each key as the key rows of its
// units in one 64-bit word, six bits a unit, separators ('*') left out and noted apart so a match
// range can be given in the key's own positions. Searching the full list is a few word operations
// per contact; only the hits (and contacts whose old match range must be cleared) touch their entry.
#pragma once
#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

#include "contacts/contact_entry.h"

namespace parlo {

class NameSearchIndex {
 public:
  // Row numbers: 1-10 the Hangul rows, 11-20 the Latin rows. A unit in no row is kNoRow; a query
  // letter that leads no row is kNoLetter, which no unit has. 0 fills the unused fields.
  static constexpr uint8_t kNoLetter = 30;
  static constexpr uint8_t kNoRow = 31;
  // The row a key unit belongs to, kNoRow for digits and the rest; '*' is not asked for.
  static uint8_t RowOfUnit(WCHAR unit);
  // The row a query letter stands for, chosen by the letter itself as the matcher does.
  static uint8_t RowOfQueryLetter(WCHAR letter);

  void Build(const std::vector<std::unique_ptr<ContactEntry>>& entries);
  void Clear();
  size_t Size() const { return words_.size(); }

  // Finds the contacts whose name key holds the rows in order (separators passed over), and the
  // contacts whose entry may still hold a name range of an earlier query; returns how many. Each
  // comes with its match word, 0 for no hit. They stay in Candidates()/Matches() until the next scan.
  int Scan(const uint8_t* rows, int count);
  const uint32_t* Candidates() const { return candidates_.data(); }
  const uint64_t* Matches() const { return matches_.data(); }

  // The name match range of contact i for a non-zero match word of a `count`-letter query.
  void Range(uint32_t i, uint64_t match, int count, int32_t* start, int32_t* end) const {
    if (separators_[i]) return RangeAcrossSeparators(i, match, count, start, end);
    *start = std::countr_zero(match) / 6;
    *end = *start + count;
  }
  // The stored name length, clamped to 0-16 (queries hold at most 15 letters).
  int Length(uint32_t i) const { return lengths_[i]; }
  // Whether contact i's entry may hold a non-zero name range; kept by whoever writes one.
  void NoteRange(uint32_t i, bool nonZero) { ranged_[i] = nonZero ? 1 : 0; }
  // Reads the ranges back from the entries, after a run that wrote them without the index.
  void NoteRanges(const std::vector<std::unique_ptr<ContactEntry>>& entries);

 private:
  void RangeAcrossSeparators(uint32_t i, uint64_t match, int count, int32_t* start, int32_t* end) const;

  std::vector<uint64_t> words_;     // per contact: ten 6-bit fields, first unit lowest
  std::vector<uint16_t> separators_;  // per contact: bit p set when unit p is '*'
  std::vector<uint8_t> lengths_;
  std::vector<uint8_t> ranged_;
  std::vector<uint32_t> candidates_;
  std::vector<uint64_t> matches_;
  std::vector<uint64_t> scratch_;  // every contact's match word of the current scan
};

}  // namespace parlo
