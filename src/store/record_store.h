// RecordStore: the phone's message volume as the program reaches it. It mounts the volume, opens
// the message databases, takes their change notifications for a window, reads and writes message
// records, and publishes the unread count. It knows nothing of conversations.
#pragma once
#include <cstdint>

#include "store/message_record.h"
#include "store/store_error.h"
#include "windbase.h"
#include "windows.h"

// The shell's new-message notification and the system's unread count.
constexpr DWORD UNREAD_NOTIFICATION_ID = 9114;
inline constexpr CLSID UNREAD_NOTIFICATION_CLSID = {0x592A0D12, 0xF0AC, 0x411B, {0xA1, 0x75, 0x8B, 0x34, 0x82, 0x38, 0xF1, 0xFD}};
inline constexpr WCHAR kUnreadStateKey[] = u"\\System\\State\\Messages\\SMS\\Unread";  // under HKLM
inline constexpr WCHAR kUnreadValue[] = u"Unread";
inline constexpr WCHAR kUnreadCountValue[] = u"Count";  // the same count, where the message list watches it

class RecordStore {
 public:
  // The handles and the mount stay until the process ends, as on the phone; the open database
  // keeps its own copy of the notification request.
  RecordStore() = default;
  RecordStore(const RecordStore&) = delete;
  RecordStore& operator=(const RecordStore&) = delete;

  // The volume's phone path; an empty one means the phone's own.
  void SetStorePath(const WCHAR* path);
  const WCHAR* StorePath() const { return storePath_; }
  // 0 keeps the stored text as it is, anything else wraps it for the short view.
  void SetTextMode(uint8_t mode) { textMode_ = mode; }
  uint8_t TextMode() const { return textMode_; }

  // Mounts the volume and opens both message databases, with `notifyWindow` as the receiver of
  // the received database's changes. On failure *openError is the system error of the database
  // that would not open or of a damaged volume, or 0 when there is no volume to mount.
  bool OpenStore(HWND notifyWindow, DWORD* openError = nullptr);
  bool MountVolume(const WCHAR* path);
  // On failure GetLastError() tells why.
  bool OpenDatabase(int index);
  bool FreeNotification(CENOTIFICATION* notification);

  // Reading (records in descending message identifier order).
  int CountRecords(int index);
  bool ReadRecordById(int index, MessageRecord* record);
  bool ReadRecordAt(int index, int position, MessageRecord* record);

  // Writing, deleting and read state. Every mark-read and delete republishes the unread count.
  bool WriteSentRecord(int index, const WCHAR* number, const WCHAR* text, int part, MessageRecord* record);
  StoreError UpdateRecord(int index, MessageRecord* record, bool remove);
  StoreError DeleteAllRecords(int index);
  int CountUnread(int index);
  // The count always comes from the received database, whichever database changed.
  StoreError PublishUnreadCount();
  // The value written, or 0 with *error set when the registry refused it.
  DWORD SetStateDword(const WCHAR* key, const WCHAR* valueName, DWORD value, StoreError* error = nullptr);

  // A read ran into damage in the volume since it was opened; the file is left as it is.
  bool Damaged() const { return damaged_; }

  HANDLE DatabaseHandle(int index) const;
  bool Mounted() const { return mounted_ != 0; }
  const CEGUID& Volume() const { return volume_; }

 private:
  bool ReadCurrent(int index, HANDLE db, MessageRecord* record, CEOID* oid);
  void ApplyProperty(int index, const CEPROPVAL& value, MessageRecord* record);
  // Remembers damage behind the failure just met.
  void NoteFailure();

  CEGUID volume_{};
  HANDLE handles_[kDbCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  CENOTIFYREQUEST request_{};
  uint8_t mounted_ = 0;
  uint8_t textMode_ = 0;
  bool damaged_ = false;
  WCHAR storePath_[kPathChars] = {};
};
