// A fresh device root per test, with the registry file closed again afterwards.
#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "kit/temp_device.h"
#include "platform/device/registry/registry_store.h"

namespace parlo_test {

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::device::registry::Close();
    device_ = std::make_unique<TempDevice>();
  }
  void TearDown() override {
    platform::device::registry::Close();
    device_.reset();
  }
  const std::filesystem::path& dir() const { return device_->dir(); }

 private:
  std::unique_ptr<TempDevice> device_;
};

}  // namespace parlo_test
