#include "platform/contacts/store_index.h"


#include <nlohmann/json.hpp>

#include "platform/base/text.h"
#include "platform/contacts/regular_file.h"

namespace platform::contacts {
namespace {

// 2: photo digests are XXH3; an index with the older digests would find no photo in the book.
constexpr int kVersion = 2;

// The text fields of a card, by the names they have in the index.
struct TextField {
  const char* name;
  std::u16string VCard::*field;
};
const TextField kTexts[] = {{"uid", &VCard::uid},           {"name", &VCard::name},
                            {"first", &VCard::firstName},   {"last", &VCard::lastName},
                            {"company", &VCard::company},   {"categories", &VCard::categories},
                            {"mobile", &VCard::mobile},     {"business", &VCard::business},
                            {"home", &VCard::home}};

}  // namespace

bool ReadStoreIndex(const std::filesystem::path& file, const std::string& bookStamp, IndexedBook* out) {
  std::string bytes, error;
  if (ReadRegularFile(file, size_t{64} << 20, &bytes, &error) != FileRead::kOk) return false;
  nlohmann::json j = nlohmann::json::parse(bytes, nullptr, false);
  if (j.is_discarded() || !j.is_object() || j.value("version", 0) != kVersion || j.value("book", "") != bookStamp)
    return false;
  IndexedBook book;
  try {
    for (const auto& c : j.at("cards")) {
      auto s = std::make_shared<StoredContact>();
      s->oid = c.at("oid").get<uint32_t>();
      s->card.index = c.at("index").get<int>();
      s->card.line = c.at("line").get<int>();
      s->card.offset = c.at("offset").get<size_t>();
      s->card.length = c.at("length").get<size_t>();
      for (const TextField& t : kTexts) s->card.*t.field = Utf8ToUtf16(c.at(t.name).get<std::string>());
      s->photoSize = c.at("photo_size").get<size_t>();
      s->photoDigest = c.at("photo_digest").get<uint64_t>();
      book.contacts.push_back(std::move(s));
    }
    for (const auto& p : j.at("skipped"))
      book.problems.push_back({p.at("index").get<int>(), p.at("line").get<int>(),
                               Utf8ToUtf16(p.at("name").get<std::string>()), p.at("reason").get<std::string>(), {}});
  } catch (const nlohmann::json::exception&) {
    return false;
  }
  *out = std::move(book);
  return true;
}

void WriteStoreIndex(const std::filesystem::path& file, const std::string& bookStamp,
                     const std::vector<std::shared_ptr<const StoredContact>>& contacts,
                     const std::vector<VCardProblem>& problems) {
  if (!ReplaceableFile(file)) return;
  nlohmann::json cards = nlohmann::json::array(), skipped = nlohmann::json::array();
  for (const auto& s : contacts) {
    nlohmann::json c = {{"oid", s->oid},           {"index", s->card.index},
                        {"line", s->card.line},     {"offset", s->card.offset},
                        {"length", s->card.length}, {"photo_size", s->photoSize},
                        {"photo_digest", s->photoDigest}};
    for (const TextField& t : kTexts) c[t.name] = Utf16ToUtf8(s->card.*t.field);
    cards.push_back(std::move(c));
  }
  for (const auto& p : problems)
    skipped.push_back({{"index", p.index}, {"line", p.line}, {"name", Utf16ToUtf8(p.name)}, {"reason", p.reason}});
  nlohmann::json j = {{"version", kVersion}, {"book", bookStamp}, {"cards", cards}, {"skipped", skipped}};
  ReplaceFileAtomically(file, j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

}  // namespace platform::contacts
