// MessageStore: the one object through which the program reaches the phone's message volume.
// It mounts the volume, opens the message databases, receives their change notifications for
// the main frame, reads and writes message records, and publishes the unread count.
#pragma once
#include <cstdint>
#include <string>

#include "model/conversation.h"
#include "store/message_record.h"
#include "store/text_normalize.h"
#include "windows.h"
#include "windbase.h"

// Notification id of the shell's new-message bubble and its class.
constexpr DWORD UNREAD_NOTIFICATION_ID = 9114;
extern const CLSID UNREAD_NOTIFICATION_CLSID;  // {592A0D12-F0AC-411B-A175-8B348238F1FD}
extern const WCHAR kUnreadStateKey[];          // "\System\State\Messages\SMS\Unread" under HKLM
extern const WCHAR kDefaultStorePath[];        // "\MITs Store\MMS\mms.edb"

class MessageStore {
 public:
  static MessageStore* Instance();
  // Releases the model only; the handles and the mount stay until the process ends.
  static void Destroy();

  // The volume's phone path comes from Settings, which the shell owns: the shell sets it
  // before OpenStore. Until then the phone's own path is used.
  void SetStorePath(const WCHAR* path);
  const WCHAR* StorePath() const { return storePath_; }

  bool OpenStore(HWND notifyWindow);
  bool MountVolume(const WCHAR* path);
  bool OpenDatabase(int index);
  bool FreeNotification(CENOTIFICATION* notification);
  HWND NotifyWindow() const { return notifyWindow_; }

  // Reading (records in descending message identifier order).
  int CountRecords(int index);
  bool ReadRecordById(int index, MessageRecord* record);
  bool ReadRecordAt(int index, int position, MessageRecord* record);

  // Writing, deleting and read state.
  bool WriteSentRecord(int index, const WCHAR* number, const WCHAR* text, int part, MessageRecord* record);
  bool UpdateRecord(int index, MessageRecord* record, bool remove);
  bool DeleteAllRecords(int index);
  int CountUnread(int index);
  void PublishUnreadCount(int index);
  DWORD SetStateDword(const WCHAR* key, const WCHAR* valueName, DWORD value);

  HANDLE DatabaseHandle(int index) const;
  bool Mounted() const { return mounted_ != 0; }
  const CEGUID& Volume() const { return volume_; }

  // Copy of Settings.use_original_view, set by LoadAll before it reads: 0 wraps the text.
  uint8_t textMode = 0;

 private:
  MessageStore() = default;
  ~MessageStore();
  MessageStore(const MessageStore&) = delete;
  MessageStore& operator=(const MessageStore&) = delete;

  bool ReadCurrent(int index, HANDLE db, MessageRecord* record, CEOID* oid);
  void ApplyProperty(int index, const CEPROPVAL& value, MessageRecord* record);

  CEGUID volume_{};
  HANDLE handles_[kDbCount] = {INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE, INVALID_HANDLE_VALUE};
  CENOTIFYREQUEST* request_ = nullptr;
  DWORD notificationId_ = UNREAD_NOTIFICATION_ID;
  uint8_t mounted_ = 0;
  HWND notifyWindow_ = nullptr;
  WCHAR storePath_[kPathChars] = {};

 public:
  // --- the in-memory model: conversations by number, most recently active first ---
  // Builds the model from both databases; expects it empty.
  bool LoadAll();
  // Takes ownership of `record` (deleted if it cannot be placed) and makes its conversation first.
  void AddRecord(MessageRecord* record, bool atEnd);
  // AddRecord at the end where the conversation's newest message belongs (Settings.view_sort).
  void AddNewestRecord(MessageRecord* record);
  void ClearModel();
  int ConversationCount() const;
  Conversation& ConversationAt(int n);
  int32_t ConversationIdAt(int n) const;
  const WCHAR* DisplayNameFor(const WCHAR* number) const;
  void DeleteConversation(int n);
  // Removes a record the phone deleted; a conversation left empty goes with its sender entry.
  bool RemoveRecordByOid(uint32_t oid);

  ConversationMap conversations;
  SenderIndex senderIndex;

 private:
  std::u16string NameForNewNumber(MessageRecord* record);
  void DropConversation(ConversationMap::iterator it);
};
