// A fresh device root per test, with the registry file closed again afterwards.
#pragma once
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <memory>
#include <string>

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
  // Another program's write: `sql` run in one transaction through its own connection to the
  // registry file; returns how many rows it changed.
  int OtherProgramRuns(const std::string& sql) {
    sqlite3* other = nullptr;
    EXPECT_EQ(sqlite3_open((dir() / "registry.db").c_str(), &other), SQLITE_OK);
    sqlite3_busy_timeout(other, 2000);
    EXPECT_EQ(sqlite3_exec(other, ("BEGIN IMMEDIATE;" + sql + ";COMMIT").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    int changed = sqlite3_total_changes(other);
    sqlite3_close(other);
    return changed;
  }

 private:
  std::unique_ptr<TempDevice> device_;
};

}  // namespace parlo_test
