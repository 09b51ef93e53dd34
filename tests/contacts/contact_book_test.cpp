#include <cstring>
#include <tuple>

#include "book_fixture.h"
#include "platform/contacts/picture.h"
#include "platform/contacts/text_decode.h"

using parlo::ContactEntry;
using parlo_test::BookTest;
using parlo_test::Card;

namespace {

std::string EntryBytes(const ContactEntry* e) { return std::string(reinterpret_cast<const char*>(e), sizeof *e); }

// A card with a w x h picture whose every byte, alpha too, is `value`.
std::string PngCard(const std::string& name, int w, int h, uint8_t value = 200) {
  std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4, value);
  std::string png = platform::contacts::EncodePng(w, h, rgba);
  return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\nTEL;TYPE=CELL:010\r\nPHOTO;ENCODING=b;TYPE=PNG:" +
         platform::contacts::EncodeBase64(png) + "\r\nEND:VCARD\r\n";
}

// The cache is written at exit, nothing before, and holds the records in list order (none for an
// empty store, with pictures asked for or not). Each row then spoils the cache of a run over eight
// contacts in its own way; the next start must see all eight, read from the book, and write a whole
// cache again.
TEST_F(BookTest, CacheWrittenAtExitInListOrderAndACutEmptiedOrOutdatedOneIsRebuiltFromTheStore) {
  std::string eight;
  for (int i = 0; i < 8; ++i) eight += Card("Person " + std::to_string(i), "010-" + std::to_string(i));
  for (int count : {0, 8}) {
    std::filesystem::remove(CacheFile());
    Store(count ? eight : "");
    parlo::ContactBook& book = Open();
    EXPECT_EQ(book.LoadContacts(count == 0), 0);
    ASSERT_EQ(book.Count(), count);
    EXPECT_TRUE(book.LoadedFromStore());
    std::string expected;
    for (int i = 0; i < count; ++i) expected += EntryBytes(book.FullEntry(i));
    EXPECT_FALSE(std::filesystem::exists(CacheFile()));
    book_.reset();  // exit
    ASSERT_TRUE(std::filesystem::exists(CacheFile()));
    EXPECT_EQ(parlo_test::ReadFileBytes(CacheFile()), expected);
    EXPECT_FALSE(std::filesystem::exists(CacheFile().string() + ".new"));  // no temporary left behind
  }
  const size_t record = sizeof(ContactEntry);
  struct Row {
    const char* what;
    size_t keep;             // bytes of the cache left
    const char* extraCard;   // a card added to the book after the cache was written
    const char* renamed;     // a contact renamed in the book (same count)
  } rows[] = {{"emptied", 0, nullptr, nullptr},
              {"cut to half", 4 * record, nullptr, nullptr},
              {"cut inside a record", 4 * record + 100, nullptr, nullptr},
              {"a contact added since", 8 * record, "Newcomer", nullptr},
              {"a contact renamed since", 8 * record, nullptr, "Person Renamed"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Store(eight);
    RunOnce();
    ASSERT_EQ(std::filesystem::file_size(CacheFile()), 8 * record);
    std::filesystem::resize_file(CacheFile(), row.keep);
    std::string book = eight;
    if (row.extraCard) book += Card(row.extraCard, "010-99");
    if (row.renamed) book = Card(row.renamed, "010-0") + eight.substr(Card("Person 0", "010-0").size());
    if (book != eight) Store(book);
    size_t expected = row.extraCard ? 9 : 8;
    parlo::ContactBook& opened = Open();
    opened.LoadContacts(false);
    EXPECT_EQ(opened.Count(), static_cast<int>(expected));
    EXPECT_TRUE(opened.LoadedFromStore());
    if (row.renamed) {
      EXPECT_EQ(std::u16string(opened.FullEntry(0)->name), u"Person Renamed");
    }
    book_.reset();
    EXPECT_EQ(std::filesystem::file_size(CacheFile()), expected * record);
  }
}

// A cache is trusted as it stands, its damaged records made safe (no field runs past its end), and
// is not written again at exit. A refresh rebuilds from the store and drops the stale cache at once:
// a run that ends early makes the next one read the store.
TEST_F(BookTest, ACacheIsReadAsItStandsAndSafelyAndARefreshRebuildsFromTheStore) {
  Store(Card("In Store", "010-1") + Card("Also", "010-2"));
  RunOnce();
  ContactEntry cached[2] = {};
  std::memset(&cached[0], 0x41, sizeof cached[0]);  // every unit 0x4141, no terminator anywhere
  std::memcpy(cached[1].name, u"Stale", 12);
  const std::string bytes(reinterpret_cast<const char*>(cached), sizeof cached);
  std::ofstream(CacheFile(), std::ios::binary) << bytes;
  parlo::ContactBook& book = Open();
  EXPECT_EQ(book.LoadContacts(false), 1);  // read from the cache; without pictures the result is 1
  ASSERT_EQ(book.Count(), 2);
  EXPECT_FALSE(book.LoadedFromStore());
  const ContactEntry* e = book.FullEntry(0);
  EXPECT_EQ(std::tuple(e->name[15], e->home[23], e->nameLength, e->picture), std::tuple(0, 0, 15, 0u));
  EXPECT_GE(e->selectedNumber, 0);
  EXPECT_LE(e->selectedNumber, 2);
  EXPECT_EQ(std::u16string(book.FullEntry(1)->name), u"Stale");
  book_.reset();
  EXPECT_EQ(parlo_test::ReadFileBytes(CacheFile()), bytes);
  parlo::ContactBook& refreshed = Open();
  refreshed.LoadContacts(false);
  refreshed.RebuildContacts();
  ASSERT_EQ(refreshed.Count(), 2);
  EXPECT_EQ(std::u16string(refreshed.FullEntry(0)->name), u"In Store");
  EXPECT_TRUE(refreshed.LoadedFromStore());
  EXPECT_FALSE(std::filesystem::exists(CacheFile()));
  book_.reset();
  EXPECT_EQ(std::filesystem::file_size(CacheFile()), 2 * sizeof(ContactEntry));
}

// Numbers are indexed home, business, mobile; a long name is cut to 15 with a key of its first
// 10; a contact is found by its number in any spelling.
TEST_F(BookTest, EntriesIndexTheirNumbersCutLongNamesAndAreFoundByNumber) {
  parlo::ContactBook& book =
      Load(Card("Home Only", "", "02-1") + Card("Mobile And Home", "010-1", "02-2") +
           Card("Business And Home", "", "02-3", "", "031-4") + Card("No Number", "") +
           Card("abcdefghijklmnopqrst", "010") + Card("가나다라마바사아자차카타파하가나다", "011") +
           Card("김철수", "010-1234-5678") + Card("Kim Su", "+82 10-3456-7890"));
  ASSERT_EQ(book.Count(), 8);
  const int selected[] = {2, 0, 1, 0};
  for (int i = 0; i < 4; ++i) {
    const ContactEntry* e = book.FullEntry(i);
    EXPECT_EQ(std::tuple(e->selectedNumber, e->defaultNumber), std::tuple(selected[i], selected[i])) << i;
  }
  const ContactEntry* e = book.FullEntry(4);
  const ContactEntry* k = book.FullEntry(5);
  EXPECT_EQ(std::tuple(std::u16string(e->name), e->nameLength, k->nameLength), std::tuple(u"abcdefghijklmno", 15, 15));
  EXPECT_EQ(std::u16string(e->nameKey, 10), u"abcdefghij");
  EXPECT_EQ(std::u16string(k->nameKey, 10), u"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊ");
  EXPECT_EQ(std::tuple(e->company[0], e->companyLength), std::tuple(0, 0));  // company names are never loaded
  DWORD oid = 0;
  WCHAR name[260] = {};
  ASSERT_EQ(book.LookupNameByNumber(&oid, u"01034567890", name, 260), S_OK);
  EXPECT_EQ(std::tuple(std::u16string(name), oid), std::tuple(u"Kim Su", book.FullEntry(7)->oid));
  WCHAR small[3] = {};
  ASSERT_EQ(book.LookupNameByNumber(&oid, u"+821012345678", small, 3), S_OK);
  EXPECT_EQ(std::u16string(small), u"김철");  // cut to the buffer
  EXPECT_EQ(book.LookupNameByNumber(&oid, u"010-9999-9999", name, 260), static_cast<HRESULT>(0x80004005));
}

// Pictures are fitted into the box (a small one scaled up to it) and drawn over white, so a
// transparent one is not black; a damaged one gives none. A run from the cache loads them
// again from the store.
TEST_F(BookTest, PicturesAreFittedDrawnOverWhiteAndLoadedAgainForACachedList) {
  Store(PngCard("Wide", 120, 60) + PngCard("Tall", 60, 120) + PngCard("Clear", 4, 4, 0) +
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Damaged\r\nTEL:1\r\nPHOTO;ENCODING=b;TYPE=JPEG:" +
        platform::contacts::EncodeBase64("\xFF\xD8\xFF\xE0 this is not really a jpeg") + "\r\nEND:VCARD\r\n" +
        Card("None", "2"));
  for (bool cached : {false, true}) {
    SCOPED_TRACE(cached ? "from the cache" : "from the store");
    parlo::ContactBook& book = Open();
    book.SetPictureBox(60, 60);
    EXPECT_EQ(book.LoadContacts(true), cached ? 5 : 0);
    ASSERT_EQ(book.Count(), 5);
    EXPECT_EQ(book.LoadedFromStore(), !cached);
    HBITMAP bmp = nullptr;
    int w = 0, h = 0;
    const std::tuple<int, int> sizes[] = {{60, 30}, {30, 60}, {60, 60}};
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(book.ContactPictureFor(book.FullEntry(i)->oid, &bmp, &w, &h)) << i;
      BITMAP info{};
      ASSERT_EQ(GetObjectW(bmp, sizeof info, &info), static_cast<int>(sizeof info));
      EXPECT_EQ(std::tuple(w, h), sizes[i]) << i;
      EXPECT_EQ(std::tuple(info.bmWidth, info.bmHeight), sizes[i]) << i;
      const auto* px = static_cast<const uint8_t*>(info.bmBits);
      ASSERT_NE(px, nullptr);
      if (i == 2) {
        EXPECT_EQ(std::tuple(px[0], px[1], px[2]), std::tuple(255, 255, 255));
      }
    }
    for (int i : {3, 4}) {
      EXPECT_FALSE(book.ContactPictureFor(book.FullEntry(i)->oid, &bmp, &w, &h)) << i;
      EXPECT_EQ(bmp, nullptr);
      EXPECT_EQ(book.FullEntry(i)->picture, 0u);
    }
    book_.reset();
  }
}

}  // namespace
