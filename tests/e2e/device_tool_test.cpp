// parlo-device itself: how it refuses, its registry and short-message commands seen from a program
// of the same phone, the calls, launches and composer stand-in it keeps, and the address book's
// import and store files. (A spoiled contact cache is rebuilt in tests/contacts.)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "e2e/session.h"
#include "platform/device/registry/registry_store.h"
#include "platform/sms/network.h"
#include "sms.h"
#include "windows.h"
#include "winreg.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

const char kGoodCard[] = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Kim\r\nTEL;TYPE=CELL:010-1111-2222\r\nEND:VCARD\r\n";

class DeviceTool : public DeviceTest {
 protected:
  void SetUp() override {
    platform::sms::UseNetwork(nullptr);
    DeviceTest::SetUp();
  }
  void TearDown() override { platform::device::registry::Close(); }
  std::string Registry() { return parlo_test::ReadFileBytes(device_.dir() / "registry.db"); }

  // One message sent by this process, as Parlo sends it.
  HRESULT SendHere(const std::u16string& text) {
    SMS_HANDLE h = 0;
    if (FAILED(SmsOpen(SMS_MSGTYPE_TEXT, SMS_MODE_SEND, &h, nullptr))) return E_FAIL;
    SMS_ADDRESS to{SMSAT_INTERNATIONAL, {}};
    StringCchCopyW(to.ptsAddress, SMS_MAX_ADDRESS_LENGTH, u"0101234");
    BYTE block[SMS_TEXT_PROVIDER_DATA_SIZE] = {};
    HRESULT hr = SmsSendMessage(h, nullptr, &to, nullptr, reinterpret_cast<const BYTE*>(text.data()),
                                static_cast<DWORD>(text.size() * 2), block, sizeof block, SMSDE_OPTIMAL, 0, nullptr);
    SmsClose(h);
    return hr;
  }
};

// Each line names what was not understood and, where a command was wanted, the commands; a
// device that is a file is named; an init that cannot write the demo says why.
TEST_F(DeviceTool, BadInputIsOneLineOnStderr) {
  const fs::path phone = device_.dir() / "phone";
  const fs::path file = device_.dir() / "not-a-folder";
  std::ofstream(file) << "x";
  const fs::path blocked = device_.dir() / "blocked";
  fs::create_directories(blocked / "contacts.vcf");
  const std::string notAFolder = "the device " + file.string() + " is not a folder\n";
  struct Case {
    fs::path device;
    Args args;
    std::vector<std::string> mentions;
  } cases[] = {
      {phone, {"init", "--demo", "--empty"}, {"--empty"}},
      {phone, {"frobnicate"}, {"\"frobnicate\"", "init, ", "receive"}},
      {phone, {}, {"init, ", "reg"}},
      {phone, {"reg", "frob"}, {"\"frob\"", "get, set, del"}},
      {phone, {"init", "--bogus"}, {"--bogus"}},
      {phone, {"reg", "set", "HKCU\\T", "v", "dword", "010"}, {"010"}},
      {phone, {"init", std::string(5000, 'a')}, {"4096"}},
      // Only init makes a device: a message alone would leave half a phone behind.
      {phone, {"receive", "--from", "010", "hi"}, {"init"}},
      {phone, {"sms", "fail", "--after", "0"}, {"init"}},
      {file, {"init", "--empty"}, {notAFolder}},
      {file, {"messages"}, {notAFolder}},
      {file, {"contacts", "list"}, {notAFolder}},
      {file, {"receive", "--from", "010", "hi"}, {notAFolder}},
      {file, {"calls"}, {notAFolder}},
      {blocked, {"init", "--demo"}, {"contacts.vcf"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.device.filename().string() + " " + (c.args.empty() ? "" : c.args[0].substr(0, 20)));
    root_ = c.device;
    const Finished f = Device(c.args);
    ExpectRefusal(f, "parlo-device: ");
    for (const std::string& m : c.mentions) EXPECT_NE(f.err.find(m), std::string::npos) << m << " in " << f.err;
  }
  EXPECT_FALSE(fs::exists(phone));
  EXPECT_EQ(parlo_test::ReadFileBytes(file), "x");
}

// Each type set and read back (key and value names in any case), a binary value as hex; a missing
// key or value exits 1.
TEST_F(DeviceTool, RegistryStepsAndTheirAnswersAndBadInputThatChangesNothing) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"System\\State\\DateTime", 0, nullptr, 0, 0, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const BYTE bytes[] = {0x00, 0xAB, 0x10};
  ASSERT_EQ(RegSetValueExW(key, u"Time", 0, REG_BINARY, bytes, 3), ERROR_SUCCESS);
  RegCloseKey(key);
  platform::device::registry::Close();
  const std::string unread = "HKLM\\System\\State\\Messages\\SMS\\Unread";
  const struct {
    Args args;
    int exitCode;
    const char* printed;  // nullptr: not looked at
  } steps[] = {
      {{"get", "HKLM\\System\\State\\DateTime", "Time"}, 0, "{\"type\":\"binary\",\"value\":\"00ab10\"}\n"},
      {{"set", unread, "Count", "dword", "0x1F"}, 0, nullptr},
      {{"get", "hklm\\system\\state\\messages\\sms\\unread", "COUNT"}, 0, "{\"type\":\"dword\",\"value\":31}\n"},
      {{"set", kSettingsKey, "password", "sz", "5836"}, 0, nullptr},
      {{"get", kSettingsKey, "password"}, 0, "{\"type\":\"sz\",\"value\":\"5836\"}\n"},
      {{"set", "HKCU\\L", "list", "multi_sz", "a", "안녕 b"}, 0, nullptr},
      {{"get", "HKCU\\L", "list"}, 0, "{\"type\":\"multi_sz\",\"value\":[\"a\",\"안녕 b\"]}\n"},
      {{"get", "HKCU\\Nothing", "x"}, 1, nullptr},
      {{"set", "HKCU\\T", "v", "dword", "1"}, 0, nullptr},
      {{"get", "HKCU\\T", "w"}, 1, nullptr},
      {{"del", "HKCU\\T", "w"}, 1, nullptr},
      {{"del", "HKCU\\T", "v"}, 0, nullptr},
      {{"get", "HKCU\\T", "v"}, 1, nullptr},
      {{"del", "HKCU\\T"}, 0, nullptr},
      {{"del", "HKCU\\T"}, 1, nullptr},
  };
  for (const auto& step : steps) {
    Args args = {"reg"};
    args.insert(args.end(), step.args.begin(), step.args.end());
    Finished f = Device(args);
    EXPECT_EQ(f.exitCode, step.exitCode) << step.args[0] << " " << step.args.back() << ": " << f.err;
    if (step.printed) {
      EXPECT_EQ(f.out, step.printed);
    }
  }
  // Bad input to reg, and a registry file that is not a database: exit 2, the file unchanged.
  Json({"reg", "set", "HKCU\\T", "v", "dword", "7"});
  const std::string before = Registry();
  for (const Args& args : std::vector<Args>{
           {"reg", "set", "HKXX\\T", "v", "dword", "1"},
           {"reg", "set", "HKCU\\T", "v", "dword", "-1"},
           {"reg", "set", "HKCU\\T", "v", "dword", "4294967296"},
           {"reg", "set", "HKCU\\T", "v", "dword", "12abc"},
           {"reg", "set", "HKCU\\T", "v", "qword", "1"},
           {"reg", "set", "HKCU\\T", "v", "sz", "a", "b"},
           {"reg", "set", "HKCU\\" + std::string(600, 'k'), "v", "dword", "1"},
           {"reg", "set", "HKCU\\T", std::string(300, 'n'), "dword", "1"},
           {"reg", "del", "HKCU"}})
    EXPECT_EQ(Device(args).exitCode, 2) << args[2].substr(0, 20) << " " << args.back();
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "v"}).out, "{\"type\":\"dword\",\"value\":7}\n");
  EXPECT_EQ(Registry(), before);

  std::ofstream(device_.dir() / "registry.db") << "not a database";
  EXPECT_EQ(Device({"reg", "get", "HKCU\\T", "v"}).exitCode, 2);
  EXPECT_EQ(Device({"reg", "set", "HKCU\\T", "v", "dword", "1"}).exitCode, 2);
  EXPECT_EQ(Registry(), "not a database");
}

TEST_F(DeviceTool, ThePhonesNumberAndSendFailuresAreSetFromOutside) {
  EXPECT_EQ(Device({"phone-number"}).out, "01055501234\n");
  Json({"phone-number", "+821099998888"});
  SMS_ADDRESS own{};
  ASSERT_EQ(SmsGetPhoneNumber(&own), S_OK);
  EXPECT_EQ(std::u16string(own.ptsAddress), u"+821099998888");
  Json({"init", "--empty"});  // a phone keeps its number
  EXPECT_EQ(Device({"phone-number"}).out, "+821099998888\n");

  Finished bad = Device({"phone-number", "010-9999"});
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_NE(bad.err.find("010-9999"), std::string::npos) << bad.err;
  EXPECT_EQ(Device({"phone-number"}).out, "+821099998888\n");

  Json({"phone-number", "--clear"});
  Finished none = Device({"phone-number"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(SmsGetPhoneNumber(&own), E_FAIL);

  // Bad failure counts change nothing; failures set from another process reach the next send here.
  for (const Args& args : std::vector<Args>{
           {"sms", "fail", "--after", "-1"}, {"sms", "fail", "--after", "01"}, {"sms", "fail"}, {"sms"}}) {
    SCOPED_TRACE(args.back());
    ExpectRefusal(Device(args), "parlo-device: ");
  }
  EXPECT_EQ(SendHere(u"one"), S_OK);
  Json({"sms", "fail", "--after", "1"});
  EXPECT_EQ(SendHere(u"two"), S_OK);
  EXPECT_EQ(SendHere(u"three"), SMS_E_NETWORK);
  Json({"sms", "ok"});
  EXPECT_EQ(SendHere(u"four"), S_OK);
  Json({"sms", "fail", "--after", "0"});
  EXPECT_EQ(SendHere(u"five"), SMS_E_NETWORK);

  Finished outbox = Device({"outbox"});
  EXPECT_EQ(outbox.exitCode, 0);
  EXPECT_EQ(outbox.out,
            "{\"to\":\"0101234\",\"text\":\"one\",\"callback\":\"\",\"smsc\":\"\",\"time\":\"2024-03-05 14:07:09\"}\n"
            "{\"to\":\"0101234\",\"text\":\"two\",\"callback\":\"\",\"smsc\":\"\",\"time\":\"2024-03-05 14:07:09\"}\n"
            "{\"to\":\"0101234\",\"text\":\"four\",\"callback\":\"\",\"smsc\":\"\",\"time\":\"2024-03-05 14:07:09\"}\n");
}

// Calls and launches are JSON lines, oldest first; the composer stand-in records how it was started.
TEST_F(DeviceTool, CallsAndLaunchesAreJsonLinesAndTheComposerStandInRecordsItsStart) {
  EXPECT_EQ(Device({"calls"}).out, "");
  std::ofstream(root_ / "network" / "calls.jsonl")
      << "{\"number\": \"0101\", \"name\": \"가\", \"time\": \"2024-03-05 14:07:09\"}\n"
      << "not json\n\n"
      << "{\"number\":\"0102\",\"name\":\"\",\"time\":\"2024-03-05 14:08:00\"}\n";
  Finished f = Device({"calls"});
  EXPECT_EQ(f.exitCode, 0);
  EXPECT_EQ(f.out,
            "{\"number\":\"0101\",\"name\":\"가\",\"time\":\"2024-03-05 14:07:09\"}\n"
            "{\"number\":\"0102\",\"name\":\"\",\"time\":\"2024-03-05 14:08:00\"}\n");
  EXPECT_NE(f.err.find("line 2"), std::string::npos);
  EXPECT_EQ(Device({"launches"}).out, "");

  // Installed where a quote in the path would end the script's quoting and run what follows.
  fs::path install = device_.dir() / "a'$(touch injected)'b";
  fs::create_directories(install);
  fs::copy_file(BinDir() / "parlo-device", install / "parlo-device");
  ASSERT_EQ(e2e::Run((install / "parlo-device").string(), {"--device", dir(), "init", "--empty"}).exitCode, 0);
  fs::path standIn = root_ / "windows" / "MMSC.exe";
  ASSERT_TRUE(fs::exists(standIn));
  // Started as the platform starts a process: its arguments, and the phone's view in the environment.
  std::string command = "cd '" + dir() + "' && PARLO_DEVICE='" + dir() +
                        "' PARLO_PHONE_PATH='\\windows\\MMSC.exe' PARLO_COMMAND_LINE='\"3\" \"-x y\"' '" +
                        standIn.string() + "' 3 '-x y'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_FALSE(fs::exists(root_ / "injected"));
  ExpectFields(Json({"launches"}).at(0),
               {{"path", "\\windows\\MMSC.exe"}, {"command_line", "\"3\" \"-x y\""}, {"args", json::array({"3", "-x y"})}});
}

TEST_F(DeviceTool, ImportAnswersOneJsonLineAndStoreFilesThatAreNotPlainFilesAreRefused) {
  fs::path file = device_.dir() / "in.vcf";
  std::ofstream(file, std::ios::binary) << kGoodCard << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Broken\r\nno colon\r\nEND:VCARD\r\n";
  const json answer = json::parse(R"j({"read": 2, "added": 1, "replaced": 0,
      "skipped": [{"card": 2, "line": 6, "name": "Broken", "reason": "line 9 is not a property (no ':')"}]})j");
  EXPECT_EQ(Json({"contacts", "import", file.string()}), std::vector<json>{answer});
  // A directory or FIFO where contacts.vcf or contacts.oid belongs; each row: which file is replaced
  // by what. The address book itself unusable means no contacts; an unusable identifier file still
  // leaves the contacts readable in the program.
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
      SCOPED_TRACE(command[1]);
      ExpectRefusal(Device(command), "parlo-device: contacts: " + odd.string() + " is not a regular file\n");
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
