// What the end-to-end tests share: a phone made by parlo-device for each test, the tool and a
// second launch on it, taps on what `screen` reports, and answers checked field by field.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
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

inline int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

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

// The rectangle of the first text on screen that starts with `prefix`.
inline json TextRect(Parlo& parlo, const std::string& prefix) {
  const json screen = parlo.Send("screen");
  for (const json& t : screen["texts"])
    if (t["text"].get<std::string>().rfind(prefix, 0) == 0) return t["rect"];
  ADD_FAILURE() << "no text starting with " << prefix;
  return json::array({0, 0, 0, 0});
}
inline void TapText(Parlo& parlo, const std::string& prefix) {
  EXPECT_EQ(TapCenter(parlo, TextRect(parlo, prefix)), (json{{"ok", true}})) << prefix;
}

// Whether some text on screen is exactly `text`.
inline bool Shows(Parlo& parlo, const std::string& text) {
  const json screen = parlo.Send("screen");
  for (const json& t : screen["texts"])
    if (t["text"] == text) return true;
  return false;
}

// Opens the program menu with the list's title and chooses the item `id`.
inline void ChooseFromMenu(Parlo& parlo, int id) {
  parlo.Send("tap 100 40");
  const json menu = parlo.Send("screen")["menu"];
  ASSERT_TRUE(menu.is_array());
  for (const json& item : menu)
    if (item["id"] == id) {
      TapCenter(parlo, item["rect"]);
      return;
    }
  ADD_FAILURE() << "no menu item " << id;
}

}  // namespace e2e
