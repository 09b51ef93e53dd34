// The address book as last read, kept beside contacts.vcf (DIR/contacts.idx): a start with an
// unchanged book reads a few kilobytes instead of every card and photo. Photos stay in the book;
// the index says where each card is and which photo (size and digest) it holds.
#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/contacts/contact_store.h"

namespace platform::contacts {

struct IndexedBook {
  std::vector<std::shared_ptr<StoredContact>> contacts;
  std::vector<VCardProblem> problems;  // without their text
};

// False when the index is missing, damaged, or was written for another state of the book.
bool ReadStoreIndex(const std::filesystem::path& file, const std::string& bookStamp, IndexedBook* out);
void WriteStoreIndex(const std::filesystem::path& file, const std::string& bookStamp,
                     const std::vector<std::shared_ptr<const StoredContact>>& contacts,
                     const std::vector<VCardProblem>& problems);

}  // namespace platform::contacts
