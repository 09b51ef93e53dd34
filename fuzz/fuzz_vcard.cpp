// A contacts.vcf or an imported file as the contact store reads it.
#include <cstdlib>
#include <string_view>

#include "platform/contacts/vcard.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace platform::contacts;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  VCardFile file = ParseVCards(bytes);
  for (const VCard& card : file.cards)
    if (card.offset > size || card.length > size - card.offset) std::abort();
  for (const VCardProblem& problem : file.skipped)
    if (DescribeProblem(problem).empty()) std::abort();
  // The store's quick pass (no text kept) must find the same cards in the same places.
  VCardFile quick = ParseVCards(bytes, false);
  if (quick.cards.size() != file.cards.size() || quick.skipped.size() != file.skipped.size()) std::abort();
  for (size_t i = 0; i < quick.cards.size(); ++i)
    if (quick.cards[i].offset != file.cards[i].offset || quick.cards[i].length != file.cards[i].length) std::abort();
  return 0;
}
