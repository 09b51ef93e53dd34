#include "platform/contacts/contact_cache_check.h"

#include <sys/stat.h>

#include <fstream>
#include <optional>

#include "platform/base/device_root.h"
#include "platform/contacts/contact_store.h"
#include "platform/contacts/regular_file.h"

namespace platform::contacts {
namespace {

std::optional<std::filesystem::path> NotePath(std::u16string_view cache) {
  std::optional<std::filesystem::path> host = device::HostPath(cache);
  if (host) *host += ".book";
  return host;
}

std::string Note(const std::string& bookStamp, size_t records) {
  return "book " + bookStamp + "\nrecords " + std::to_string(records) + "\n";
}

}  // namespace

std::string AddressBookStamp() { return FileStamp(device::Root() / "contacts.vcf"); }

bool ContactCacheIsCurrent(std::u16string_view cache, size_t recordSize) {
  std::optional<std::filesystem::path> host = device::HostPath(cache);
  std::optional<std::filesystem::path> note = NotePath(cache);
  if (!host || !note || recordSize == 0) return false;
  struct stat st {};
  if (stat(host->c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size_t size = static_cast<size_t>(st.st_size);
  if (size % recordSize != 0) return false;
  std::string noted, error;
  if (ReadRegularFile(*note, 4096, &noted, &error) != FileRead::kOk) return false;
  size_t records = size / recordSize;
  return noted == Note(AddressBookStamp(), records) && ContactStore::Instance().Contacts().size() == records;
}

bool NoteContactCache(std::u16string_view cache, const std::string& bookStamp, size_t records) {
  std::optional<std::filesystem::path> note = NotePath(cache);
  if (!note || !ReplaceableFile(*note)) return false;
  std::filesystem::path temp = *note;
  temp += ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << Note(bookStamp, records);
    out.flush();
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, *note, ec);
  return !ec;
}

}  // namespace platform::contacts
