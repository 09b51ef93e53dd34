// The contact book: the program's list of the phone's contacts, read once from the contact store
// and cached in allcontacts.dat beside the program; the category list; the search query and its
// results. The application owns the one book of the program.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "contacts/contact_entry.h"
#include "contacts/name_search_index.h"
#include "draw/dpi.h"
#include "windows.h"

struct IDispatch;
struct IPOutlookApp;
struct IFolder;
struct IPOutlookItemCollection;
struct IImagingFactory;

namespace parlo {

class ContactBook {
 public:
  // With the frame's logged-on application object; without one the book stays empty.
  explicit ContactBook(IPOutlookApp* app);
  // Writes the cache when the list came from the store in this run, then frees everything.
  ~ContactBook();
  ContactBook(const ContactBook&) = delete;
  ContactBook& operator=(const ContactBook&) = delete;

  // The picture box in device pixels: Settings.photo_width x photo_height, handed in by the
  // shell (which this library cannot include). Until then: 60 logical pixels at 192 dpi.
  void SetPictureBox(int width, int height);
  int PictureBoxWidth() const { return boxWidth_; }
  int PictureBoxHeight() const { return boxHeight_; }

  // --- the list and its cache file ---
  int LoadContacts(bool withPictures);
  void RebuildContacts();
  bool SaveContactCache();
  // The list from the cache file's bytes: whole records only, each made safe to read (a damaged
  // file cannot send a reader past a field). Pictures are left as the file says.
  void ReadCacheRecords(std::string_view bytes);
  // 0 when a contact has `number` (identifier and name filled in), else a failure status.
  HRESULT LookupNameByNumber(DWORD* oid, LPCWSTR number, LPWSTR name, int nameChars) const;
  bool ContactPictureFor(DWORD oid, HBITMAP* bitmap, int* width, int* height) const;

  // Fits w x h into the box W x H keeping the aspect ratio.
  static void FitPicture(int w, int h, int boxW, int boxH, int* outW, int* outH);
  // allcontacts.dat beside the program, as a phone path.
  static std::u16string CachePath();

  // --- the search ---
  void ResetQuery();
  void PushKey(int digit);
  void PopKey();
  void ToggleKeyMode();
  bool IsFiltering(bool withCategory) const;
  bool IsGroupCategory() const;
  int RunFilter(bool byName, bool byNumber, bool byCompany, bool fromAll);
  ContactEntry* EntryAt(int i) const;
  bool MatchSearchKey(const WCHAR* key, int length, int32_t* start, int32_t* end) const;
  bool MatchNumber(ContactEntry* entry) const;
  bool MatchCategory(const ContactEntry* entry) const;

  // --- what the picker and the state record read ---
  int Count() const { return static_cast<int>(all_.size()); }
  int FilteredCount() const { return static_cast<int>(filtered_.size()); }
  ContactEntry* FullEntry(int i) const;
  const std::vector<std::u16string>& Categories() const { return categories_; }
  int CategoryIndex() const { return category_; }
  void SetCategoryIndex(int index) { category_ = index; }
  int LetterCount() const { return letterCount_; }
  int DigitCount() const { return digitCount_; }
  std::u16string Letters() const { return std::u16string(letters_, letters_ + letterCount_); }
  std::u16string Digits() const { return std::u16string(digits_); }
  bool HangulMode() const { return hangul_ != 0; }
  bool LoadedFromStore() const { return fromStore_; }
  std::vector<ContactEntry*>& GroupList() { return group_; }

 private:
  void BuildCategories();
  void ClearLists();
  int LoadFromStore();
  bool FillEntry(IDispatch* item, ContactEntry* entry, bool companyToo);
  bool LoadPicture(ContactEntry* entry);
  bool ReadCache();
  // One entry through the filter, appended to the filtered list when it is found.
  bool FilterEntry(ContactEntry* entry, bool byName, bool byNumber, bool byCompany);
  // The filter over the full list; a name search alone goes through the name index.
  int FilterAll(bool byName, bool byNumber, bool byCompany);

  IPOutlookApp* app_ = nullptr;
  IFolder* folder_ = nullptr;
  IPOutlookItemCollection* items_ = nullptr;
  IImagingFactory* imaging_ = nullptr;

  std::vector<std::unique_ptr<ContactEntry>> all_;
  std::vector<ContactEntry*> filtered_;
  std::vector<ContactEntry*> group_;
  std::vector<std::u16string> categories_;
  std::map<DWORD, size_t> pictureIndex_;
  bool fromStore_ = false;
  std::string cacheBookStamp_;  // the address book the list was read from, noted with the cache
  bool withPictures_ = false;
  int boxWidth_ = ScaleForDpi(60, 192);
  int boxHeight_ = ScaleForDpi(60, 192);

  // Query state.
  int32_t category_ = 0;
  int32_t letterCount_ = 0;
  int32_t digitCount_ = 0;
  WCHAR letters_[16] = {};
  WCHAR digits_[16] = {};
  BYTE hangul_ = 1;
  // The letters each typed key stands for, as a set over KeyLetterCode; kept with letters_.
  uint64_t letterSets_[16] = {};
  // The name keys packed for the full-list search, rebuilt when the list changes.
  NameSearchIndex nameIndex_;
  bool nameRangesNoted_ = true;  // false once a narrowing run has written ranges past the index
};

}  // namespace parlo
