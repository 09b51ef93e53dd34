// A screen and a focused window that records what the keyboard gives it, for the input panel.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/temp_device.h"
#include "platform/sip/panel.h"
#include "windows.h"

namespace siptest {

struct Got {
  UINT message;
  WPARAM wParam;
};

class SipTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Messages of the kinds that matter here (keys, characters, setting changes), in order.
  std::vector<Got> Received(std::initializer_list<UINT> kinds) const;
  // The characters the window got as WM_CHAR.
  std::u16string Typed() const;
  // Where the panel's key named `name` is now (fails the test when there is none).
  RECT KeyRect(const std::string& name) const;
  void TapKey(const std::string& name);
  void Clear();

  HWND typist_ = nullptr;
  parlo_test::TempDevice device_;
};

}  // namespace siptest
