// A fresh device with a 480 x 800, 192 dpi screen, left so for the next test.
#pragma once
#include <gtest/gtest.h>

#include "draw/dpi.h"
#include "kit/temp_device.h"
#include "platform/gdi/window_dc.h"

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override { Screen(192, 192); }
  void TearDown() override { Screen(192, 192); }
  // A new screen, its density read afresh.
  static void Screen(int dpiX, int dpiY) {
    platform::gdi::CreateScreen(480, 800, dpiX, dpiY);
    parlo::ResetDpiCacheForTests();
  }
  parlo_test::TempDevice device_;
};
