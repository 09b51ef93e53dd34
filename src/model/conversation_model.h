// ConversationModel: every message in memory, grouped into conversations by number, named from
// the contacts and ordered by recent activity. It owns its records; the store only fills it.
#pragma once
#include <cstdint>
#include <memory>

#include "model/conversation.h"
#include "store/record_store.h"

class Settings;
namespace parlo {
class ContactBook;
}

class ConversationModel {
 public:
  // `contacts` names new numbers; without it a number is shown as it is.
  ConversationModel(const Settings& settings, const parlo::ContactBook* contacts)
      : settings_(settings), contacts_(contacts) {}
  ConversationModel(const ConversationModel&) = delete;
  ConversationModel& operator=(const ConversationModel&) = delete;

  void SetContacts(const parlo::ContactBook* contacts) { contacts_ = contacts; }

  // Builds the model from both databases; expects it empty.
  bool LoadAll(RecordStore& store);
  // Makes the record's conversation first, the record at its end or its start.
  void AddRecord(std::unique_ptr<MessageRecord> record, bool atEnd);
  // AddRecord at the end where the conversation's newest message belongs (Settings.view_sort).
  void AddNewestRecord(std::unique_ptr<MessageRecord> record);
  void ClearModel();

  int ConversationCount() const { return static_cast<int>(conversations_.size()); }
  Conversation& ConversationAt(int n);
  const Conversation& ConversationAt(int n) const;
  int32_t ConversationIdAt(int n) const;
  // The position of the number's conversation, or -1.
  int PositionOfNumber(const WCHAR* number) const;
  const WCHAR* DisplayNameFor(const WCHAR* number) const;

  // Deletes every record of conversation n from the store, then the conversation itself. The
  // first store failure met is returned; the conversation goes either way.
  StoreError DeleteConversation(int n, RecordStore& store);
  // Deletes one record of conversation n from the store and the model; the conversation goes
  // when it is left empty. kRecordMissing when no such record is there.
  StoreError DeleteRecord(int n, uint32_t oid, RecordStore& store);
  // Removes a record the phone deleted; a conversation left empty goes with its sender entry.
  bool RemoveRecordByOid(uint32_t oid);

 private:
  std::u16string NameForNewNumber(MessageRecord& record) const;
  void DropConversation(ConversationMap::iterator it);

  const Settings& settings_;
  const parlo::ContactBook* contacts_;
  ConversationMap conversations_;
  SenderIndex senderIndex_;
};
