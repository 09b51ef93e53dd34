// contacts import|list, and the demo phone's address book.
#include <algorithm>
#include <cmath>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "commands.h"
#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/contacts/contact_store.h"
#include "platform/contacts/picture.h"
#include "platform/contacts/regular_file.h"
#include "platform/contacts/text_decode.h"

namespace parlo_device {
namespace {

using platform::contacts::ContactStore;

// A store file that is there but unusable (a directory or FIFO in its place) is bad input.
void RefuseUnusableStore() {
  std::vector<std::string> errors = ContactStore::Instance().FileErrors();
  if (!errors.empty()) throw UsageError{"contacts: " + errors.front()};
}

nlohmann::json SkippedCard(const platform::contacts::VCardProblem& p) {
  return {{"card", p.index}, {"line", p.line}, {"name", platform::Utf16ToUtf8(p.name)}, {"reason", p.reason}};
}

void Import(const std::string& file) {
  std::string bytes, error;
  // A vCard file is text of a few megabytes at most, even with camera photos.
  constexpr size_t kImportCap = size_t{1} << 30;
  if (platform::contacts::ReadRegularFile(file, kImportCap, &bytes, &error) != platform::contacts::FileRead::kOk)
    throw UsageError{"contacts import: " + (error.empty() ? "cannot read " + file : error)};
  RefuseUnusableStore();
  // Nothing is changed when the file holds no usable card.
  platform::contacts::VCardFile parsed = platform::contacts::ParseVCards(bytes);
  if (parsed.cards.empty()) {
    if (parsed.skipped.empty()) throw UsageError{"contacts import: " + file + " holds no vCard"};
    throw UsageError{"contacts import: " + file + " holds no readable vCard; " +
                     platform::contacts::DescribeProblem(parsed.skipped.front())};
  }
  platform::contacts::ImportReport report;
  if (!ContactStore::Instance().Import(bytes, &report, &error)) throw UsageError{"contacts import: " + error};
  nlohmann::json skipped = nlohmann::json::array();
  for (const auto& p : report.skipped) skipped.push_back(SkippedCard(p));
  nlohmann::json line = {{"read", report.read},
                         {"added", report.added},
                         {"replaced", report.replaced},
                         {"skipped", skipped}};
  std::puts(line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
}

void List() {
  ContactStore& store = ContactStore::Instance();
  RefuseUnusableStore();
  for (const auto& p : store.Problems())
    std::fprintf(stderr, "parlo-device: contacts.vcf: skipped %s\n", platform::contacts::DescribeProblem(p).c_str());
  for (const auto& c : store.Contacts()) {
    platform::contacts::Pixels pixels;
    nlohmann::json line = {
        {"oid", c->oid},
        {"name", platform::Utf16ToUtf8(c->card.name)},
        {"company", platform::Utf16ToUtf8(c->card.company)},
        {"categories", platform::Utf16ToUtf8(c->card.categories)},
        {"mobile", platform::Utf16ToUtf8(c->card.mobile)},
        {"business", platform::Utf16ToUtf8(c->card.business)},
        {"home", platform::Utf16ToUtf8(c->card.home)},
        // A picture the phone can show, not just bytes that claim to be one.
        {"picture", c->photoSize > 0 && platform::contacts::DecodePictureToCover(store.Photo(*c), 1, 1, &pixels)},
    };
    std::puts(line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace).c_str());
  }
}

// A soft-edged disc of one colour on a light ground, with the first letter's place left plain.
std::vector<uint8_t> Disc(int size, uint8_t r, uint8_t g, uint8_t b) {
  std::vector<uint8_t> px(static_cast<size_t>(size) * size * 4);
  double c = (size - 1) / 2.0, radius = size * 0.45;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      double d = std::hypot(x - c, y - c);
      double inside = std::clamp(radius - d + 0.5, 0.0, 1.0);
      uint8_t* p = &px[(static_cast<size_t>(y) * size + x) * 4];
      p[0] = static_cast<uint8_t>(r * inside + 240 * (1 - inside));
      p[1] = static_cast<uint8_t>(g * inside + 240 * (1 - inside));
      p[2] = static_cast<uint8_t>(b * inside + 240 * (1 - inside));
      p[3] = 255;
    }
  return px;
}

std::string PhotoLine30(const std::string& bytes, const char* type) {
  return std::string("PHOTO;ENCODING=b;TYPE=") + type + ":" + platform::contacts::EncodeBase64(bytes) + "\r\n";
}

}  // namespace

void AddContactCommands(CLI::App& app) {
  CLI::App* contacts = app.add_subcommand("contacts", "the phone's address book");
  contacts->require_subcommand(1);
  auto file = std::make_shared<std::string>();
  contacts->add_subcommand("import", "add the cards of a vCard file to the address book")
      ->callback([file] { Import(*file); })
      ->add_option("FILE", *file, "a .vcf file (vCard 2.1, 3.0 or 4.0)")
      ->required();
  contacts->add_subcommand("list", "the contacts as JSON lines, in store order")->callback(List);
}

void WriteDemoContacts() {
  std::error_code ec;
  if (std::filesystem::file_size(platform::device::Root() / "contacts.vcf", ec) > 0 && !ec) return;
  using platform::contacts::EncodeJpeg;
  using platform::contacts::EncodePng;
  const int s = 96;
  std::string vcf;
  vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:김;철수;;;\r\nFN:김철수\r\nTEL;TYPE=CELL:010-1234-5678\r\n"
         "CATEGORIES:Family,Work\r\n" + PhotoLine30(EncodePng(s, s, Disc(s, 220, 60, 60)), "PNG") + "END:VCARD\r\n";
  vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:이영희\r\nTEL;TYPE=cell,voice:010-2345-6789\r\n"
         "TEL;TYPE=HOME:02-555-0101\r\nCATEGORIES:Family\r\n" +
         PhotoLine30(EncodeJpeg(s, s, Disc(s, 60, 90, 220), 85), "JPEG") + "END:VCARD\r\n";
  vcf += "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Kim Su\r\nN:Kim;Su;;;\r\nTEL;TYPE=\"cell,voice\";PREF=1:+82 10-3456-7890\r\n"
         "CATEGORIES:Work\r\nPHOTO:data:image/png;base64," +
         platform::contacts::EncodeBase64(EncodePng(s, s, Disc(s, 40, 170, 80))) + "\r\nEND:VCARD\r\n";
  vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:박민수\r\nORG:Ostrand\r\nTEL;TYPE=CELL:010-4567-8901\r\n"
         "TEL;TYPE=WORK,VOICE:02-6000-1234\r\nCATEGORIES:Work\r\nEND:VCARD\r\n";
  vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:최지우\r\nTEL;TYPE=CELL:010-5678-9012\r\n" +
         PhotoLine30(EncodePng(s, s, Disc(s, 240, 150, 30)), "PNG") + "END:VCARD\r\n";
  vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John;;;\r\nFN:John Smith\r\nORG:Acme\r\n"
         "TEL;TYPE=CELL:+1 415 555 0100\r\nTEL;TYPE=WORK:+82 2-3456-7000\r\nCATEGORIES:Work\r\nEND:VCARD\r\n";
  vcf += "BEGIN:VCARD\r\nVERSION:4.0\r\nN:정;다은;;;\r\nTEL;TYPE=cell:010-6789-0123\r\nCATEGORIES:Friends\r\n"
         "END:VCARD\r\n";
  vcf += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:강하늘\r\nTEL;TYPE=HOME:031-123-4567\r\nCATEGORIES:Friends\r\nEND:VCARD\r\n";
  std::string error;
  if (!ContactStore::Instance().Replace(vcf, &error)) throw UsageError{error};
}

}  // namespace parlo_device
