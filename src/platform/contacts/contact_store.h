// The phone's address book: the cards of DIR/contacts.vcf with object identifiers that stay the
// same across restarts and re-imports (kept in DIR/contacts.oid).
#pragma once
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/contacts/vcard.h"

namespace platform::contacts {

struct StoredContact {
  uint32_t oid = 0;
  VCard card;  // card.photo is filled only when the book was read in full; see ContactStore::Photo
  size_t photoSize = 0;      // bytes of the picture file; 0 for none
  uint64_t photoDigest = 0;  // of those bytes: names the picture wherever it is kept
};

struct ImportReport {
  int read = 0;      // cards found in the file, good or not
  int added = 0;     // new contacts
  int replaced = 0;  // contacts already in the store (same UID, or same name and numbers)
  std::vector<VCardProblem> skipped;
};

class ContactStore {
 public:
  static ContactStore& Instance();

  // Reads the store again when the file (or the device root) changed since the last read.
  void Refresh();
  std::vector<std::shared_ptr<const StoredContact>> Contacts();
  std::shared_ptr<const StoredContact> FindByOid(uint32_t oid);
  // The first contact in store order with a number that is the same number (phone_number.h);
  // `which` is 0 mobile, 1 business, 2 home.
  std::shared_ptr<const StoredContact> FindByNumber(std::u16string_view number, int* which);
  // The categories of all contacts, in order of first appearance, joined with ", ".
  std::u16string Categories();
  // Cards of the store file that could not be read at the last refresh.
  std::vector<VCardProblem> Problems();
  // The contact's picture file, read from the book when it is not in memory; empty when the
  // book no longer holds that picture.
  std::string Photo(const StoredContact& contact);
  // The same, shared: a picture already in memory is not copied.
  std::shared_ptr<const std::string> PhotoBytes(const std::shared_ptr<const StoredContact>& contact);
  // Files of the store that are there but could not be used at the last refresh (a directory or
  // FIFO in a file's place, say), one line each; the store then reads as empty.
  std::vector<std::string> FileErrors();

  // Adds the good cards of `vcf` to the store: a card with the key of a stored one replaces it in
  // place (keeping its identifier), the others are appended. The file is replaced atomically.
  bool Import(std::string_view vcf, ImportReport* report, std::string* error);
  // Writes `vcf` as the whole store (demo content, tests).
  bool Replace(std::string_view vcf, std::string* error);

 private:
  // `withCardText`: the cards' own text is wanted (an import rewrites the file from it), so an
  // index without it is not enough.
  void LoadLocked(bool withCardText = false);
  bool LoadIndexLocked(const std::string& stamp);
  void ParseLocked(const std::string& stamp, bool withCardText);
  void IndexLocked(const StoredContact& c, int position);
  bool WriteStoreLocked(const std::string& bytes, std::string* error);

  std::mutex mutex_;
  std::filesystem::path loadedRoot_;
  std::string loadedStamp_;
  bool loaded_ = false;
  bool cardText_ = false;  // slots_ hold the cards' text (only when an import asked for it)
  std::vector<std::shared_ptr<const StoredContact>> contacts_;
  // Positions in contacts_ by identifier and by canonical number (phone_number.h).
  std::unordered_map<uint32_t, int> byOid_;
  struct NumberOwner {
    int contact;
    int which;
  };
  std::unordered_map<std::u16string, NumberOwner> byNumber_;
  std::vector<VCardProblem> problems_;
  std::vector<std::string> fileErrors_;
  // The store file's cards in order, readable or not: an import rewrites the file from this, so a
  // card this store could not read is kept as it was.
  struct Slot {
    std::string raw;
    int contact = -1;  // position in contacts_, or -1 for an unreadable card
  };
  std::vector<Slot> slots_;
};

// The stable key of a card: its UID, else its name and numbers.
std::string ContactKey(const VCard& card);

}  // namespace platform::contacts
