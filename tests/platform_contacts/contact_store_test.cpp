#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

#include "kit/temp_device.h"
#include "pimstore.h"
#include "platform/base/device_root.h"
#include "platform/contacts/contact_store.h"
#include "platform/contacts/picture.h"
#include "platform/contacts/text_decode.h"

namespace {

const char kCards[] =
    "BEGIN:VCARD\nVERSION:3.0\nFN:김철수\nTEL;TYPE=CELL:010-1234-5678\nCATEGORIES:Family,Work\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:3.0\nFN:Kim Su\nTEL;TYPE=CELL:+82 10-3456-7890\nTEL;TYPE=HOME:02-111-2222\n"
    "CATEGORIES:Work\nUID:kim-su\nEND:VCARD\n"
    "BEGIN:VCARD\nVERSION:3.0\nFN:Broken\nno colon here\nEND:VCARD\n";

class ContactStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
    Write(kCards);
    void* obj = nullptr;
    ASSERT_EQ(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &obj), S_OK);
    app_ = static_cast<IPOutlookApp*>(obj);
    ASSERT_EQ(app_->Logon(nullptr), S_OK);
  }
  void TearDown() override {
    if (app_) {
      app_->Logoff();
      app_->Release();
    }
    CoUninitialize();
  }
  void Write(const std::string& text) {
    std::ofstream(device_.dir() / "contacts.vcf", std::ios::binary) << text;
  }
  // The contacts folder's items; the caller releases them.
  IPOutlookItemCollection* Items() {
    IFolder* folder = nullptr;
    EXPECT_EQ(app_->GetDefaultFolder(olFolderContacts, &folder), S_OK);
    IPOutlookItemCollection* items = nullptr;
    EXPECT_EQ(folder->get_Items(&items), S_OK);
    folder->Release();
    return items;
  }
  int Count() {
    IPOutlookItemCollection* items = Items();
    int count = -1;
    items->get_Count(&count);
    items->Release();
    return count;
  }
  IContact* ContactAt(int i) {
    IPOutlookItemCollection* items = Items();
    IDispatch* d = nullptr;
    EXPECT_EQ(items->Item(i, &d), S_OK);
    IContact* c = nullptr;
    EXPECT_EQ(d->QueryInterface(IID_IContact, reinterpret_cast<void**>(&c)), S_OK);
    d->Release();
    items->Release();
    return c;
  }
  // The contact's text property read by `get`.
  static std::u16string Text(IContact* c, HRESULT (IContact::*get)(BSTR*)) {
    BSTR s = nullptr;
    (c->*get)(&s);
    std::u16string r = s ? std::u16string(s, SysStringLen(s)) : u"";
    SysFreeString(s);
    return r;
  }
  // The bytes of the contact's picture stream; the HRESULT of opening it in `hr`.
  static std::string Picture(IContact* c, HRESULT* hr) {
    IItem* item = nullptr;
    EXPECT_EQ(c->QueryInterface(IID_IItem, reinterpret_cast<void**>(&item)), S_OK);
    IStream* stream = reinterpret_cast<IStream*>(1);
    *hr = item->OpenProperty(PIMPR_PICTURE, GENERIC_READ, &stream);
    std::string bytes;
    if (*hr == S_OK) {
      bytes.resize(1 << 16);  // far more than the test's pictures
      ULONG got = 0;
      stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
      bytes.resize(got);
      stream->Release();
    } else {
      EXPECT_EQ(stream, nullptr);
    }
    item->Release();
    c->Release();
    return bytes;
  }
  static LONG OidOf(IContact* c) {
    LONG oid = 0;
    c->get_Oid(&oid);
    return oid;
  }

  parlo_test::TempDevice device_;
  IPOutlookApp* app_ = nullptr;
};

// The folder's categories and each contact's properties are read through the contact book's tests.
TEST_F(ContactStoreTest, FolderItemsCountFromOneLeaveOutUnreadableCardsNeedALogonAndKeepTheirIds) {
  EXPECT_EQ(Count(), 2);  // the broken card is not in the store
  IPOutlookItemCollection* items = Items();
  IDispatch* d = nullptr;
  EXPECT_EQ(items->Item(0, &d), E_INVALIDARG);
  EXPECT_EQ(items->Item(3, &d), E_INVALIDARG);
  items->Release();

  void* obj = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &obj), S_OK);
  auto* fresh = static_cast<IPOutlookApp*>(obj);
  IFolder* folder = nullptr;
  EXPECT_EQ(fresh->GetDefaultFolder(olFolderContacts, &folder), E_FAIL);
  EXPECT_EQ(folder, nullptr);
  EXPECT_EQ(fresh->Logoff(), E_FAIL);
  fresh->Release();

  // Identifiers stay across restarts and reimports.
  IContact* a = ContactAt(1);
  IContact* b = ContactAt(2);
  LONG oidA = OidOf(a), oidB = OidOf(b);
  a->Release();
  b->Release();
  EXPECT_NE(oidA, 0);
  EXPECT_NE(oidA, oidB);

  // A new contact put in front and both old ones imported again (one changed its number but
  // keeps its UID) with one more: neither identifier moves, and nothing is duplicated.
  Write(std::string("BEGIN:VCARD\nVERSION:3.0\nFN:New Person\nTEL:010-9\nEND:VCARD\n") + kCards);
  platform::contacts::ImportReport report;
  std::string error;
  ASSERT_TRUE(platform::contacts::ContactStore::Instance().Import(
      "BEGIN:VCARD\nVERSION:3.0\nFN:김철수\nTEL;TYPE=CELL:010-1234-5678\nCATEGORIES:Family,Work\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:Kim Su\nTEL;TYPE=CELL:010-0000-0000\nUID:kim-su\nEND:VCARD\n"
      "BEGIN:VCARD\nVERSION:3.0\nFN:Added\nTEL:5\nEND:VCARD\n",
      &report, &error));
  EXPECT_EQ(std::tuple(report.read, report.replaced, report.added), std::tuple(3, 2, 1));
  EXPECT_EQ(Count(), 4);
  // The card the store could not read is kept (nothing stored is lost), in its place.
  const std::string stored = parlo_test::ReadFileBytes(device_.dir() / "contacts.vcf");
  EXPECT_LT(stored.find("no colon here"), stored.find("FN:Added"));
  IContact* a2 = ContactAt(2);
  IContact* b2 = ContactAt(3);
  EXPECT_EQ(std::tuple(OidOf(a2), OidOf(b2)), std::tuple(oidA, oidB));
  EXPECT_EQ(Text(b2, &IContact::get_MobileTelephoneNumber), u"010-0000-0000");
  a2->Release();
  b2->Release();
}

TEST_F(ContactStoreTest, ANumberInAnyFormFindsItsFirstCard) {
  IItem* item = nullptr;
  CEPROPID which = 0;
  ASSERT_EQ(FindMatchingContact(app_, u"01034567890", FMCF_FINDPHONE, &item, &which), S_OK);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(which, static_cast<CEPROPID>(PIMPR_MOBILE_TELEPHONE_NUMBER));  // whose it is: the book's lookup tests
  item->Release();

  ASSERT_EQ(FindMatchingContact(app_, u"+82 2 111 2222", FMCF_FINDPHONE, &item, &which), S_OK);
  EXPECT_EQ(which, static_cast<CEPROPID>(PIMPR_HOME_TELEPHONE_NUMBER));
  item->Release();

  item = reinterpret_cast<IItem*>(1);
  EXPECT_TRUE(FAILED(FindMatchingContact(app_, u"1234-5678", FMCF_FINDPHONE, &item, &which)));
  EXPECT_EQ(item, nullptr);

  // A number shared by two cards belongs to the first one in the file; an edited file is looked
  // up afresh.
  auto& store = platform::contacts::ContactStore::Instance();
  Write("BEGIN:VCARD\nVERSION:3.0\nFN:First\nTEL;TYPE=HOME:02-555-0101\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:Second\nTEL;TYPE=CELL:025550101\nEND:VCARD\n");
  int slot = -1;
  auto found = store.FindByNumber(u"+82 2 555 0101", &slot);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(std::tuple(found->card.name, slot), std::tuple(u"First", 2));
  EXPECT_EQ(store.FindByOid(found->oid), found);

  Write("BEGIN:VCARD\nVERSION:3.0\nFN:Third\nTEL;TYPE=WORK:02 555 0101\nEND:VCARD\n");
  store.Refresh();
  found = store.FindByNumber(u"025550101", &slot);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(std::tuple(found->card.name, slot), std::tuple(u"Third", 1));
  EXPECT_EQ(store.FindByNumber(u"010-1234-5678", &slot), nullptr);
}

TEST_F(ContactStoreTest, AnUnchangedBookIsReadFromItsIndexAndPicturesFromTheBook) {
  std::string png = platform::contacts::EncodePng(8, 4, std::vector<uint8_t>(8 * 4 * 4, 255));
  Write("BEGIN:VCARD\nVERSION:3.0\nFN:Park\nTEL:1\nPHOTO;ENCODING=b:" + platform::contacts::EncodeBase64(png) +
        "\nEND:VCARD\n");
  ContactAt(1)->Release();  // the book read in full, its index written beside it
  std::filesystem::path index = device_.dir() / "contacts.idx";
  std::string text = parlo_test::ReadFileBytes(index);
  ASSERT_NE(text.find("\"Park\""), std::string::npos);
  text.replace(text.find("\"Park\""), 6, "\"Pork\"");
  std::ofstream(index, std::ios::binary | std::ios::trunc) << text;
  // Another start: the names come from the index, the picture from its place in the book.
  {
    parlo_test::TempDevice elsewhere;
    platform::contacts::ContactStore::Instance().Refresh();
  }
  platform::device::SetRoot(device_.dir());
  IContact* c = ContactAt(1);
  EXPECT_EQ(Text(c, &IContact::get_FileAs), u"Pork");
  HRESULT hr = E_FAIL;
  EXPECT_EQ(Picture(c, &hr), png);
  // A changed book is read in full again; without a photo there is no picture stream.
  Write("BEGIN:VCARD\nVERSION:3.0\nFN:Park Jr\nTEL:1\nEND:VCARD\n");
  c = ContactAt(1);
  EXPECT_EQ(Text(c, &IContact::get_FileAs), u"Park Jr");
  EXPECT_EQ(Picture(c, &hr), "");
  EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_NOT_FOUND));
}

TEST(Com, CreationNeedsInitialisationAndStringsCarryTheirLength) {
  void* obj = reinterpret_cast<void*>(1);
  EXPECT_EQ(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &obj),
            CO_E_NOTINITIALIZED);
  EXPECT_EQ(obj, nullptr);
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), RPC_E_CHANGED_MODE);
  GUID unknown{1, 2, 3, {4}};
  EXPECT_EQ(CoCreateInstance(unknown, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &obj), REGDB_E_CLASSNOTREG);
  CoUninitialize();
  CoUninitialize();

  BSTR s = SysAllocStringLen(u"a\0b", 3);  // an embedded zero is part of the string
  EXPECT_EQ(SysStringLen(s), 3u);
  EXPECT_EQ(s[3], 0);
  SysFreeString(s);
  BSTR cut = SysAllocStringLen(u"hello", 2);
  EXPECT_EQ(std::u16string(cut), u"he");
  SysFreeString(cut);
  SysFreeString(nullptr);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
}

}  // namespace
