// Crash tests: parlo-device and parlo are killed with SIGKILL as they enter a seeded one of their
// write-like system calls (process.h), round after round on one device. A round runs one writer of
// the table below, killed at its Nth write, N drawn from the writes its last whole run made (about
// one draw in five lies past the end, so writers also finish). After every round a finished writer
// did all it promised, a killed one left each thing it touches as it was or as it meant it to be,
// nothing is there twice, and every file opens: the message store, the registry, the address book
// and its index, the contact and picture caches, and parlo starts on them without a box.
//
// The unread count in the registry is a second file beside the store: a kill between the two
// leaves it stale until the next publisher (a receive, a delete, a message read) finishes.
//
//   PARLO_CRASH_SEED=S     another sequence of writers and kill points (default 1)
//   PARLO_CRASH_ROUNDS=N   rounds (default 40; 12 under AddressSanitizer)
// A failure names its seed, round, writer and kill point; the same seed replays it. Seed 1's
// default rounds reach the faults this test found: an init killed while it made the message
// store or wrote the settings key, and temporary files of killed writers piling up.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>

#include "e2e/session.h"

namespace {

namespace fs = std::filesystem;
using namespace e2e;

#if defined(__SANITIZE_ADDRESS__)
constexpr long kDefaultRounds = 12;
#else
constexpr long kDefaultRounds = 40;
#endif
constexpr const char* kClock = "2024-03-05 14:07:09";
constexpr const char* kValuesKey = "HKCU\\SOFTWARE\\CrashTest";
constexpr const char* kDelete = "tap 360 750";  // 삭제, the footer's right button
constexpr int kSortMenuId = 33345;              // 최신 메시지 먼저

long EnvNumber(const char* name, long fallback) {
  const char* v = std::getenv(name);
  return v && *v ? std::strtol(v, nullptr, 10) : fallback;
}

struct Message {
  long long oid = 0;  // 0: not known (a kill took the line that would have told)
  std::string db;
  bool read = false;
  bool operator==(const Message&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Message& m) {
  return out << m.db << " oid " << m.oid << (m.read ? " read" : " unread");
}

// What the device holds, as the tools read it. Message texts are unique on this device.
struct Phone {
  std::map<std::string, Message> messages;    // by text
  std::map<std::string, std::string> values;  // the test's registry values, by name
  std::vector<std::string> contacts;          // names, in store order
  bool viewSort = false;
};

// Finished: each item as written. Killed: each as it was or as written, never anything else.
template <typename V>
void ExpectEach(const char* what, const std::map<std::string, V>& seen, const std::map<std::string, V>& before,
                const std::map<std::string, V>& whole, bool killed) {
  std::set<std::string> keys;
  for (const auto* m : {&seen, &before, &whole})
    for (const auto& [k, v] : *m) keys.insert(k);
  for (const std::string& k : keys) {
    auto at = [&k](const std::map<std::string, V>& m) {
      return m.count(k) ? std::optional<V>(m.at(k)) : std::nullopt;
    };
    const std::optional<V> s = at(seen), was = at(before), written = at(whole);
    EXPECT_TRUE(s == written || (killed && s == was))
        << what << " \"" << k << "\" is " << testing::PrintToString(s) << "; it was " << testing::PrintToString(was)
        << ", and written is " << testing::PrintToString(written);
  }
}

// A 4 x 4 BMP of one colour, in base64: a new picture for each card, so the picture cache grows.
// The 54-byte header and each 3-byte pixel encode on their own.
std::string BmpBase64(uint8_t r, uint8_t g, uint8_t b) {
  static const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const uint32_t n = uint32_t{b} << 16 | uint32_t{g} << 8 | r;
  const std::string pixel = {abc[n >> 18], abc[n >> 12 & 63], abc[n >> 6 & 63], abc[n & 63]};
  std::string out = "Qk1mAAAAAAAAADYAAAAoAAAABAAAAAQAAAABABgAAAAAADAAAAATCwAAEwsAAAAAAAAAAAAA";
  for (int i = 0; i < 16; ++i) out += pixel;
  return out;
}

// The picture cache is a header and whole entries, nothing cut.
bool PictureCacheIsWhole(const fs::path& file) {
  if (!fs::exists(file)) return true;
  std::string b = parlo_test::ReadFileBytes(file);
  if (b.compare(0, 8, "PARLOPI1") != 0) return false;
  size_t at = 8;
  while (at + 24 <= b.size()) {
    int32_t tw = 0, th = 0;
    std::memcpy(&tw, &b[at + 16], 4);
    std::memcpy(&th, &b[at + 20], 4);
    if (tw <= 0 || th <= 0) return false;
    at += 24 + static_cast<size_t>(tw) * th * 4;
  }
  return at == b.size();
}

// Temporary files killed writers left beside each file ("NAME.tmp<pid>"); the most of any one.
int MostLeftBehind(const fs::path& dir) {
  std::map<std::string, int> left;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().string();
    size_t tmp = name.rfind(".tmp");
    if (tmp != std::string::npos && tmp + 4 < name.size() &&
        name.find_first_not_of("0123456789", tmp + 4) == std::string::npos)
      ++left[name.substr(0, tmp)];
  }
  int most = 0;
  for (const auto& [file, n] : left) most = std::max(most, n);
  return most;
}

struct Ran {
  bool killed = false;
  long writes = 0;
  bool publishes = false;  // it republishes the unread count when it finishes
};

class Crash : public DeviceTest {
 protected:
  Args InitArgs() const override { return {"init", "--demo"}; }
  Args ParloArgs() { return {"--device", dir(), "--headless", "--automate", "--virtual-clock", kClock}; }

  Phone Look(const std::set<std::string>& valueNames) {
    Phone p;
    for (const json& m : Json({"messages"})) {
      std::string text = m["props"].value("0x0003001F", "");
      EXPECT_EQ(p.messages.count(text), 0u) << "message \"" << text << "\" is stored twice";
      p.messages[text] = {m["oid"].get<long long>(), m["db"].get<std::string>(), m["props"].value("0x00050002", 0) != 0};
    }
    for (const std::string& name : valueNames) {
      Finished f = Device({"reg", "get", kValuesKey, name});
      EXPECT_NE(f.exitCode, 2) << f.err;
      if (f.exitCode == 0) p.values[name] = json::parse(f.out)["value"].get<std::string>();
    }
    for (const json& c : Json({"contacts", "list"})) p.contacts.push_back(c["name"].get<std::string>());
    p.viewSort = Json({"reg", "get", kSettingsKey, "view_sort"}).at(0)["value"] != 0;
    return p;
  }

  static long StoredUnread(const Phone& p) {
    return std::count_if(p.messages.begin(), p.messages.end(),
                         [](const auto& m) { return m.second.db == "recv" && !m.second.read; });
  }

  // parlo starts on what the device holds, shows it all, and asks nothing.
  void ExpectProgramStarts(const Phone& seen) {
    Program parlo("parlo", ParloArgs());
    std::optional<std::string> screen = parlo.Ask("screen"), state = parlo.Ask("state");
    ASSERT_TRUE(screen && state) << "parlo ended at its start";
    EXPECT_TRUE(json::parse(*screen)["msgbox"].is_null()) << "parlo starts with a box: " << *screen;
    json s = json::parse(*state);
    std::map<long long, bool> shown, stored;
    for (const json& c : s["conversations"])
      for (const json& r : c["records"]) shown[r["oid"].get<long long>()] = r["isRead"] != 0;
    for (const auto& [text, m] : seen.messages) stored[m.oid] = m.read;
    EXPECT_EQ(shown, stored) << "parlo shows other messages than the store holds";
    EXPECT_EQ(s["contacts"]["count"], seen.contacts.size());
    EXPECT_EQ(s["settings"]["view_sort"], seen.viewSort);
    parlo.Kill();  // not quit: the next round finds the caches this start found
  }

  // ---- The writers ----

  // Of one width, so that no label starts another.
  std::string Label() {
    char label[32];
    std::snprintf(label, sizeof label, "crash %05ld", round_);
    return label;
  }
  std::string Draw(const std::vector<std::string>& from) { return from[rng_() % from.size()]; }
  std::string At() {
    char at[64];
    std::snprintf(at, sizeof at, "2024-03-06 %02ld:%02ld:%02ld", round_ / 3600 % 24, round_ / 60 % 60, round_ % 60);
    return at;
  }

  // Runs a parlo-device command traced; the oid it answered when it finished.
  Ran Tool(const Args& args, long killAt, long long* oid = nullptr) {
    Args all = {"--device", dir()};
    all.insert(all.end(), args.begin(), args.end());
    Program tool("parlo-device", all, Traced(killAt));
    std::string out;
    tool.Finish(&out);
    if (!tool.killed()) {
      EXPECT_EQ(tool.exitCode(), 0) << args[0];
      if (oid && tool.exitCode() == 0) *oid = json::parse(out)["oid"].get<long long>();
    }
    return {tool.killed(), tool.writes()};
  }

  Ran Receive(Phone&, long killAt, Phone* whole) {
    long long oid = 0;
    const std::string from = Draw({"010-7000-0001", "010-7000-0002", "010-1234-5678"});
    Ran ran = Tool({"receive", "--from", from, "--at", At(), Label()}, killAt, &oid);
    whole->messages[Label()] = {oid, "recv", false};
    ran.publishes = true;
    return ran;
  }

  Ran RecordSent(Phone&, long killAt, Phone* whole) {
    long long oid = 0;
    Ran ran = Tool({"record-sent", "--to", Draw({"010-7000-0001", "010-2345-6789"}), "--at", At(), Label()}, killAt, &oid);
    whole->messages[Label()] = {oid, "send", true};
    return ran;
  }

  Ran Delete(Phone& before, long killAt, Phone* whole) {
    if (before.messages.empty()) return Receive(before, killAt, whole);
    auto it = std::next(before.messages.begin(), static_cast<long>(rng_() % before.messages.size()));
    Ran ran = Tool({"delete", "--oid", std::to_string(it->second.oid)}, killAt);
    ran.publishes = it->second.db == "recv";
    whole->messages.erase(it->first);
    return ran;
  }

  Ran SetValue(Phone&, long killAt, Phone* whole) {
    std::string name = Draw({"a", "b", "c"});
    whole->values[name] = Label();
    return Tool({"reg", "set", kValuesKey, name, "sz", Label()}, killAt);
  }

  // A card with a picture of its own.
  std::string CardFile() {
    fs::path file = root_ / "card.vcf";
    std::ofstream(file, std::ios::binary) << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" << Label()
                                          << "\r\nTEL;TYPE=CELL:010-8000-" << 1000 + round_
                                          << "\r\nPHOTO;ENCODING=b;TYPE=BMP:"
                                          << BmpBase64(static_cast<uint8_t>(round_ * 37), 90, 200)
                                          << "\r\nEND:VCARD\r\n";
    return file.string();
  }

  Ran Import(Phone&, long killAt, Phone* whole) {
    whole->contacts.push_back(Label());
    return Tool({"contacts", "import", CardFile()}, killAt);
  }

  // Taps the middle of the first text on screen for which `want` holds; that text.
  template <typename F>
  static std::optional<std::string> TapText(Program& parlo, F want) {
    std::optional<std::string> screen = parlo.Ask("screen");
    if (!screen) return std::nullopt;
    const json texts = json::parse(*screen)["texts"];
    for (const json& t : texts) {
      std::string text = t["text"];
      if (!want(text)) continue;
      parlo.Ask("tap " + Centre(t["rect"]));  // sent is what counts: it may die handling it
      return text;
    }
    return std::nullopt;
  }

  // Opens a conversation of those on screen, one with unread messages first, which marks its
  // records read; those records. `unread` tells whether any of them was unread.
  std::vector<long long> OpenConversation(Program& parlo, Phone* whole, bool* unread) {
    *unread = false;
    std::optional<std::string> state = parlo.Ask("state"), screen = parlo.Ask("screen");
    if (!state || !screen) return {};
    std::set<std::string> shown;
    const json texts = json::parse(*screen)["texts"];
    for (const json& t : texts) shown.insert(t["text"].get<std::string>());
    const json conversations = json::parse(*state)["conversations"];
    const json* chosen = nullptr;
    bool chosenUnread = false;
    for (const json& c : conversations) {
      if (!shown.count(c["name"].get<std::string>())) continue;
      bool any = false;
      for (const json& r : c["records"]) any = any || r["isRead"] == 0;
      if (!chosen || (any && !chosenUnread)) chosen = &c, chosenUnread = any;
    }
    if (!chosen) return {};
    const std::string name = (*chosen)["name"].get<std::string>();
    if (!TapText(parlo, [&](const std::string& t) { return t == name; })) return {};
    std::vector<long long> oids;
    for (const json& r : (*chosen)["records"]) oids.push_back(r["oid"].get<long long>());
    for (auto& [text, m] : whole->messages)
      if (std::count(oids.begin(), oids.end(), m.oid)) m.read = true;
    *unread = chosenUnread;
    return oids;
  }

  // The end of a parlo writer: quit, then whatever output is left; killed or not, it ends.
  Ran EndParlo(Program& parlo) {
    parlo.Ask("quit");
    parlo.Finish();
    return {parlo.killed(), parlo.writes()};
  }

  // Opening a conversation marks its messages read.
  Ran ParloOpens(Phone&, long killAt, Phone* whole) {
    Program parlo("parlo", ParloArgs(), Traced());
    bool unread = false;
    parlo.Ask("idle");
    parlo.KillAtWrite(killAt);
    OpenConversation(parlo, whole, &unread);
    Ran ran = EndParlo(parlo);
    ran.publishes = unread;
    return ran;
  }

  // A message deleted in its conversation.
  Ran ParloDeletes(Phone& before, long killAt, Phone* whole) {
    Program parlo("parlo", ParloArgs(), Traced());
    bool unread = false;
    std::vector<long long> oids = OpenConversation(parlo, whole, &unread);
    // A message of the conversation on screen (its text broken into lines there).
    std::string chosen;
    bool deleted = false;
    std::optional<std::string> tapped = TapText(parlo, [&](std::string shown) {
      shown.erase(std::remove(shown.begin(), shown.end(), '\n'), shown.end());
      for (const auto& [text, m] : before.messages)
        if (shown.size() >= 4 && text.rfind(shown, 0) == 0 && std::count(oids.begin(), oids.end(), m.oid)) {
          chosen = text;
          return true;
        }
      return false;
    });
    if (tapped && parlo.Ask(kDelete)) {
      // Marked read and asked; what is left to write is the delete and the end.
      before = *whole;
      parlo.KillAtWrite(killAt);
      parlo.Ask("answer yes");
      whole->messages.erase(chosen);
      deleted = true;
    }
    Ran ran = EndParlo(parlo);
    ran.publishes = unread || deleted;
    return ran;
  }

  // A start after the address book changed, a setting turned, and the end: the contact cache,
  // the picture cache and the settings are written.
  Ran ParloSession(Phone& before, long killAt, Phone* whole) {
    Ran imported = Tool({"contacts", "import", CardFile()}, 0);
    EXPECT_FALSE(imported.killed);
    before.contacts.push_back(Label());
    *whole = before;
    whole->viewSort = !before.viewSort;
    Program parlo("parlo", ParloArgs(), Traced(killAt));
    std::optional<std::string> screen = parlo.Ask("tap 100 40") ? parlo.Ask("screen") : std::nullopt;
    const json menu = screen ? json::parse(*screen)["menu"] : json::array();
    for (const json& item : menu)
      if (item["id"] == kSortMenuId) parlo.Ask("tap " + Centre(item["rect"]));
    return EndParlo(parlo);
  }

  struct Writer {
    const char* name;
    Ran (Crash::*run)(Phone& before, long killAt, Phone* whole);
  };
  static constexpr Writer kWriters[] = {
      {"receive", &Crash::Receive},
      {"record-sent", &Crash::RecordSent},
      {"delete", &Crash::Delete},
      {"reg set", &Crash::SetValue},
      {"contacts import", &Crash::Import},
      {"parlo opens a conversation", &Crash::ParloOpens},
      {"parlo deletes a message", &Crash::ParloDeletes},
      {"parlo starts and ends", &Crash::ParloSession},
  };

  // One round: a writer killed at a drawn write, then everything checked.
  void RunRound(long seed) {
    const Writer& w = kWriters[rng_() % std::size(kWriters)];
    long& total = writesOf_[w.name];
    long killAt = total == 0 ? 0 : 1 + static_cast<long>(rng_() % static_cast<unsigned long>(total + total / 4 + 1));
    SCOPED_TRACE(::testing::Message() << "replay with PARLO_CRASH_SEED=" << seed << ": round " << round_ << ", "
                                      << w.name << " killed at write " << killAt);
    Phone before = phone_, whole = phone_;
    Ran ran = (this->*w.run)(before, killAt, &whole);
    if (!ran.killed && ran.writes > total) total = ran.writes;
    ++(ran.killed ? killed_ : finished_)[w.name];
    if (HasFailure()) return;

    std::set<std::string> names;
    for (const Phone* p : {&before, &whole})
      for (const auto& [name, v] : p->values) names.insert(name);
    Phone seen = Look(names);
    // A writer killed before it told its message's oid: the oid seen now is the one it wrote.
    for (auto& [text, m] : whole.messages)
      if (m.oid == 0 && seen.messages.count(text)) m.oid = seen.messages[text].oid;
    ExpectEach("message", seen.messages, before.messages, whole.messages, ran.killed);
    ExpectEach("registry value", seen.values, before.values, whole.values, ran.killed);
    EXPECT_TRUE(seen.contacts == whole.contacts || (ran.killed && seen.contacts == before.contacts))
        << "the address book is neither as it was nor as written";
    EXPECT_TRUE(seen.viewSort == whole.viewSort || (ran.killed && seen.viewSort == before.viewSort));
    if (ran.publishes) unreadTrusted_ = !ran.killed;
    if (unreadTrusted_) {
      EXPECT_EQ(Json({"reg", "get", kUnreadKey, "Unread"}).at(0)["value"], StoredUnread(seen));
    }
    EXPECT_TRUE(PictureCacheIsWhole(root_ / "Program Files" / "Parlo" / "allcontacts.pic"));
    // A killed writer's temporary file is cleared by the next writer of the same file.
    EXPECT_LE(MostLeftBehind(root_), 1) << "temporary files of killed writers pile up";
    ExpectProgramStarts(seen);
    phone_ = seen;
  }

  std::mt19937_64 rng_;
  long round_ = 0;
  Phone phone_;
  bool unreadTrusted_ = true;
  std::map<std::string, long> writesOf_, killed_, finished_;
};

TEST_F(Crash, NothingCommittedIsLostOrDoubledAndEveryFileOpens) {
  const long seed = EnvNumber("PARLO_CRASH_SEED", 1), rounds = EnvNumber("PARLO_CRASH_ROUNDS", kDefaultRounds);
  rng_.seed(static_cast<uint64_t>(seed));
  phone_ = Look({});
  ExpectProgramStarts(phone_);
  for (round_ = 0; round_ < rounds && !HasFailure(); ++round_) RunRound(seed);
  for (const auto& [name, writes] : writesOf_)
    std::printf("%-28s killed %3ld, finished %3ld, %4ld writes when whole\n", name.c_str(), killed_[name],
                finished_[name], writes);
}

// A device whose making was cut short is finished by the next init, as if nothing had happened.
TEST_F(Crash, AnInitKilledAnywhereIsFinishedByTheNext) {
  const long seed = EnvNumber("PARLO_CRASH_SEED", 1), rounds = EnvNumber("PARLO_CRASH_ROUNDS", kDefaultRounds) / 5 + 1;
  rng_.seed(static_cast<uint64_t>(seed));
  const fs::path root = device_.dir();
  Program whole("parlo-device", {"--device", (root / "whole").string(), "init", "--demo"}, Traced());
  whole.Finish();
  ASSERT_EQ(whole.exitCode(), 0);
  for (round_ = 0; round_ < rounds && !HasFailure(); ++round_) {
    const fs::path dir = root / ("device" + std::to_string(round_));
    const long killAt = 1 + static_cast<long>(rng_() % static_cast<unsigned long>(whole.writes()));
    SCOPED_TRACE(::testing::Message() << "replay with PARLO_CRASH_SEED=" << seed << ": init killed at write " << killAt);
    Program cut("parlo-device", {"--device", dir.string(), "init", "--demo"}, Traced(killAt));
    cut.Finish();
    ASSERT_TRUE(cut.killed());
    root_ = dir;
    Json(InitArgs());
    Phone seen = Look({});
    EXPECT_EQ(seen.messages.size(), 12u);
    EXPECT_EQ(seen.contacts.size(), 8u);
    ExpectProgramStarts(seen);
  }
}

}  // namespace
