// Mounting the volume and opening the message databases.
#include <fstream>

#include "store_fixture.h"

using namespace storetest;

// Both databases open once; an index outside them is refused silently.
TEST_F(StoreTest, OpenStoreMountsOnceAndOpensBothMessageDatabasesOnce) {
  MakeVolume();
  RecordStore* store = OpenedStore();
  HANDLE recv = store->DatabaseHandle(DB_RECV);
  EXPECT_NE(recv, INVALID_HANDLE_VALUE);
  EXPECT_NE(store->DatabaseHandle(DB_SEND), INVALID_HANDLE_VALUE);
  EXPECT_EQ(store->DatabaseHandle(DB_MMS_CONTENTS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(platform::db::VolumeLcid(store->Volume()), 0x412u);
  CENOTIFICATION stray{};  // only what the store handed out is handed back
  EXPECT_FALSE(store->FreeNotification(&stray));
  EXPECT_TRUE(store->OpenDatabase(DB_RECV));
  EXPECT_EQ(store->DatabaseHandle(DB_RECV), recv);
  EXPECT_FALSE(store->OpenDatabase(3));
  EXPECT_FALSE(store->OpenDatabase(-1));
  EXPECT_TRUE(Boxes().empty());

  // Mounted already: the volume is neither mounted again nor given the locale again.
  auto before = platform::db::Counts();
  ASSERT_TRUE(CeChangeDatabaseLCID(&phone_, 0x409));  // somebody else changes it meanwhile
  EXPECT_TRUE(store->MountVolume(kDefaultStorePath));
  EXPECT_EQ(platform::db::Counts().volumesOpened, before.volumesOpened);
  EXPECT_EQ(platform::db::Counts().lcidChanges, before.lcidChanges + 1);
  EXPECT_EQ(platform::db::VolumeLcid(store->Volume()), 0x409u);
}

// No volume file, or a file that is not a database: opening fails silently, there is nothing to
// read, writes fail silently, and nothing is written where the volume belongs.
TEST_F(StoreTest, AMissingOrForeignVolumeFailsSilentlyAndIsLeftAsItIs) {
  const auto file = device_->dir() / "MITs Store" / "MMS" / "mms.edb";
  const std::string junk = "this is not a message store, just text that happens to be here\n";
  for (bool present : {false, true}) {
    SCOPED_TRACE(present ? "foreign file" : "no file");
    if (present) {
      std::filesystem::create_directories(file.parent_path());
      std::ofstream(file, std::ios::binary) << junk;
    }
    RecordStore* store = NewStore();
    EXPECT_FALSE(store->OpenStore(nullptr));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(store->CountRecords(DB_RECV), 0);
    MessageRecord r;
    EXPECT_FALSE(store->ReadRecordAt(DB_RECV, 0, &r));
    EXPECT_FALSE(store->WriteSentRecord(DB_SEND, u"1", u"x", 0, &r));
    EXPECT_EQ(r.oid, 0u);
    EXPECT_EQ(std::filesystem::exists(file), present);
    EXPECT_EQ(parlo_test::ReadFileBytes(file), present ? junk : "");
    EXPECT_TRUE(present || !store->Mounted());
  }
}

// A missing received database is reported and leaves the sent one unopened.
TEST_F(StoreTest, AVolumeWithoutTheMessageDatabasesDoesNotOpen) {
  MakeVolume({kSend});
  RecordStore* store = NewStore();
  DWORD error = 0;
  EXPECT_FALSE(store->OpenStore(nullptr, &error));
  EXPECT_TRUE(Boxes().empty());  // the caller tells the user
  EXPECT_EQ(std::u16string(OpenErrorText(error)), u"The database specified by either poid or lpwszName does not exist.");
  EXPECT_EQ(store->DatabaseHandle(DB_SEND), INVALID_HANDLE_VALUE);
  EXPECT_EQ(store->CountRecords(DB_SEND), 0);

  // The store path comes from the caller: this volume mounts, but it holds no message databases.
  ASSERT_TRUE(CeMountDBVolEx(&phone_, u"\\Elsewhere\\other.edb", nullptr, CREATE_NEW));
  store = NewStore();
  store->SetStorePath(u"\\Elsewhere\\other.edb");
  EXPECT_FALSE(store->OpenStore(nullptr));
  EXPECT_TRUE(store->Mounted());
}
