#include "contacts/contact_book.h"

#include <algorithm>
#include <cstring>

#include "contacts/search_key.h"
#include "imaging.h"
#include "platform/contacts/contact_cache_check.h"
#include "pimstore.h"

namespace parlo {
namespace {

constexpr HRESULT kMissing = static_cast<HRESULT>(0x80004005);

// Bounded copy into a fixed field; returns the characters stored.
int CopyField(WCHAR* field, int units, const WCHAR* text) {
  int n = 0;
  for (; text && n < units - 1 && text[n]; ++n) field[n] = text[n];
  field[n] = 0;
  return n;
}

template <typename Getter>
void ReadString(IContact* contact, Getter get, WCHAR* field, int units, int* length = nullptr) {
  BSTR s = nullptr;
  if (SUCCEEDED((contact->*get)(&s)) && s) {
    int n = CopyField(field, units, s);
    if (length) *length = n;
  }
  SysFreeString(s);
}

// A damaged cache must not send a reader past a field: every text field ends inside itself, and
// the number indexes name one of the three numbers. Records this program wrote are unchanged.
void Sanitize(ContactEntry* e) {
  e->categories[15] = e->name[15] = e->company[15] = 0;
  e->mobile[23] = e->business[23] = e->home[23] = 0;
  auto clampLength = [](int32_t& n, const WCHAR* field) {
    int real = 0;
    while (real < 15 && field[real]) ++real;
    if (n < 0 || n > real) n = real;
  };
  clampLength(e->nameLength, e->name);
  clampLength(e->companyLength, e->company);
  if (e->selectedNumber < 0 || e->selectedNumber > 2) e->selectedNumber = 0;
  if (e->defaultNumber < 0 || e->defaultNumber > 2) e->defaultNumber = 0;
}

}  // namespace

ContactBook::ContactBook(IPOutlookApp* app) : app_(app) {
  if (app_) {
    app_->AddRef();
    if (FAILED(app_->GetDefaultFolder(olFolderContacts, &folder_))) folder_ = nullptr;
  }
  ResetQuery();
}

ContactBook::~ContactBook() {
  if (fromStore_) SaveContactCache();
  if (items_) items_->Release();
  if (folder_) folder_->Release();
  if (imaging_) imaging_->Release();
  ClearLists();
  if (app_) app_->Release();
}

void ContactBook::SetPictureBox(int width, int height) {
  if (width > 0) boxWidth_ = width;
  if (height > 0) boxHeight_ = height;
}

void ContactBook::ClearLists() {
  filtered_.clear();
  group_.clear();
  pictureIndex_.clear();
  for (auto& e : all_)
    if (e->picture) DeleteObject(reinterpret_cast<HGDIOBJ>(static_cast<uintptr_t>(e->picture)));
  all_.clear();
  nameIndex_.Clear();
}

std::u16string ContactBook::CachePath() {
  WCHAR path[260] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, 260);
  std::u16string dir(path, n < 260 ? n : 0);
  size_t slash = dir.rfind(u'\\');
  dir.resize(slash == std::u16string::npos ? 0 : slash + 1);
  return dir + u"allcontacts.dat";
}

void ContactBook::BuildCategories() {
  categories_.clear();
  if (!folder_) return;
  IItem* item = nullptr;
  if (FAILED(folder_->QueryInterface(IID_IItem, reinterpret_cast<void**>(&item))) || !item) return;
  CEPROPID id = PIMPR_FOLDER_CATEGORIES;
  CEPROPVAL* vals = nullptr;
  ULONG bytes = 0;
  HRESULT hr = item->GetProps(&id, CEDB_ALLOWREALLOC, 1, &vals, &bytes, GetProcessHeap());
  item->Release();
  if (FAILED(hr) || !vals) return;
  if (!(vals[0].wFlags & CEDB_PROPNOTFOUND)) {
    categories_.push_back(u"전체");
    const WCHAR* s = vals[0].val.lpwstr;
    // Pieces of at most 15 characters; the reader steps over the comma and the space after it.
    while (s && *s) {
      const WCHAR* comma = s;
      while (*comma && *comma != u',') ++comma;
      std::u16string piece(s, comma - s);
      if (piece.size() > 15) piece.resize(15);
      categories_.push_back(piece);
      if (!*comma) break;
      s = comma + 1;
      if (*s) ++s;
    }
    categories_.push_back(u"");
    categories_.push_back(u"단체문자");
  }
  LocalFree(vals);  // the store allocates from the local heap (the process heap on the phone)
}

int ContactBook::LoadContacts(bool withPictures) {
  withPictures_ = withPictures;
  BuildCategories();
  if (!ReadCache()) {
    // No cache: read the store; the cache is written at exit. No empty file is made here, so a
    // run that ends without saving leaves no empty cache to hide the contacts at the next start.
    LoadFromStore();
    return 0;
  }
  if (!withPictures) {
    for (auto& e : all_) e->picture = 0;
    return 1;
  }
  for (size_t i = 0; i < all_.size(); ++i) {
    ContactEntry* e = all_[i].get();
    if (!e->picture) continue;
    e->picture = 0;  // a handle of another run is never used as a handle
    e->pictureWidth = boxWidth_;
    e->pictureHeight = boxHeight_;
    if (LoadPicture(e)) pictureIndex_[e->oid] = i;
  }
  return static_cast<int>(all_.size());
}

bool ContactBook::ReadCache() {
  std::u16string path = CachePath();
  // A cut, emptied or outdated cache would hide contacts until a manual refresh: read the book.
  if (!platform::contacts::ContactCacheIsCurrent(path, sizeof(ContactEntry))) return false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes;
  char chunk[64 * sizeof(ContactEntry)];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  ReadCacheRecords(bytes);
  return true;
}

void ContactBook::ReadCacheRecords(std::string_view bytes) {
  ClearLists();
  for (size_t at = 0; bytes.size() - at >= sizeof(ContactEntry); at += sizeof(ContactEntry)) {
    auto e = std::make_unique<ContactEntry>();
    std::memcpy(e.get(), bytes.data() + at, sizeof(ContactEntry));
    Sanitize(e.get());
    all_.push_back(std::move(e));
  }
}

int ContactBook::LoadFromStore() {
  ClearLists();
  fromStore_ = true;
  cacheBookStamp_ = platform::contacts::AddressBookStamp();
  if (!items_ && folder_ && FAILED(folder_->get_Items(&items_))) items_ = nullptr;
  if (!items_) return 0;
  int count = 0;
  if (FAILED(items_->get_Count(&count))) return 0;
  for (int i = 1; i <= count; ++i) {
    IDispatch* item = nullptr;
    if (FAILED(items_->Item(i, &item)) || !item) continue;
    auto e = std::make_unique<ContactEntry>();
    std::memset(e.get(), 0, sizeof(ContactEntry));
    if (FillEntry(item, e.get(), false)) {
      if (withPictures_) {
        e->pictureWidth = boxWidth_;
        e->pictureHeight = boxHeight_;
        if (LoadPicture(e.get())) pictureIndex_[e->oid] = all_.size();
      }
      all_.push_back(std::move(e));
    }
    item->Release();
  }
  return static_cast<int>(all_.size());
}

bool ContactBook::FillEntry(IDispatch* item, ContactEntry* e, bool companyToo) {
  IContact* contact = nullptr;
  if (FAILED(item->QueryInterface(IID_IContact, reinterpret_cast<void**>(&contact))) || !contact) return false;
  LONG oid = 0;
  if (SUCCEEDED(contact->get_Oid(&oid))) e->oid = static_cast<uint32_t>(oid);
  BSTR name = nullptr;
  if (SUCCEEDED(contact->get_FileAs(&name)) && name) {
    e->nameLength = CopyField(e->name, 16, name);
    MakeSearchKey(name, e->nameKey, kSearchKeyMax);
  }
  SysFreeString(name);
  if (companyToo) {
    BSTR company = nullptr;
    if (SUCCEEDED(contact->get_CompanyName(&company)) && company) {
      e->companyLength = CopyField(e->company, 16, company);
      if (e->companyLength > 0) MakeSearchKey(company, e->companyKey, kSearchKeyMax);
    }
    SysFreeString(company);
  }
  ReadString(contact, &IContact::get_Categories, e->categories, 16);
  // Home, business, mobile in turn: the last one present becomes selected and default.
  struct {
    HRESULT (IContact::*get)(BSTR*);
    WCHAR* field;
    int32_t index;
  } numbers[] = {{&IContact::get_HomeTelephoneNumber, e->home, kNumberHome},
                 {&IContact::get_BusinessTelephoneNumber, e->business, kNumberBusiness},
                 {&IContact::get_MobileTelephoneNumber, e->mobile, kNumberMobile}};
  for (auto& n : numbers) {
    int length = 0;
    ReadString(contact, n.get, n.field, 24, &length);
    if (length > 0) e->selectedNumber = e->defaultNumber = n.index;
  }
  contact->Release();
  return true;
}

void ContactBook::FitPicture(int w, int h, int boxW, int boxH, int* outW, int* outH) {
  int64_t scaledW = h ? static_cast<int64_t>(w) * boxH / h : -1;
  if (scaledW >= 0 && scaledW <= boxW) {
    *outW = static_cast<int>(scaledW);
    *outH = boxH;
  } else {
    *outW = boxW;
    *outH = w ? static_cast<int>(static_cast<int64_t>(h) * boxW / w) : 0;
  }
}

bool ContactBook::LoadPicture(ContactEntry* e) {
  if (!app_) return false;
  bool ok = false;
  IDispatch* disp = nullptr;
  IItem* item = nullptr;
  IStream* stream = nullptr;
  IImage* image = nullptr;
  IImage* thumb = nullptr;
  IBitmapImage* bitmap = nullptr;
  do {
    if (FAILED(app_->GetItemFromOid(static_cast<LONG>(e->oid), &disp)) || !disp) break;
    if (FAILED(disp->QueryInterface(IID_IItem, reinterpret_cast<void**>(&item))) || !item) break;
    if (FAILED(item->OpenProperty(PIMPR_PICTURE, GENERIC_READ, &stream)) || !stream) break;
    ULONGLONG size = 0;
    if (FAILED(stream->Seek(0, STREAM_SEEK_END, &size)) || size == 0) break;
    if (FAILED(stream->Seek(0, STREAM_SEEK_SET, nullptr))) break;
    if (!imaging_ && FAILED(CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IImagingFactory, reinterpret_cast<void**>(&imaging_)))) {
      imaging_ = nullptr;
      break;
    }
    if (FAILED(imaging_->CreateImageFromStream(stream, &image)) || !image) break;
    ImageInfo info{};
    if (FAILED(image->GetImageInfo(&info)) || info.Width == 0 || info.Height == 0) break;
    int w = 0, h = 0;
    FitPicture(static_cast<int>(info.Width), static_cast<int>(info.Height), e->pictureWidth, e->pictureHeight, &w, &h);
    if (w <= 0 || h <= 0) break;
    if (FAILED(image->GetThumbnail(static_cast<UINT>(w), static_cast<UINT>(h), &thumb)) || !thumb) break;
    if (FAILED(thumb->QueryInterface(IID_IBitmapImage, reinterpret_cast<void**>(&bitmap))) || !bitmap) break;
    BitmapData data{};
    if (FAILED(bitmap->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppPARGB, &data))) break;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = h;  // bottom-up
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;  // the screen's depth
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP hbm = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (hbm && bits) {
      // The thumbnail drawn over white: premultiplied colour plus the white its alpha lets through.
      for (int y = 0; y < h; ++y) {
        const auto* src = static_cast<const uint8_t*>(data.Scan0) + static_cast<size_t>(y) * data.Stride;
        auto* dst = static_cast<uint8_t*>(bits) + static_cast<size_t>(h - 1 - y) * w * 4;
        for (int x = 0; x < w; ++x) {
          int clear = 255 - src[x * 4 + 3];
          for (int c = 0; c < 3; ++c) dst[x * 4 + c] = static_cast<uint8_t>(std::min(255, src[x * 4 + c] + clear));
          dst[x * 4 + 3] = 0;
        }
      }
      e->picture = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hbm));
      e->pictureWidth = w;
      e->pictureHeight = h;
      ok = true;
    } else if (hbm) {
      DeleteObject(hbm);
    }
    bitmap->UnlockBits(&data);
  } while (false);
  if (bitmap) bitmap->Release();
  if (thumb) thumb->Release();
  if (image) image->Release();
  if (stream) stream->Release();
  if (item) item->Release();
  if (disp) disp->Release();
  if (!ok) e->picture = 0;
  return ok;
}

bool ContactBook::SaveContactCache() {
  std::u16string path = CachePath();
  std::u16string temp = path + u".new";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (auto& e : all_) {
    DWORD wrote = 0;
    if (!WriteFile(file, e.get(), sizeof(ContactEntry), &wrote, nullptr) || wrote != sizeof(ContactEntry)) {
      ok = false;
      break;
    }
  }
  if (ok && !FlushFileBuffers(file)) ok = false;
  CloseHandle(file);
  if (!ok) {
    DeleteFileW(temp.c_str());  // the previous cache stays whole
    return false;
  }
  // The whole new file exists before the old one goes. The phone's move never replaces, so the
  // old cache is removed first; dying between the two leaves no cache, and the next start reads
  // the store again rather than a cut list.
  DeleteFileW(path.c_str());
  if (!MoveFileW(temp.c_str(), path.c_str())) return false;
  platform::contacts::NoteContactCache(path, cacheBookStamp_, all_.size());
  return true;
}

void ContactBook::RebuildContacts() {
  // The stale cache goes at once, so a run that ends early makes the next one read the store.
  DeleteFileW(CachePath().c_str());
  LoadFromStore();
}

HRESULT ContactBook::LookupNameByNumber(DWORD* oid, LPCWSTR number, LPWSTR name, int nameChars) const {
  if (!app_) return kMissing;
  IItem* item = nullptr;
  CEPROPID matched = 0;
  FindMatchingContact(app_, number, FMCF_FINDPHONE, &item, &matched);
  if (!item) return kMissing;
  IContact* contact = nullptr;
  HRESULT hr = item->QueryInterface(IID_IContact, reinterpret_cast<void**>(&contact));
  if (SUCCEEDED(hr) && contact) {
    BSTR fileAs = nullptr;
    LONG id = 0;
    contact->get_FileAs(&fileAs);
    contact->get_Oid(&id);
    if (oid) *oid = static_cast<DWORD>(id);
    if (name && nameChars > 0) StringCchCopyW(name, static_cast<size_t>(nameChars), fileAs ? fileAs : u"");
    SysFreeString(fileAs);
    contact->Release();
    hr = S_OK;
  } else if (SUCCEEDED(hr)) {
    hr = kMissing;
  }
  item->Release();
  return hr;
}

bool ContactBook::ContactPictureFor(DWORD oid, HBITMAP* bitmap, int* width, int* height) const {
  auto it = pictureIndex_.find(oid);
  if (it == pictureIndex_.end() || it->second >= all_.size()) {
    if (bitmap) *bitmap = nullptr;
    if (width) *width = 0;
    if (height) *height = 0;
    return false;
  }
  const ContactEntry* e = all_[it->second].get();
  if (bitmap) *bitmap = reinterpret_cast<HBITMAP>(static_cast<uintptr_t>(e->picture));
  if (width) *width = e->pictureWidth;
  if (height) *height = e->pictureHeight;
  return true;
}

ContactEntry* ContactBook::FullEntry(int i) const {
  return i >= 0 && i < static_cast<int>(all_.size()) ? all_[i].get() : nullptr;
}

}  // namespace parlo
