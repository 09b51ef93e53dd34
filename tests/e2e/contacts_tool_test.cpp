// The address book through the binaries: what `contacts import` answers, and files of the store
// that are not plain files (a directory or FIFO where contacts.vcf or contacts.oid belongs). A
// spoiled contact cache is rebuilt in tests/contacts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

const char kGoodCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kim\r\nTEL;TYPE=CELL:010-1111-2222\r\nEND:VCARD\r\n";

int LinesWith(const std::string& text, const std::string& part) {
  std::istringstream in(text);
  int n = 0;
  for (std::string line; std::getline(in, line);) n += line.find(part) != std::string::npos;
  return n;
}

TEST(ContactsTool, ImportAnswersOneJsonLineWithTheSkippedCards) {
  parlo_test::TempDevice device;
  fs::path root = device.dir() / "phone";
  ASSERT_EQ(e2e::Run("parlo-device", {"--device", root.string(), "init", "--empty"}).exitCode, 0);
  fs::path file = device.dir() / "in.vcf";
  std::ofstream(file, std::ios::binary) << kGoodCard << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Broken\r\nno colon\r\nEND:VCARD\r\n";
  e2e::Finished f = e2e::Run("parlo-device", {"--device", root.string(), "contacts", "import", file.string()});
  ASSERT_EQ(f.exitCode, 0) << f.err;
  ASSERT_EQ(std::count(f.out.begin(), f.out.end(), '\n'), 1) << f.out;
  json answer = json::parse(f.out);
  EXPECT_EQ(answer["read"], 2);
  EXPECT_EQ(answer["added"], 1);
  EXPECT_EQ(answer["replaced"], 0);
  ASSERT_EQ(answer["skipped"].size(), 1u);
  EXPECT_EQ(answer["skipped"][0]["card"], 2);
  EXPECT_EQ(answer["skipped"][0]["name"], "Broken");
  EXPECT_NE(answer["skipped"][0]["reason"].get<std::string>().find("not a property"), std::string::npos);
}

// Each row: which file of the store is replaced by what. The address book itself unusable means no
// contacts; an unusable identifier file still leaves the contacts readable in the program.
TEST(ContactsTool, StoreFilesThatAreNotPlainFilesAreRefusedInOneLine) {
  struct Row {
    const char* file;
    bool fifo;
    int contactsInProgram;
  } rows[] = {{"contacts.vcf", false, 0}, {"contacts.vcf", true, 0}, {"contacts.oid", false, 1}, {"contacts.oid", true, 1}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.file) + (row.fifo ? " fifo" : " directory"));
    parlo_test::TempDevice device;
    fs::path root = device.dir() / "phone";
    ASSERT_EQ(e2e::Run("parlo-device", {"--device", root.string(), "init", "--empty"}).exitCode, 0);
    fs::remove(root / "contacts.vcf");
    fs::remove(root / "contacts.oid");
    if (std::string(row.file) != "contacts.vcf") std::ofstream(root / "contacts.vcf", std::ios::binary) << kGoodCard;
    fs::path odd = root / row.file;
    int writer = -1;
    if (row.fifo) {
      ASSERT_EQ(mkfifo(odd.c_str(), 0600), 0);
      // Held open for writing, so a reader that would wait for a writer is not stopped in its
      // open and its failure shows as a wrong answer rather than a hang.
      writer = open(odd.c_str(), O_RDWR | O_CLOEXEC);
      ASSERT_GE(writer, 0);
    } else {
      fs::create_directory(odd);
    }
    fs::path in = device.dir() / "in.vcf";
    std::ofstream(in, std::ios::binary) << kGoodCard;
    for (const std::vector<std::string>& command :
         {std::vector<std::string>{"contacts", "list"}, std::vector<std::string>{"contacts", "import", in.string()}}) {
      std::vector<std::string> args = {"--device", root.string()};
      args.insert(args.end(), command.begin(), command.end());
      e2e::Finished f = e2e::Run("parlo-device", args);
      EXPECT_EQ(f.exitCode, 2) << command[1] << ": " << f.err;
      EXPECT_EQ(f.err, "parlo-device: contacts: " + odd.string() + " is not a regular file\n") << command[1];
    }
    e2e::Finished run = e2e::Run("parlo", {"--device", root.string(), "--headless", "--automate", "--virtual-clock",
                                           "2024-03-05 14:07:09"},
                                 "state\nquit\n");
    EXPECT_GE(run.exitCode, 0) << run.err;  // ended by itself, not by a signal
    EXPECT_EQ(LinesWith(run.err, odd.string() + " is not a regular file"), 1) << run.err;
    std::istringstream answers(run.out);
    std::string first;
    std::getline(answers, first);
    json state = json::parse(first, nullptr, false);
    ASSERT_FALSE(state.is_discarded()) << run.out;
    EXPECT_EQ(state["contacts"]["count"], row.contactsInProgram);
    EXPECT_EQ(row.fifo ? fs::is_fifo(odd) : fs::is_directory(odd), true);  // left as it was
    if (writer >= 0) close(writer);
  }
}

}  // namespace
