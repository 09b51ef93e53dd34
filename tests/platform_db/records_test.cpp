// Records: identifiers, typed values, reading into the caller's buffer, order and positions.
#include <tuple>

#include "db_fixture.h"

using namespace dbtest;

TEST_F(DbTest, ObjectIdentifiersAreNonZeroUniqueAndNeverReused) {
  HANDLE db = Open();
  CEOID a = Add(db, u"1"), b = Add(db, u"2");
  ASSERT_NE(a, 0u);
  ASSERT_NE(b, 0u);
  EXPECT_NE(a, b);
  ASSERT_TRUE(CeDeleteRecord(db, b));
  CEOID c = Add(db, u"3");
  EXPECT_GT(c, b);
  // Also across a remount: the counter lives in the file.
  platform::db::UnmountAll();
  ASSERT_TRUE(CeMountDBVolEx(&guid_, kVolumePath, nullptr, OPEN_EXISTING));
  db = Open();
  EXPECT_GT(Add(db, u"4"), c);
}

TEST_F(DbTest, EveryValueTypeReadsBackAsWrittenAndMissingOnesAreFlagged) {
  HANDLE db = Open();
  BYTE bytes[5] = {0, 1, 2, 0xFE, 0xFF};
  CEPROPVAL v[5] = {Value(kTime), Text(kNumber, u"김철수 010"), Short(kRead, -2), Value(kBlob), Value(kCount)};
  v[0].val.filetime = {0x89ABCDEFu, 0x01D96E0Fu};
  v[3].val.blob = {5, bytes};
  v[4].val.ulVal = 0xFFFFFFF0u;
  CEOID oid = CeWriteRecordProps(db, 0, 5, v);
  Read r = ReadAt(db, oid);
  ASSERT_EQ(r.oid, oid);
  ASSERT_EQ(r.values.size(), 5u);  // in the order written
  EXPECT_EQ(std::tuple(r.values[0].val.filetime.dwLowDateTime, r.values[0].val.filetime.dwHighDateTime),
            std::tuple(0x89ABCDEFu, 0x01D96E0Fu));
  EXPECT_EQ(r.texts[1], u"김철수 010");
  EXPECT_EQ(r.values[2].val.iVal, -2);
  EXPECT_EQ(r.blobs[3], std::string(reinterpret_cast<char*>(bytes), 5));
  EXPECT_EQ(r.values[4].val.ulVal, 0xFFFFFFF0u);
  // A listed property the record lacks is flagged, not left out.
  oid = Add(db, u"5");
  CEPROPID list[2] = {kTime, kRead};
  r = ReadAt(db, oid, list, 2);
  ASSERT_EQ(r.values.size(), 2u);
  EXPECT_EQ(std::tuple(r.values[0].propid, r.values[0].wFlags & CEDB_PROPNOTFOUND), std::tuple(kTime, CEDB_PROPNOTFOUND));
  EXPECT_EQ(std::tuple(r.values[1].propid, r.values[1].wFlags & CEDB_PROPNOTFOUND), std::tuple(kRead, 0));
}

// An unknown value type, a missing string or a record that vanished: refused, nothing written.
TEST_F(DbTest, WritesThatCannotLandAreRefusedAndWriteNothing) {
  HANDLE db = Open();
  CEPROPVAL bad = Short(0x00090099, 1);
  EXPECT_EQ(CeWriteRecordProps(db, 0, 1, &bad), 0u);
  CEPROPVAL nullText = Text(kNumber, nullptr);
  EXPECT_EQ(CeWriteRecordProps(db, 0, 1, &nullText), 0u);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
  CEOID oid = Add(db, u"5");
  ASSERT_TRUE(CeDeleteRecord(db, oid));
  CEPROPVAL read = Short(kRead, 1);
  EXPECT_EQ(CeWriteRecordProps(db, oid, 1, &read), 0u);
  EXPECT_FALSE(CeDeleteRecord(db, oid));
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr), 0u);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
}

TEST_F(DbTest, WritesToAnExistingRecordChangeOrDeleteOnlyTheGivenValues) {
  HANDLE db = Open();
  CEOID oid = Add(db, u"5", u"010", 0);
  CEPROPVAL read = Short(kRead, 1);
  EXPECT_EQ(CeWriteRecordProps(db, oid, 1, &read), oid);
  Read r = ReadAt(db, oid);
  ASSERT_EQ(r.values.size(), 3u);
  EXPECT_EQ(r.texts[0], u"010");
  EXPECT_EQ(r.values[2].val.iVal, 1);
  CEPROPVAL del = Text(kNumber, u"");
  del.wFlags = CEDB_PROPDELETE;
  ASSERT_EQ(CeWriteRecordProps(db, oid, 1, &del), oid);
  r = ReadAt(db, oid);
  ASSERT_EQ(r.values.size(), 2u);
  EXPECT_EQ(r.values[0].propid, kId);
}

TEST_F(DbTest, ARecordOfAnotherDatabaseOrAStaleOrForeignHandleIsRefused) {
  CreateDatabase(u"\\SEND_MSG");
  HANDLE recv = Open(), send = Open(u"\\SEND_MSG");
  CEOID oid = Add(send, u"1");
  EXPECT_EQ(CeSeekDatabaseEx(recv, CEDB_SEEK_CEOID, oid, 0, nullptr), 0u);
  EXPECT_FALSE(CeDeleteRecord(recv, oid));
  EXPECT_NE(CeSeekDatabaseEx(send, CEDB_SEEK_CEOID, oid, 0, nullptr), 0u);
  ASSERT_TRUE(platform::db::CloseDatabaseHandle(send));
  EXPECT_EQ(Add(send, u"1"), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(CeSeekDatabaseEx(reinterpret_cast<HANDLE>(0x12345), CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
}

TEST_F(DbTest, ASmallBufferIsGrownOnlyWhenReallocationIsAllowed) {
  HANDLE db = Open();
  std::u16string longText(3000, u'가');
  CEPROPVAL v = Text(kNumber, longText.c_str());
  CEOID oid = CeWriteRecordProps(db, 0, 1, &v);
  CeSeekDatabaseEx(db, CEDB_SEEK_CEOID, oid, 0, nullptr);

  LPBYTE buf = static_cast<LPBYTE>(LocalAlloc(LMEM_FIXED, 16));
  DWORD size = 16;
  WORD count = 0;
  EXPECT_EQ(CeReadRecordPropsEx(db, 0, &count, nullptr, &buf, &size, nullptr), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_GE(size, 6002u);

  size = 16;
  ASSERT_EQ(CeReadRecordPropsEx(db, CEDB_ALLOWREALLOC, &count, nullptr, &buf, &size, nullptr), oid);
  EXPECT_GE(LocalSize(buf), 6002u);
  auto* value = reinterpret_cast<CEPROPVAL*>(buf);
  EXPECT_EQ(std::u16string(value->val.lpwstr), longText);
  LocalFree(buf);
}

TEST_F(DbTest, PositionsFollowTheDescendingSortKeyAndRecordsWithoutItComeLast) {
  HANDLE db = Open();
  CEPROPVAL plain = Short(kRead, 0);
  CEOID keyless = CeWriteRecordProps(db, 0, 1, &plain);
  Add(db, u"20240101000000000");
  Add(db, u"20240305140709002");
  Add(db, u"20231231235959000");
  Add(db, u"20240305140709001");
  std::vector<std::u16string> ids;
  for (DWORD i = 0; i < 4; ++i) {
    ASSERT_NE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, i, 0, nullptr), 0u);
    ids.push_back(IdOf(ReadCurrent(db)));
  }
  EXPECT_EQ(ids, (std::vector<std::u16string>{u"20240305140709002", u"20240305140709001", u"20240101000000000",
                                              u"20231231235959000"}));
  ASSERT_NE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 4, 0, nullptr), 0u);
  EXPECT_EQ(ReadCurrent(db).oid, keyless);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 5, 0, nullptr), 0u);
}

TEST_F(DbTest, ReadsAdvanceThroughEveryRecordAlsoWhileDeletingThemAndThenStop) {
  HANDLE db = Open();
  for (int i = 0; i < 5; ++i) Add(db, std::u16string(1, static_cast<char16_t>(u'a' + i)).c_str());
  ASSERT_NE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
  std::u16string seen;
  for (Read r = ReadCurrent(db); r.oid; r = ReadCurrent(db)) seen += IdOf(r);
  EXPECT_EQ(seen, u"edcba");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  // Deleting each record just read still visits every one.
  ASSERT_NE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
  int deleted = 0;
  for (Read r = ReadCurrent(db); r.oid; r = ReadCurrent(db)) deleted += CeDeleteRecord(db, r.oid) ? 1 : 0;
  EXPECT_EQ(deleted, 5);
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
}

TEST_F(DbTest, AReadFollowsRecordsAddedOrDeletedElsewhere) {
  HANDLE reader = Open(), writer = Open();
  Add(writer, u"2");
  ASSERT_NE(CeSeekDatabaseEx(reader, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
  EXPECT_EQ(IdOf(ReadCurrent(reader)), u"2");
  Add(writer, u"3");
  Add(writer, u"1");
  // The pending move from "2" goes to what now follows it.
  EXPECT_EQ(IdOf(ReadCurrent(reader)), u"1");
  ASSERT_NE(CeSeekDatabaseEx(reader, CEDB_SEEK_BEGINNING, 0, 0, nullptr), 0u);
  EXPECT_EQ(IdOf(ReadCurrent(reader)), u"3");
  // When the current record is deleted elsewhere the read moves to the next one.
  CEOID two = CeSeekDatabaseEx(reader, CEDB_SEEK_BEGINNING, 1, 0, nullptr);
  ASSERT_NE(two, 0u);
  ASSERT_TRUE(CeDeleteRecord(writer, two));
  EXPECT_EQ(IdOf(ReadCurrent(reader)), u"1");
}

// What a session's transaction reads stays true until it ends; what it writes lands all at once or not at all.
TEST_F(DbTest, ASessionTransactionCommitsOrGivesUpItsChangesTogether) {
  HANDLE session = CeCreateSession(&guid_);
  ASSERT_NE(session, INVALID_HANDLE_VALUE);
  CEOID oid = 0;
  HANDLE db = CeOpenDatabaseInSession(session, &guid_, &oid, u"\\RECV_MSG", nullptr, CEDB_AUTOINCREMENT, nullptr);
  ASSERT_NE(db, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(CeBeginTransaction(session, 9));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  ASSERT_TRUE(CeBeginTransaction(session, CEDB_ISOLEVEL_SERIALIZABLE));
  EXPECT_FALSE(CeBeginTransaction(session, CEDB_ISOLEVEL_DEFAULT));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  Add(db, u"1");
  Add(db, u"2");
  EXPECT_TRUE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 1, 0, nullptr));  // its own writes are seen inside
  ASSERT_TRUE(CeEndTransaction(session, FALSE));
  EXPECT_FALSE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr));

  ASSERT_TRUE(CeBeginTransaction(session, CEDB_ISOLEVEL_SERIALIZABLE));
  Add(db, u"3");
  ASSERT_TRUE(CeEndTransaction(session, TRUE));
  EXPECT_EQ(IdOf(ReadCurrent(db)), u"3");
  EXPECT_FALSE(CeEndTransaction(session, TRUE));  // none open

  // Closing a session in the middle of a transaction gives its changes up.
  ASSERT_TRUE(CeBeginTransaction(session, CEDB_ISOLEVEL_SERIALIZABLE));
  Add(db, u"4");
  EXPECT_TRUE(platform::db::CloseDatabaseHandle(session));
  ASSERT_TRUE(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 0, 0, nullptr));
  EXPECT_EQ(IdOf(ReadCurrent(db)), u"3");
  EXPECT_EQ(CeSeekDatabaseEx(db, CEDB_SEEK_BEGINNING, 1, 0, nullptr), 0u);
}
