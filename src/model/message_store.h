// MessageStore: the program's messages as one object, over the record store (the phone's message
// volume) and the conversation model built from it. Views and the frame use it; the two halves
// stay apart, the model depending on the store and never the reverse.
#pragma once
#include <memory>

#include "model/conversation_model.h"
#include "store/record_store.h"

class MessageStore {
 public:
  MessageStore(const Settings& settings, const parlo::ContactBook* contacts) : model_(settings, contacts) {}
  MessageStore(const MessageStore&) = delete;
  MessageStore& operator=(const MessageStore&) = delete;

  RecordStore& Records() { return records_; }
  ConversationModel& Model() { return model_; }
  const ConversationModel& Model() const { return model_; }

  // --- the volume and its records ---
  void SetStorePath(const WCHAR* path) { records_.SetStorePath(path); }
  bool OpenStore(HWND notifyWindow, DWORD* openError = nullptr) { return records_.OpenStore(notifyWindow, openError); }
  bool FreeNotification(CENOTIFICATION* notification) { return records_.FreeNotification(notification); }
  bool ReadRecordById(int index, MessageRecord* record) { return records_.ReadRecordById(index, record); }
  bool WriteSentRecord(int index, const WCHAR* number, const WCHAR* text, int part, MessageRecord* record) {
    return records_.WriteSentRecord(index, number, text, part, record);
  }
  StoreError UpdateRecord(int index, MessageRecord* record, bool remove) {
    return records_.UpdateRecord(index, record, remove);
  }
  StoreError DeleteAllRecords(int index) { return records_.DeleteAllRecords(index); }

  // --- the conversations ---
  bool LoadAll() { return model_.LoadAll(records_); }
  void AddRecord(std::unique_ptr<MessageRecord> record, bool atEnd) { model_.AddRecord(std::move(record), atEnd); }
  void AddNewestRecord(std::unique_ptr<MessageRecord> record) { model_.AddNewestRecord(std::move(record)); }
  void ClearModel() { model_.ClearModel(); }
  int ConversationCount() const { return model_.ConversationCount(); }
  Conversation& ConversationAt(int n) { return model_.ConversationAt(n); }
  int32_t ConversationIdAt(int n) const { return model_.ConversationIdAt(n); }
  const WCHAR* DisplayNameFor(const WCHAR* number) const { return model_.DisplayNameFor(number); }
  StoreError DeleteConversation(int n) { return model_.DeleteConversation(n, records_); }
  StoreError DeleteRecord(int n, uint32_t oid) { return model_.DeleteRecord(n, oid, records_); }
  bool RemoveRecordByOid(uint32_t oid) { return model_.RemoveRecordByOid(oid); }

 private:
  RecordStore records_;
  ConversationModel model_;
};
