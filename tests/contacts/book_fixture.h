// A device with a contact store, a logged-on application object and a fresh contact book.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "contacts/contact_book.h"
#include "kit/temp_device.h"
#include "pimstore.h"

namespace parlo_test {

// One vCard 3.0 card; empty fields are left out.
inline std::string Card(const std::string& name, const std::string& mobile, const std::string& home = "",
                        const std::string& categories = "", const std::string& business = "") {
  std::string c = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\n";
  if (!mobile.empty()) c += "TEL;TYPE=CELL:" + mobile + "\r\n";
  if (!business.empty()) c += "TEL;TYPE=WORK:" + business + "\r\n";
  if (!home.empty()) c += "TEL;TYPE=HOME:" + home + "\r\n";
  if (!categories.empty()) c += "CATEGORIES:" + categories + "\r\n";
  return c + "END:VCARD\r\n";
}

// The contact side of a device: its contact store, a logged-on application object and a book.
class ContactDevice {
 protected:
  void StartContacts(const std::filesystem::path& device) {
    contactsDir_ = device;
    std::filesystem::create_directories(device / "Program Files" / "Parlo");
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
  }
  void StopContacts() {
    book_.reset();  // writes the cache while the device is still there
    if (app_) {
      app_->Logoff();
      app_->Release();
    }
    CoUninitialize();
  }
  void Store(const std::string& vcf) {
    std::ofstream(contactsDir_ / "contacts.vcf", std::ios::binary | std::ios::trunc) << vcf;
  }
  // A new run of the program: application object, log-on, book.
  parlo::ContactBook& Open() {
    book_.reset();
    if (!app_) {
      void* obj = nullptr;
      EXPECT_EQ(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp, &obj), S_OK);
      app_ = static_cast<IPOutlookApp*>(obj);
      EXPECT_EQ(app_->Logon(nullptr), S_OK);
    }
    book_ = std::make_unique<parlo::ContactBook>(app_);
    return *book_;
  }
  // A new run over `vcf`, its contacts loaded without pictures.
  parlo::ContactBook& Load(const std::string& vcf) {
    Store(vcf);
    Open().LoadContacts(false);
    return *book_;
  }
  // A whole run: the book read from the store, the cache written at its end.
  void RunOnce() {
    Open().LoadContacts(false);
    book_.reset();
  }
  std::filesystem::path CacheFile() const { return contactsDir_ / "Program Files" / "Parlo" / "allcontacts.dat"; }

  std::filesystem::path contactsDir_;
  IPOutlookApp* app_ = nullptr;
  std::unique_ptr<parlo::ContactBook> book_;
};

class BookTest : public ::testing::Test, public ContactDevice {
 protected:
  void SetUp() override { StartContacts(device_.dir()); }
  void TearDown() override { StopContacts(); }

  TempDevice device_;
};

}  // namespace parlo_test
