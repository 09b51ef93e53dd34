// The contact store's objects: application, contacts folder, item collection and contacts.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "pimstore.h"
#include "platform/contacts/com_object.h"
#include "platform/contacts/contact_store.h"
#include "platform/contacts/memory_stream.h"
#include "winbase.h"

namespace platform::contacts {
namespace {

HRESULT OutString(const std::u16string& s, BSTR* out) {
  if (!out) return E_POINTER;
  *out = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

// Packs the values and their strings into one block from the local heap, as the store does.
HRESULT PackProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** vals, ULONG* bytes,
                  const std::vector<std::pair<bool, std::u16string>>& values) {
  if (!vals || (count && !ids)) return E_POINTER;
  size_t size = sizeof(CEPROPVAL) * count;
  for (auto& v : values) size += v.first ? (v.second.size() + 1) * sizeof(WCHAR) : 0;
  if (!(flags & CEDB_ALLOWREALLOC) || !*vals) {
    if (!(flags & CEDB_ALLOWREALLOC) && (!*vals || !bytes || *bytes < size)) {
      if (bytes) *bytes = static_cast<ULONG>(size);
      return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    if (!*vals) *vals = static_cast<CEPROPVAL*>(LocalAlloc(LPTR, size));
  } else if (LocalSize(*vals) < size) {
    *vals = static_cast<CEPROPVAL*>(LocalReAlloc(*vals, size, LMEM_ZEROINIT));
  }
  if (!*vals) return E_OUTOFMEMORY;
  auto* text = reinterpret_cast<WCHAR*>(*vals + count);
  for (WORD i = 0; i < count; ++i) {
    CEPROPVAL& pv = (*vals)[i];
    pv = {};
    pv.propid = ids[i];
    if (!values[i].first) {
      pv.wFlags = CEDB_PROPNOTFOUND;
      continue;
    }
    std::memcpy(text, values[i].second.c_str(), (values[i].second.size() + 1) * sizeof(WCHAR));
    pv.val.lpwstr = text;
    text += values[i].second.size() + 1;
  }
  if (bytes) *bytes = static_cast<ULONG>(size);
  return S_OK;
}

class Contact final : public IContact, public IItem {
  PARLO_COM_REFCOUNT
  explicit Contact(std::shared_ptr<const StoredContact> c) : c_(std::move(c)) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IContact))
      return HandOut<IContact>(this, ppv);
    if (IsEqualIID(riid, IID_IItem)) return HandOut<IItem>(this, ppv);
    return E_NOINTERFACE;
  }
  PARLO_COM_NO_DISPATCH

  HRESULT get_Oid(LONG* oid) override {
    if (!oid) return E_POINTER;
    *oid = static_cast<LONG>(c_->oid);
    return S_OK;
  }
  HRESULT get_FileAs(BSTR* s) override { return OutString(c_->card.name, s); }
  HRESULT get_FirstName(BSTR* s) override { return OutString(c_->card.firstName, s); }
  HRESULT get_LastName(BSTR* s) override { return OutString(c_->card.lastName, s); }
  HRESULT get_CompanyName(BSTR* s) override { return OutString(c_->card.company, s); }
  HRESULT get_Categories(BSTR* s) override { return OutString(c_->card.categories, s); }
  HRESULT get_HomeTelephoneNumber(BSTR* s) override { return OutString(c_->card.home, s); }
  HRESULT get_BusinessTelephoneNumber(BSTR* s) override { return OutString(c_->card.business, s); }
  HRESULT get_MobileTelephoneNumber(BSTR* s) override { return OutString(c_->card.mobile, s); }

  HRESULT GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** vals, ULONG* bytes,
                   HANDLE) override {
    std::vector<std::pair<bool, std::u16string>> values;
    for (WORD i = 0; ids && i < count; ++i) {
      const VCard& k = c_->card;
      switch (ids[i]) {
        case PIMPR_FILEAS: values.emplace_back(true, k.name); break;
        case PIMPR_CATEGORIES: values.emplace_back(true, k.categories); break;
        case PIMPR_COMPANY_NAME: values.emplace_back(true, k.company); break;
        case PIMPR_MOBILE_TELEPHONE_NUMBER: values.emplace_back(true, k.mobile); break;
        case PIMPR_BUSINESS_TELEPHONE_NUMBER: values.emplace_back(true, k.business); break;
        case PIMPR_HOME_TELEPHONE_NUMBER: values.emplace_back(true, k.home); break;
        default: values.emplace_back(false, u""); break;
      }
    }
    return PackProps(ids, flags, count, vals, bytes, values);
  }
  HRESULT SetProps(ULONG, WORD, CEPROPVAL*) override { return E_NOTIMPL; }
  HRESULT Save() override { return E_NOTIMPL; }
  HRESULT Delete() override { return E_NOTIMPL; }
  HRESULT Display(HWND) override { return E_NOTIMPL; }
  HRESULT Edit(HWND) override { return E_NOTIMPL; }
  HRESULT OpenProperty(CEPROPID id, DWORD mode, IStream** stream) override {
    if (!stream) return E_POINTER;
    *stream = nullptr;
    if (id != PIMPR_PICTURE) return E_INVALIDARG;
    if (mode != GENERIC_READ) return STG_E_ACCESSDENIED;  // the store's pictures are read-only here
    if (c_->photoSize == 0) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    std::shared_ptr<const StoredContact> c = c_;
    *stream = NewPhotoStream(c->photoSize, c->photoDigest, [c] { return ContactStore::Instance().PhotoBytes(c); });
    return S_OK;
  }

 private:
  std::shared_ptr<const StoredContact> c_;
};

class ItemCollection final : public IPOutlookItemCollection {
  PARLO_COM_REFCOUNT
  explicit ItemCollection(std::vector<std::shared_ptr<const StoredContact>> items) : items_(std::move(items)) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID_IPOutlookItemCollection))
      return HandOut<IPOutlookItemCollection>(this, ppv);
    return E_NOINTERFACE;
  }
  PARLO_COM_NO_DISPATCH

  HRESULT get_Count(int* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<int>(items_.size());
    return S_OK;
  }
  HRESULT Item(int index, IDispatch** item) override {
    if (!item) return E_POINTER;
    *item = nullptr;
    if (index < 1 || index > static_cast<int>(items_.size())) return E_INVALIDARG;
    *item = static_cast<IContact*>(new Contact(items_[index - 1]));
    return S_OK;
  }

 private:
  std::vector<std::shared_ptr<const StoredContact>> items_;
};

class ContactsFolder final : public IFolder, public IItem {
  PARLO_COM_REFCOUNT
  explicit ContactsFolder(IPOutlookApp* app) : app_(app) { app_->AddRef(); }
  ~ContactsFolder() { app_->Release(); }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IFolder))
      return HandOut<IFolder>(this, ppv);
    if (IsEqualIID(riid, IID_IItem)) return HandOut<IItem>(this, ppv);
    return E_NOINTERFACE;
  }
  PARLO_COM_NO_DISPATCH

  HRESULT get_Items(IPOutlookItemCollection** items) override {
    if (!items) return E_POINTER;
    *items = new ItemCollection(ContactStore::Instance().Contacts());
    return S_OK;
  }
  HRESULT get_DefaultItemType(int* type) override {
    if (!type) return E_POINTER;
    *type = 2;  // contact items
    return S_OK;
  }
  HRESULT get_Application(IPOutlookApp** app) override {
    if (!app) return E_POINTER;
    app_->AddRef();
    *app = app_;
    return S_OK;
  }

  HRESULT GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** vals, ULONG* bytes,
                   HANDLE) override {
    std::vector<std::pair<bool, std::u16string>> values;
    for (WORD i = 0; ids && i < count; ++i) {
      if (ids[i] == PIMPR_FOLDER_CATEGORIES) values.emplace_back(true, ContactStore::Instance().Categories());
      else values.emplace_back(false, u"");
    }
    return PackProps(ids, flags, count, vals, bytes, values);
  }
  HRESULT SetProps(ULONG, WORD, CEPROPVAL*) override { return E_NOTIMPL; }
  HRESULT Save() override { return E_NOTIMPL; }
  HRESULT Delete() override { return E_NOTIMPL; }
  HRESULT Display(HWND) override { return E_NOTIMPL; }
  HRESULT Edit(HWND) override { return E_NOTIMPL; }
  HRESULT OpenProperty(CEPROPID, DWORD, IStream** stream) override {
    if (stream) *stream = nullptr;
    return E_INVALIDARG;
  }

 private:
  IPOutlookApp* app_;
};

class Application final : public IPOutlookApp {
  PARLO_COM_REFCOUNT
  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IPOutlookApp))
      return HandOut<IPOutlookApp>(this, ppv);
    return E_NOINTERFACE;
  }
  PARLO_COM_NO_DISPATCH

  HRESULT Logon(HWND) override {
    ContactStore::Instance().Refresh();
    // The phone goes on without an address book it cannot read; the user learns why, once.
    for (const std::string& e : ContactStore::Instance().FileErrors())
      std::fprintf(stderr, "%s: %s; going on without it\n", program_invocation_short_name, e.c_str());
    loggedOn_ = true;
    return S_OK;
  }
  HRESULT Logoff() override {
    if (!loggedOn_) return E_FAIL;
    loggedOn_ = false;
    return S_OK;
  }
  HRESULT get_Version(BSTR* version) override { return OutString(u"2.0", version); }
  HRESULT GetDefaultFolder(int folder, IFolder** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    if (!loggedOn_) return E_FAIL;
    if (folder != olFolderContacts) return E_INVALIDARG;
    *result = new ContactsFolder(this);
    return S_OK;
  }
  HRESULT GetItemFromOid(LONG oid, IDispatch** item) override {
    if (!item) return E_POINTER;
    *item = nullptr;
    if (!loggedOn_) return E_FAIL;
    auto c = ContactStore::Instance().FindByOid(static_cast<uint32_t>(oid));
    if (!c) return E_INVALIDARG;
    *item = static_cast<IContact*>(new Contact(std::move(c)));
    return S_OK;
  }
  bool LoggedOn() const { return loggedOn_; }

 private:
  bool loggedOn_ = false;
};

}  // namespace

HRESULT CreatePoomApplication(REFIID riid, void** ppv) {
  auto* app = new Application();
  HRESULT hr = app->QueryInterface(riid, ppv);
  app->Release();
  return hr;
}

}  // namespace platform::contacts

HRESULT FindMatchingContact(IPOutlookApp* app, LPCWSTR find, DWORD flags, IItem** item, CEPROPID* matched) {
  using namespace platform::contacts;
  if (!item) return E_POINTER;
  *item = nullptr;
  if (!app || !find) return E_INVALIDARG;
  if (!(flags & FMCF_FINDPHONE)) return E_INVALIDARG;
  int which = -1;
  auto c = ContactStore::Instance().FindByNumber(find, &which);
  if (!c) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
  IDispatch* found = nullptr;
  HRESULT hr = app->GetItemFromOid(static_cast<LONG>(c->oid), &found);
  if (FAILED(hr)) return hr;
  hr = found->QueryInterface(IID_IItem, reinterpret_cast<void**>(item));
  found->Release();
  if (SUCCEEDED(hr) && matched) {
    static const CEPROPID kProps[3] = {PIMPR_MOBILE_TELEPHONE_NUMBER, PIMPR_BUSINESS_TELEPHONE_NUMBER,
                                        PIMPR_HOME_TELEPHONE_NUMBER};
    *matched = kProps[which];
  }
  return hr;
}
