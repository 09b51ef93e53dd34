// The address book through the binaries: what `contacts import` answers, and files of the store
// that are not plain files (a directory or FIFO where contacts.vcf or contacts.oid belongs). A
// spoiled contact cache is rebuilt in tests/contacts.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "e2e/session.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

const char kGoodCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kim\r\nTEL;TYPE=CELL:010-1111-2222\r\nEND:VCARD\r\n";

class ContactsTool : public DeviceTest {};

TEST_F(ContactsTool, ImportAnswersOneJsonLineWithTheSkippedCards) {
  fs::path file = device_.dir() / "in.vcf";
  std::ofstream(file, std::ios::binary) << kGoodCard << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Broken\r\nno colon\r\nEND:VCARD\r\n";
  const json answer = json::parse(R"j({"read": 2, "added": 1, "replaced": 0,
      "skipped": [{"card": 2, "line": 6, "name": "Broken", "reason": "line 9 is not a property (no ':')"}]})j");
  EXPECT_EQ(Json({"contacts", "import", file.string()}), std::vector<json>{answer});
}

// Each row: which file of the store is replaced by what. The address book itself unusable means no
// contacts; an unusable identifier file still leaves the contacts readable in the program.
TEST_F(ContactsTool, StoreFilesThatAreNotPlainFilesAreRefusedInOneLine) {
  const fs::path in = device_.dir() / "in.vcf";
  std::ofstream(in, std::ios::binary) << kGoodCard;
  struct Row {
    const char* file;
    bool fifo;
    int contactsInProgram;
  } rows[] = {{"contacts.vcf", false, 0}, {"contacts.vcf", true, 0}, {"contacts.oid", false, 1}, {"contacts.oid", true, 1}};
  for (const Row& row : rows) {
    const std::string what = std::string(row.file) + (row.fifo ? " fifo" : " directory");
    SCOPED_TRACE(what);
    root_ = device_.dir() / what;
    Json({"init", "--empty"});
    fs::remove(root_ / "contacts.vcf");
    fs::remove(root_ / "contacts.oid");
    if (std::string(row.file) != "contacts.vcf") std::ofstream(root_ / "contacts.vcf", std::ios::binary) << kGoodCard;
    fs::path odd = root_ / row.file;
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
    for (const Args& command : {Args{"contacts", "list"}, Args{"contacts", "import", in.string()}}) {
      Finished f = Device(command);
      EXPECT_EQ(f.exitCode, 2) << command[1] << ": " << f.err;
      EXPECT_EQ(f.err, "parlo-device: contacts: " + odd.string() + " is not a regular file\n") << command[1];
    }
    Finished run = e2e::Run("parlo", {"--device", dir(), "--headless", "--automate", "--virtual-clock",
                                      "2024-03-05 14:07:09"}, "state\nquit\n");
    EXPECT_GE(run.exitCode, 0) << run.err;  // ended by itself, not by a signal
    const std::string says = odd.string() + " is not a regular file";
    EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find(says), run.err.rfind(says)) << "said more than once: " << run.err;
    json state = json::parse(run.out.substr(0, run.out.find('\n')), nullptr, false);
    ASSERT_FALSE(state.is_discarded()) << run.out;
    EXPECT_EQ(state["contacts"]["count"], row.contactsInProgram);
    EXPECT_EQ(row.fifo ? fs::is_fifo(odd) : fs::is_directory(odd), true);  // left as it was
    if (writer >= 0) close(writer);
  }
}

}  // namespace
