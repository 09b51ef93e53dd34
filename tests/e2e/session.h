// What the end-to-end tests share: a phone made by parlo-device for each test, the tool and a
// second launch on it, taps on what `screen` reports, and answers checked field by field.
#pragma once
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace e2e {

using nlohmann::json;
using Args = std::vector<std::string>;

inline const char kSettingsKey[] = "HKCU\\SOFTWARE\\Ostrand\\Parlo";
inline const char kUnreadKey[] = "HKLM\\System\\State\\Messages\\SMS\\Unread";
inline const json kOk = {{"ok", true}};

// A refusal as the binaries give it: `code`, nothing on stdout, and stderr starting with `who`, in
// one line unless the usage follows.
inline void ExpectRefusal(const Finished& f, const std::string& who, int code = 2, bool oneLine = true) {
  EXPECT_EQ(f.exitCode, code);
  EXPECT_EQ(f.out, "");
  EXPECT_EQ(f.err.rfind(who, 0), 0u) << f.err;
  if (oneLine) {
    EXPECT_EQ(f.err.find('\n'), f.err.size() - 1) << f.err;
  }
}

// Every field of `want` is in `got` with its value; nested objects are compared field by field.
inline void ExpectFields(const json& got, const json& want, const std::string& path = "") {
  for (const auto& [key, value] : want.items()) {
    const json& seen = got.is_object() && got.contains(key) ? got[key] : json();
    if (value.is_object() && seen.is_object()) {
      ExpectFields(seen, value, path + "/" + key);
    } else {
      EXPECT_EQ(seen, value) << path << "/" << key;
    }
  }
}

class DeviceTest : public ::testing::Test {
 protected:
  // An empty phone unless a test asks for the demo one or none.
  virtual Args InitArgs() const { return {"init", "--empty"}; }
  void SetUp() override {
    if (InitArgs().empty()) return;
    Finished init = Device(InitArgs());
    ASSERT_EQ(init.exitCode, 0) << init.err;
  }
  std::string dir() const { return root_.string(); }

  // parlo-device on this phone.
  Finished Device(Args args) const {
    args.insert(args.begin(), {"--device", dir()});
    return e2e::Run("parlo-device", args);
  }
  // A tool command that must work, quietly; its output as JSON lines.
  std::vector<json> Json(const Args& args) const {
    Finished f = Device(args);
    EXPECT_EQ(f.exitCode, 0) << args[0] << ": " << f.err;
    EXPECT_EQ(f.err, "") << args[0];
    std::vector<json> lines;
    std::istringstream in(f.out);
    for (std::string line; std::getline(in, line);) lines.push_back(json::parse(line, nullptr, false));
    return lines;
  }
  // The phone's messaging software receives a message (at `at`, else now); its oid.
  long long Receive(const std::string& from, const std::string& text, const std::string& at = "") const {
    Args args = {"receive", "--from", from, text};
    if (!at.empty()) args.insert(args.end() - 1, {"--at", at});
    const std::vector<json> out = Json(args);
    return out.empty() || !out[0].is_object() ? 0 : out[0].value("oid", 0LL);
  }
  // A second launch on the same phone, as a user would start it.
  Finished Launch(const Args& words) const {
    Args args = {"--device", dir(), "--headless", "--virtual-clock", "2024-03-05 14:08:00"};
    args.insert(args.end(), words.begin(), words.end());
    return e2e::Run("parlo", args);
  }

  parlo_test::TempDevice device_;
  std::filesystem::path root_ = device_.dir();  // the phone
};

// The middle of a [left, top, right, bottom] rectangle, as "X Y".
inline std::string Centre(const json& r) {
  return std::to_string((r[0].get<int>() + r[2].get<int>()) / 2) + " " +
         std::to_string((r[1].get<int>() + r[3].get<int>()) / 2);
}
inline json TapCenter(Parlo& parlo, const json& r) { return parlo.Send("tap " + Centre(r)); }

// The first entry of the screen's `list` ("texts", "menu", "keypad", ...) whose `field` is `value`,
// or with `prefix` starts with it; null when there is none.
inline json Item(Parlo& parlo, const char* list, const char* field, const json& value, bool prefix = false) {
  json screen = parlo.Send("screen");
  for (const json& item : screen[list]) {
    const json seen = item.value(field, json());
    const std::string text = seen.is_string() ? seen.get<std::string>() : "";
    if (seen == value || (prefix && text.rfind(value.get<std::string>(), 0) == 0)) return item;
  }
  return nullptr;
}
inline void TapItem(Parlo& parlo, const char* list, const char* field, const json& value, bool prefix = false) {
  const json item = Item(parlo, list, field, value, prefix);
  ASSERT_FALSE(item.is_null()) << "no " << list << " entry " << value;
  EXPECT_EQ(TapCenter(parlo, item["rect"]), kOk) << value;
}
// Whether some text on screen is exactly `text`.
inline bool Shows(Parlo& parlo, const std::string& text) { return !Item(parlo, "texts", "text", text).is_null(); }
// Taps the first text on screen that starts with `prefix`.
inline void TapText(Parlo& parlo, const std::string& prefix) { TapItem(parlo, "texts", "text", prefix, true); }

// Opens the program menu with the list's title and chooses the item `id`.
inline void ChooseFromMenu(Parlo& parlo, int id) {
  parlo.Send("tap 100 40");
  TapItem(parlo, "menu", "id", id);
}

}  // namespace e2e
