#include "platform/contacts/contact_store.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unordered_map>

#include <xxhash.h>

#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/contacts/every_core.h"
#include "platform/contacts/phone_number.h"
#include "platform/contacts/regular_file.h"
#include "platform/contacts/store_index.h"

namespace platform::contacts {
namespace {

std::filesystem::path StoreFile() { return device::Root() / "contacts.vcf"; }
std::filesystem::path OidFile() { return device::Root() / "contacts.oid"; }
std::filesystem::path IndexFile() { return device::Root() / "contacts.idx"; }

// XXH3: a book of camera photos is hundreds of megabytes, and each is hashed at every full read.
uint64_t PhotoDigest(std::string_view photo) { return photo.empty() ? 0 : XXH3_64bits(photo.data(), photo.size()); }

// Generous for an address book of camera photos, small enough to refuse a runaway file.
constexpr size_t kStoreCap = size_t{1} << 30;
constexpr size_t kOidCap = size_t{64} << 20;

// Written beside the target and renamed over it, so a reader never sees half a file.
bool WriteAtomically(const std::filesystem::path& target, const std::string& bytes, std::string* error) {
  std::filesystem::path tmp = TemporaryFileFor(target);
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      if (error) *error = "cannot write " + tmp.string();
      std::error_code ec;
      std::filesystem::remove(tmp, ec);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, target, ec);
  if (ec) {
    if (error) *error = "cannot replace " + target.string() + ": " + ec.message();
    std::filesystem::remove(tmp, ec);
    return false;
  }
  return true;
}

uint32_t Fnv1a(std::string_view s) {
  uint32_t h = 2166136261u;
  for (unsigned char c : s) h = (h ^ c) * 16777619u;
  return h;
}

std::string HexKey(std::string_view s) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
  char buf[17];
  snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
  return buf;
}

// Identifier map: one "oid<TAB>key" line per contact ever seen on this device.
class OidMap {
 public:
  // False (and `error` set) when the file is there but unusable: then nothing is written over it.
  bool Load(std::string* error) {
    std::string bytes;
    usable_ = ReadRegularFile(OidFile(), kOidCap, &bytes, error) != FileRead::kRefused;
    std::istringstream in(bytes);
    std::string line;
    while (std::getline(in, line)) {
      size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      uint32_t oid = static_cast<uint32_t>(strtoul(line.substr(0, tab).c_str(), nullptr, 16));
      if (oid == 0 || used_.count(oid)) continue;
      std::string key = line.substr(tab + 1);
      if (byKey_.count(key)) continue;
      byKey_[key] = oid;
      used_.insert(oid);
      lines_ += line + "\n";
    }
    return usable_;
  }

  uint32_t OidFor(const std::string& key) {
    auto it = byKey_.find(key);
    if (it != byKey_.end()) return it->second;
    // Derived from the key so that a fresh device gives the same numbers; probed past collisions.
    uint32_t oid = Fnv1a(key) & 0x7FFFFFFF;
    while (oid == 0 || used_.count(oid)) oid = (oid + 1) & 0x7FFFFFFF;
    byKey_[key] = oid;
    used_.insert(oid);
    char buf[16];
    snprintf(buf, sizeof buf, "%08X\t", oid);
    lines_ += buf + key + "\n";
    changed_ = true;
    return oid;
  }

  void Save() {
    if (changed_ && usable_) WriteAtomically(OidFile(), lines_, nullptr);
  }

 private:
  std::unordered_map<std::string, uint32_t> byKey_;
  std::set<uint32_t> used_;
  std::string lines_;
  bool changed_ = false;
  bool usable_ = true;
};

std::string CleanKey(std::string key) {
  for (char& c : key)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return key;
}

}  // namespace

std::string ContactKey(const VCard& card) {
  if (!card.uid.empty()) return CleanKey("uid:" + Utf16ToUtf8(card.uid));
  std::string basis = Utf16ToUtf8(card.name);
  for (const std::u16string* n : {&card.mobile, &card.business, &card.home}) {
    basis += '\x1f';
    basis += Utf16ToUtf8(CanonicalPhoneNumber(*n));
  }
  return "card:" + HexKey(basis);
}

ContactStore& ContactStore::Instance() {
  static ContactStore store;
  return store;
}

void ContactStore::Refresh() {
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked();
}

void ContactStore::IndexLocked(const StoredContact& c, int position) {
  byOid_.emplace(c.oid, position);
  // The first contact in store order keeps a number, and within a contact mobile comes first.
  const std::u16string* numbers[3] = {&c.card.mobile, &c.card.business, &c.card.home};
  for (int i = 0; i < 3; ++i) {
    std::u16string canonical = CanonicalPhoneNumber(*numbers[i]);
    if (!canonical.empty()) byNumber_.emplace(std::move(canonical), NumberOwner{position, i});
  }
}

void ContactStore::LoadLocked(bool withCardText) {
  std::string stamp = FileStamp(StoreFile());
  if (loaded_ && loadedRoot_ == device::Root() && loadedStamp_ == stamp && (cardText_ || !withCardText)) return;
  loaded_ = true;
  loadedRoot_ = device::Root();
  loadedStamp_ = stamp;
  contacts_.clear();
  slots_.clear();
  byOid_.clear();
  byNumber_.clear();
  fileErrors_.clear();
  problems_.clear();
  if (withCardText || !LoadIndexLocked(stamp)) ParseLocked(stamp, withCardText);
}

bool ContactStore::LoadIndexLocked(const std::string& stamp) {
  IndexedBook book;
  if (stamp == "none" || !ReadStoreIndex(IndexFile(), stamp, &book)) return false;
  cardText_ = false;
  problems_ = std::move(book.problems);
  for (auto& c : book.contacts) {
    IndexLocked(*c, static_cast<int>(contacts_.size()));
    contacts_.push_back(std::move(c));
  }
  // The identifiers come from the index, but an unusable identifier file is still worth a word.
  if (!ReplaceableFile(OidFile())) fileErrors_.push_back(OidFile().string() + " is not a regular file");
  return true;
}

void ContactStore::ParseLocked(const std::string& stamp, bool withCardText) {
  // The cards' text is as large as the book; it is kept only for an import, which rewrites it.
  cardText_ = withCardText;
  std::string error;
  VCardFile parsed;
  FileRead read;
  {
    MappedFile book;
    read = book.Open(StoreFile(), kStoreCap, &error);
    if (read == FileRead::kRefused) fileErrors_.push_back(error);
    parsed = ParseVCards(book.bytes(), withCardText);
  }
  problems_ = parsed.skipped;
  size_t nextProblem = 0;
  auto keepProblemsBefore = [&](int index) {
    for (; nextProblem < problems_.size() && problems_[nextProblem].index < index; ++nextProblem)
      slots_.push_back({problems_[nextProblem].raw, -1});
  };
  OidMap oids;
  if (!oids.Load(&error)) fileErrors_.push_back(error);
  size_t photoBytes = 0;
  for (const VCard& card : parsed.cards) photoBytes += card.photo.size();
  std::vector<uint64_t> digests(parsed.cards.size());
  ForEachOnEveryCore(digests.size(), photoBytes, [&](size_t k) { digests[k] = PhotoDigest(parsed.cards[k].photo); });
  std::unordered_map<std::string, int> seen;
  for (size_t k = 0; k < parsed.cards.size(); ++k) {
    VCard& card = parsed.cards[k];
    keepProblemsBefore(card.index);
    slots_.push_back({std::move(card.raw), static_cast<int>(contacts_.size())});
    card.raw.clear();
    std::string key = ContactKey(card);
    int n = ++seen[key];
    if (n > 1) key.append("#").append(std::to_string(n));  // two identical cards are still two contacts
    auto c = std::make_shared<StoredContact>();
    c->oid = oids.OidFor(key);
    c->photoSize = card.photo.size();
    c->photoDigest = digests[k];
    c->card = std::move(card);
    IndexLocked(*c, static_cast<int>(contacts_.size()));
    contacts_.push_back(std::move(c));
  }
  keepProblemsBefore(1 << 30);
  oids.Save();
  if (read == FileRead::kOk && FileStamp(StoreFile()) == stamp) WriteStoreIndex(IndexFile(), stamp, contacts_, problems_);
}

std::string ContactStore::Photo(const StoredContact& contact) {
  if (!contact.card.photo.empty() || contact.photoSize == 0) return contact.card.photo;
  // The card is read again from where the index says it is; the digest tells whether the book
  // still holds the same picture there.
  std::string text;
  if (!ReadFileRange(StoreFile(), contact.card.offset, contact.card.length, &text)) return {};
  VCardFile parsed = ParseVCards(text);
  if (parsed.cards.size() != 1) return {};
  std::string& photo = parsed.cards.front().photo;
  if (photo.size() != contact.photoSize || PhotoDigest(photo) != contact.photoDigest) return {};
  return std::move(photo);
}

std::shared_ptr<const std::string> ContactStore::PhotoBytes(const std::shared_ptr<const StoredContact>& contact) {
  if (!contact->card.photo.empty()) return std::shared_ptr<const std::string>(contact, &contact->card.photo);
  return std::make_shared<const std::string>(Photo(*contact));
}

std::vector<std::shared_ptr<const StoredContact>> ContactStore::Contacts() {
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked();
  return contacts_;
}

std::shared_ptr<const StoredContact> ContactStore::FindByOid(uint32_t oid) {
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked();
  auto it = byOid_.find(oid);
  return it == byOid_.end() ? nullptr : contacts_[it->second];
}

std::shared_ptr<const StoredContact> ContactStore::FindByNumber(std::u16string_view number, int* which) {
  std::u16string wanted = CanonicalPhoneNumber(number);
  if (wanted.empty()) return nullptr;
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked();
  auto it = byNumber_.find(wanted);
  if (it == byNumber_.end()) return nullptr;
  if (which) *which = it->second.which;
  return contacts_[it->second.contact];
}

std::u16string ContactStore::Categories() {
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked();
  std::u16string out;
  std::set<std::u16string> seen;
  for (auto& c : contacts_) {
    std::u16string_view cats = c->card.categories;
    while (!cats.empty()) {
      size_t comma = cats.find(u", ");
      std::u16string piece(cats.substr(0, comma));
      cats = comma == std::u16string_view::npos ? std::u16string_view{} : cats.substr(comma + 2);
      if (piece.empty() || !seen.insert(piece).second) continue;
      if (!out.empty()) out += u", ";
      out += piece;
    }
  }
  return out;
}

std::vector<VCardProblem> ContactStore::Problems() {
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked();
  return problems_;
}

std::vector<std::string> ContactStore::FileErrors() {
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked();
  return fileErrors_;
}

bool ContactStore::WriteStoreLocked(const std::string& bytes, std::string* error) {
  // What is not a plain file is not ours to replace.
  if (!ReplaceableFile(StoreFile())) {
    if (error) *error = StoreFile().string() + " is not a regular file";
    return false;
  }
  if (!WriteAtomically(StoreFile(), bytes, error)) return false;
  loaded_ = false;
  LoadLocked();
  return true;
}

bool ContactStore::Import(std::string_view vcf, ImportReport* report, std::string* error) {
  VCardFile incoming = ParseVCards(vcf);
  report->read = static_cast<int>(incoming.cards.size() + incoming.skipped.size());
  report->skipped = incoming.skipped;
  std::lock_guard<std::mutex> lock(mutex_);
  LoadLocked(true);
  std::vector<std::string> raws;
  std::map<std::string, size_t> position;
  for (const Slot& slot : slots_) {
    if (slot.contact >= 0) position.emplace(ContactKey(contacts_[slot.contact]->card), raws.size());
    raws.push_back(slot.raw);
  }
  for (VCard& card : incoming.cards) {
    std::string key = ContactKey(card);
    auto it = position.find(key);
    if (it != position.end()) {
      raws[it->second] = card.raw;
      ++report->replaced;
    } else {
      position.emplace(key, raws.size());
      raws.push_back(card.raw);
      ++report->added;
    }
  }
  std::string bytes;
  for (auto& r : raws) bytes += r;
  return WriteStoreLocked(bytes, error);
}

bool ContactStore::Replace(std::string_view vcf, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  return WriteStoreLocked(std::string(vcf), error);
}

}  // namespace platform::contacts
