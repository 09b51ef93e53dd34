// Mounting volumes, their locale, and opening databases by name.
#include <sqlite3.h>

#include <cstring>
#include <fstream>

#include "db_fixture.h"
#include "platform/db/volume.h"

using namespace dbtest;

TEST_F(DbTest, MissingOrUnknownThingsAreRefusedWithTheirReasons) {
  CEGUID g{};
  EXPECT_FALSE(CeMountDBVolEx(&g, u"\\nowhere\\none.edb", nullptr, OPEN_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(device_->dir() / "nowhere"));
  EXPECT_FALSE(CeMountDBVolEx(&g, kVolumePath, nullptr, CREATE_NEW));  // it exists already
  CEGUID zero{};
  EXPECT_FALSE(CeChangeDatabaseLCID(&zero, 0x412));  // not a mounted volume

  EXPECT_EQ(Open(u"\\SEND_MSG"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  CEOID oid = 0;
  EXPECT_EQ(CeOpenDatabaseInSession(nullptr, &zero, &oid, u"\\RECV_MSG", nullptr, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), 1168u);  // the volume is not found
  EXPECT_EQ(CeOpenDatabaseInSession(INVALID_HANDLE_VALUE, &guid_, &oid, u"\\RECV_MSG", nullptr, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(DbTest, AFileThatIsNotADatabaseFailsToMountAndIsLeftUntouched) {
  std::string junk(5000, '\0');
  for (size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<char>(i * 7 + 3);
  for (auto [bytes, flags] : {std::pair{junk, 0x80000000 | OPEN_EXISTING}, {std::string(), OPEN_EXISTING}}) {
    SCOPED_TRACE(bytes.size());
    auto path = device_->dir() / "junk.edb";
    { std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes; }
    CEGUID g{};
    EXPECT_FALSE(CeMountDBVolEx(&g, u"\\junk.edb", nullptr, flags));
    EXPECT_EQ(parlo_test::ReadFileBytes(path), bytes);
    EXPECT_FALSE(std::filesystem::exists(device_->dir() / "junk.edb-journal"));
    EXPECT_FALSE(std::filesystem::exists(device_->dir() / "junk.edb-wal"));
  }
}

TEST_F(DbTest, MountingAgainGivesTheSameVolumeWithoutReopeningItAndItKeepsItsLocale) {
  int opened = platform::db::Counts().volumesOpened;
  CEGUID again{};
  ASSERT_TRUE(CeMountDBVolEx(&again, kVolumePath, nullptr, OPEN_EXISTING));
  EXPECT_EQ(std::memcmp(&again, &guid_, sizeof(CEGUID)), 0);
  EXPECT_EQ(platform::db::Counts().volumesOpened, opened);
  // The locale is kept in the volume's file.
  ASSERT_TRUE(CeChangeDatabaseLCID(&guid_, 0x412));
  EXPECT_EQ(platform::db::VolumeLcid(guid_), 0x412u);
  platform::db::UnmountAll();
  CEGUID g{};
  ASSERT_TRUE(CeMountDBVolEx(&g, kVolumePath, nullptr, OPEN_EXISTING));
  EXPECT_EQ(platform::db::VolumeLcid(g), 0x412u);
}

TEST_F(DbTest, NamesAreUniqueAndMatchedWithoutCaseAndInformationCountsTheRecords) {
  EXPECT_EQ(CreateDatabase(u"\\recv_msg"), 0u);
  HANDLE h = Open(u"\\Recv_Msg");
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(platform::db::CloseDatabaseHandle(h));
  EXPECT_FALSE(platform::db::CloseDatabaseHandle(h));
  HANDLE db = Open();
  Add(db, u"1");
  Add(db, u"2");
  EXPECT_EQ(CountRecords(db), 2);
  CEDBASEINFOEX info{};
  info.wVersion = 2;
  ASSERT_TRUE(CeGetDBInformationByHandle(db, &info));
  EXPECT_EQ(std::u16string(info.szDbaseName), u"\\RECV_MSG");
  EXPECT_EQ(info.wNumSortOrder, 1);
  EXPECT_FALSE(CeGetDBInformationByHandle(INVALID_HANDLE_VALUE, &info));
}

// Damage inside a volume that still mounts is reported as such, not as a missing database.
TEST_F(DbTest, ADamagedVolumeReportsCorruptionAndIsLeftUntouched) {
  Add(Open(), u"1");
  platform::db::UnmountAll();
  int page = 0, pageSize = 0;
  {
    sqlite3* sql = nullptr;
    ASSERT_EQ(sqlite3_open(VolumeFile().c_str(), &sql), SQLITE_OK);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(sql, "SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM sqlite_schema "
                            "WHERE name = 'databases'", -1, &s, nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    page = sqlite3_column_int(s, 0);
    pageSize = sqlite3_column_int(s, 1);
    sqlite3_finalize(s);
    sqlite3_close(sql);
  }
  std::string bytes = parlo_test::ReadFileBytes(VolumeFile());
  ASSERT_GE(bytes.size(), static_cast<size_t>(page) * pageSize);
  std::fill_n(bytes.begin() + (page - 1) * pageSize, pageSize, '\x5A');
  std::ofstream(VolumeFile(), std::ios::binary | std::ios::trunc) << bytes;

  ASSERT_TRUE(CeMountDBVolEx(&guid_, kVolumePath, nullptr, OPEN_EXISTING));
  EXPECT_EQ(Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNAL_DB_CORRUPTION));
  platform::db::UnmountAll();
  EXPECT_TRUE(parlo_test::ReadFileBytes(VolumeFile()) == bytes);
}

TEST_F(DbTest, WritingAReadOnlyVolumeReportsAccessDenied) {
  HANDLE db = Open();
  // As a read-only file is to its owner; root may write any file, so the connection is told.
  sqlite3_exec(platform::db::FindVolume(&guid_)->sql(), "PRAGMA query_only=1", nullptr, nullptr, nullptr);
  EXPECT_EQ(Add(db, u"1"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}
