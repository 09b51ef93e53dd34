// What the end-to-end tests share: a phone made by parlo-device for each test, the tool and a
// second launch on it, and taps on what `screen` reports.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/process.h"
#include "kit/temp_device.h"

namespace e2e {

using nlohmann::json;
using Args = std::vector<std::string>;

inline const char kSettingsKey[] = "HKCU\\SOFTWARE\\Ostrand\\Parlo";

// Run under another name: inside a test, testing::Test::Run hides it.
inline Finished RunBinary(const std::string& binary, const Args& args) { return Run(binary, args); }

class DeviceTest : public ::testing::Test {
 protected:
  // An empty phone unless a test asks for the demo one.
  virtual Args InitArgs() const { return {"init", "--empty"}; }
  void SetUp() override {
    Finished init = Device(InitArgs());
    ASSERT_EQ(init.exitCode, 0) << init.err;
  }
  std::string dir() const { return device_.dir().string(); }

  // parlo-device on this phone.
  Finished Device(Args args) const {
    args.insert(args.begin(), {"--device", dir()});
    return RunBinary("parlo-device", args);
  }
  // A second launch on the same phone, as a user would start it.
  Finished Launch(const Args& words) const {
    Args args = {"--device", dir(), "--headless", "--virtual-clock", "2024-03-05 14:08:00"};
    args.insert(args.end(), words.begin(), words.end());
    return RunBinary("parlo", args);
  }

  parlo_test::TempDevice device_;
};

// Taps the middle of a [left, top, right, bottom] rectangle.
inline json TapCenter(Parlo& parlo, const json& r) {
  return parlo.Send("tap " + std::to_string((r[0].get<int>() + r[2].get<int>()) / 2) + " " +
                    std::to_string((r[1].get<int>() + r[3].get<int>()) / 2));
}

// Taps the first text on screen that starts with `prefix`.
inline void TapText(Parlo& parlo, const std::string& prefix) {
  const json screen = parlo.Send("screen");
  for (const json& t : screen["texts"])
    if (t["text"].get<std::string>().rfind(prefix, 0) == 0) {
      TapCenter(parlo, t["rect"]);
      return;
    }
  ADD_FAILURE() << "no text starting with " << prefix;
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
