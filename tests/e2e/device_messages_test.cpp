// parlo-device's message commands end to end: what they store, and that bad input changes nothing.
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "e2e/session.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

constexpr const char* kAt = "2024-03-05 14:07:09";

std::string Repeat(const std::string& piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// Everything a message command may change, read back through the tool and from the volume's files.
struct DeviceState {
  std::string messages, notifications, unread, volume, wal;
  bool operator==(const DeviceState&) const = default;
};

class DeviceMessages : public DeviceTest {
 protected:
  int Unread() { return Json({"reg", "get", kUnreadKey, "Unread"}).at(0)["value"].get<int>(); }
  DeviceState State() {
    fs::path volume = device_.dir() / "MITs Store" / "MMS" / "mms.edb";
    return {Device({"messages"}).out, Device({"notifications"}).out, Device({"reg", "get", kUnreadKey, "Unread"}).out,
            parlo_test::ReadFileBytes(volume), parlo_test::ReadFileBytes(volume.string() + "-wal")};
  }
  // A store with one unread received message and one sent, so a stray write or delete shows.
  void Seed() {
    Receive("010-1234-5678", "unread", kAt);
    Json({"record-sent", "--to", "010-1234-5678", "--at", kAt, "sent"});
  }
};

TEST_F(DeviceMessages, ReceiveRecordSentAndDeleteStoreWhatThePhoneWould) {
  EXPECT_EQ(Device({"notifications"}).out, "");
  std::vector<json> out = Json({"receive", "--from", "010-1234-5678", "--at", kAt, "점심 먹자"});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0]["db"], "recv");

  std::vector<json> recv = Json({"messages", "--db", "recv"});
  ASSERT_EQ(recv.size(), 1u);
  // Unread (0x0005), a short message (0x000A).
  ExpectFields(recv[0], {{"oid", out[0]["oid"]},
                         {"props",
                          {{"0x00010040", kAt},
                           {"0x0002001F", "010-1234-5678"},
                           {"0x0003001F", "점심 먹자"},
                           {"0x00050002", 0},
                           {"0x000A0002", 0}}}});
  EXPECT_EQ(Unread(), 1);
  std::vector<json> shown = Json({"notifications"});
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0]["clsid"], "{592A0D12-F0AC-411B-A175-8B348238F1FD}");
  EXPECT_NE(shown[0]["html"].get<std::string>().find('1'), std::string::npos);

  // A second message in the same second gets a later identifier, so it sorts first, and raises the count.
  Json({"receive", "--from", "02-555-0199", "--mms", "--at", kAt, "사진"});
  recv = Json({"messages", "--db", "recv"});
  ASSERT_EQ(recv.size(), 2u);
  EXPECT_EQ(recv[0]["props"]["0x000A0002"], 1);
  EXPECT_GT(recv[0]["props"]["0x0006001F"], recv[1]["props"]["0x0006001F"]);
  EXPECT_EQ(Unread(), 2);
  EXPECT_NE(Json({"notifications"}).at(0)["html"].get<std::string>().find('2'), std::string::npos);

  // Sent elsewhere on the phone: read, kind 2 (3 for MMS), and no news for the unread count.
  // The longest number and text the store's records hold go in whole.
  std::string number(31, '7'), text = Repeat("가", 259);
  out = Json({"record-sent", "--to", number, "--at", "2024-02-29 23:59:59", text});
  Json({"record-sent", "--to", "010", "--mms", "--at", kAt, "mms"});
  std::vector<json> send = Json({"messages", "--db", "send"});
  ASSERT_EQ(send.size(), 2u);
  EXPECT_EQ(send[0]["props"]["0x000A0002"], 3);
  ASSERT_EQ(send[1]["oid"], out[0]["oid"]);  // the earlier message sorts last
  ExpectFields(send[1]["props"], {{"0x00010040", "2024-02-29 23:59:59"},
                                  {"0x0002001F", number},
                                  {"0x0003001F", text},
                                  {"0x00050002", 1},
                                  {"0x000A0002", 2}});
  EXPECT_EQ(Json({"messages", "--db", "recv"}), recv);
  EXPECT_EQ(Unread(), 2);

  // A delete takes exactly that message; deleting the last unread one clears the count and takes
  // the bubble away; sent ones stay.
  std::vector<json> all = Json({"messages"});
  Json({"delete", "--oid", recv[0]["oid"].dump()});
  std::erase_if(all, [&](const json& m) { return m["oid"] == recv[0]["oid"]; });
  EXPECT_EQ(Json({"messages"}), all);
  EXPECT_EQ(Unread(), 1);
  Json({"delete", "--oid", recv[1]["oid"].dump()});
  EXPECT_EQ(Unread(), 0);
  EXPECT_EQ(Device({"notifications"}).out, "");
  EXPECT_EQ(Json({"messages", "--db", "send"}), send);
}

// Malformed times, overlong or invalid numbers and texts, what is not a message's oid, missing
// arguments and unknown databases: each is refused and changes nothing.
TEST_F(DeviceMessages, BadInputChangesNothing) {
  Seed();
  std::vector<Args> cases;
  for (const char* at : {"garbage", "", "2024-02-30 12:00:00", "2024-03-05 25:61:00", "2024-02-30 25:61:00",
                         "2023-02-29 00:00:00", "2024-13-01 00:00:00", "2024-03-05", "2024-03-05 14:07:09 and more",
                         "1600-12-31 23:59:59", "2024-3-5 14:07:09", " 2024-03-05 14:07:09",
                         "2024-03-05 +4:07:09"}) {
    cases.push_back({"receive", "--from", "010", "--at", at, "text"});
    cases.push_back({"record-sent", "--to", "010", "--at", at, "text"});
  }
  for (const json& m : Json({"messages"})) ASSERT_NE(m["oid"], 1);
  // Written another way, a stored message's oid names nothing: no octal, no hex, no sign.
  int stored = Json({"messages", "--db", "recv"}).at(0)["oid"].get<int>();
  ASSERT_LT(stored, 8);
  std::string digit = std::to_string(stored);
  for (const std::string& oid : {"0" + digit, "0x" + digit, "+" + digit, " " + digit, std::string("0"),
                                 std::string("-1"), std::string("abc"), std::string("12x"), std::string("99999"),
                                 std::string("4294967296"),
                                 std::string("1")})  // a volume's first objects are its databases
    cases.push_back({"delete", "--oid", oid});
  const std::vector<Args> more = {
      {"receive", "--from", "010", "--at", kAt, "caf\xC3"},
      {"record-sent", "--to", "010\xFF", "--at", kAt, "text"},
      {"receive", "--from", "010", "--at", kAt, "\xED\xA0\x80"},  // a lone surrogate
      {"receive", "--from", std::string(32, '1'), "--at", kAt, "text"},
      {"record-sent", "--to", Repeat("일", 32), "--at", kAt, "text"},
      {"receive", "--from", "010", "--at", kAt, std::string(260, 'a')},
      {"record-sent", "--to", "010", "--at", kAt, Repeat("가", 260)},
      {"receive", "--from", "010", "--at", kAt, Repeat("😀", 130)},  // 260 UTF-16 units
      {"receive", "--from", "010", "--at", kAt, std::string(100000, 'a')},
      {"receive", "--at", kAt, "text"},
      {"receive", "--from", "010", "--at", kAt},
      {"receive", "--from"},
      {"record-sent", "--at", kAt, "text"},
      {"record-sent", "--to", "010"},
      {"delete"},
      {"delete", "--oid"},
      {"messages", "--db", "inbox"},
      {"messages", "--db"}};
  cases.insert(cases.end(), more.begin(), more.end());
  const DeviceState before = State();
  for (const Args& args : cases) {
    std::string shown;
    for (const std::string& a : args) shown += (shown.empty() ? "" : " ") + a.substr(0, 40);
    SCOPED_TRACE(shown);
    ExpectRefusal(Device(args), "parlo-device: ");
    EXPECT_TRUE(State() == before) << "the messages, notifications, unread count or volume's files changed";
  }
}

// Writers in several processes at once, all in the same second: every identifier is still its own.
TEST_F(DeviceMessages, ConcurrentWritersNeverShareAnIdentifier) {
  constexpr int kWriters = 4, kEach = 15;
  std::vector<std::thread> writers;
  std::vector<int> failures(kWriters, 0);
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      for (int i = 0; i < kEach; ++i) {
        Args args = {"--device", device_.dir().string(), w % 2 ? "record-sent" : "receive", w % 2 ? "--to" : "--from",
                     "010", "--at", kAt, "m" + std::to_string(i)};
        failures[w] += e2e::Run("parlo-device", args).exitCode != 0;
      }
    });
  for (std::thread& t : writers) t.join();
  EXPECT_EQ(failures, std::vector<int>(kWriters, 0));
  for (const char* db : {"recv", "send"}) {
    std::set<std::string> ids;
    std::vector<json> all = Json({"messages", "--db", db});
    for (const json& m : all) ids.insert(m["props"]["0x0006001F"].get<std::string>());
    EXPECT_EQ(all.size(), size_t{kWriters / 2 * kEach}) << db;
    EXPECT_EQ(ids.size(), all.size()) << db << ": identifiers shared";
  }
  EXPECT_EQ(Unread(), kWriters / 2 * kEach);
}

// A store damaged inside is reported as damaged, whatever reads it, and left exactly as it was.
TEST_F(DeviceMessages, ADamagedStoreIsReportedAndLeftAsItIs) {
  for (int i = 0; i < 40; ++i) Json({"receive", "--from", "010", "--at", kAt, Repeat("가", 200)});
  fs::path volume = device_.dir() / "MITs Store" / "MMS" / "mms.edb";
  std::string bytes = parlo_test::ReadFileBytes(volume);
  ASSERT_GT(bytes.size(), 8u * 4096);
  ASSERT_FALSE(fs::exists(volume.string() + "-wal"));
  // The second half of the file, where the messages are, is overwritten; the volume still mounts.
  std::fill(bytes.begin() + static_cast<long>(bytes.size() / 8192 * 4096), bytes.end(), '\xA5');
  std::ofstream(volume, std::ios::binary | std::ios::trunc) << bytes;
  for (const Args& args : std::vector<Args>{{"messages"}, {"receive", "--from", "010", "x"}}) {
    Finished f = Device(args);
    EXPECT_NE(f.exitCode, 0) << args[0];
    EXPECT_EQ(f.out, "") << args[0];
    EXPECT_EQ(f.err, "parlo-device: the message store is damaged; left as it is\n") << args[0];
    EXPECT_TRUE(parlo_test::ReadFileBytes(volume) == bytes) << args[0] << ": the file changed";
  }
  // Parlo says so, keeps answering, and leaves the file alone too.
  {
    Parlo parlo(device_.dir());
    EXPECT_EQ(parlo.Send("screen")["msgbox"]["text"], "The message database is damaged; it was left as it is.");
    EXPECT_EQ(parlo.Send("state")["mode"], 0);
    parlo.Send("answer ok");
  }
  EXPECT_TRUE(parlo_test::ReadFileBytes(volume) == bytes) << "parlo changed the file";
}

}  // namespace
