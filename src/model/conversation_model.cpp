#include "model/conversation_model.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "contacts/contact_book.h"
#include "settings/settings.h"

const WCHAR kNoSenderName[] = u"발신자정보없음";

bool ConversationModel::LoadAll(RecordStore& store) {
  store.SetTextMode(settings_.use_original_view ? 1 : 0);

  std::vector<std::unique_ptr<MessageRecord>> records;
  for (int index : {DB_RECV, DB_SEND}) {
    int count = store.CountRecords(index);
    records.reserve(records.size() + static_cast<size_t>(count));
    for (int position = 0; position < count; ++position) {
      auto record = std::make_unique<MessageRecord>();
      if (store.ReadRecordAt(index, position, record.get())) records.push_back(std::move(record));
    }
  }

  // Newest first, so each number is met first at its newest message and conversation ids
  // rise with the age of that message.
  std::sort(records.begin(), records.end(), [](const auto& a, const auto& b) { return a->time > b->time; });

  const bool chronological = settings_.view_sort;
  int32_t nextId = FIRST_CONVERSATION_ID;
  for (auto& record : records) {
    std::u16string number(record->number);
    auto found = senderIndex_.find(number);
    if (found == senderIndex_.end()) {
      SenderEntry entry{nextId, NameForNewNumber(*record)};
      conversations_[nextId].push_back(std::move(record));
      senderIndex_.emplace(std::move(number), std::move(entry));
      ++nextId;
      continue;
    }
    Conversation& conversation = conversations_[found->second.conversationId];
    record->contactOid = conversation.front()->contactOid;
    if (chronological) conversation.push_front(std::move(record));
    else conversation.push_back(std::move(record));
  }
  return true;
}

void ConversationModel::ClearModel() {
  conversations_.clear();
  senderIndex_.clear();
}

std::u16string ConversationModel::NameForNewNumber(MessageRecord& record) const {
  if (record.number[0] == 0) return kNoSenderName;
  WCHAR name[260] = {};
  DWORD oid = 0;
  if (contacts_ && contacts_->LookupNameByNumber(&oid, record.number, name, 260) == 0) {
    record.contactOid = oid;
    return name;
  }
  return record.number;
}

void ConversationModel::AddRecord(std::unique_ptr<MessageRecord> record, bool atEnd) {
  if (!record) return;
  const int32_t newId = conversations_.empty() ? FIRST_CONVERSATION_ID : conversations_.begin()->first - 1;
  std::u16string number(record->number);
  auto found = senderIndex_.find(number);
  if (found == senderIndex_.end()) {
    SenderEntry entry{newId, NameForNewNumber(*record)};
    conversations_[newId].push_back(std::move(record));
    senderIndex_.emplace(std::move(number), std::move(entry));
    return;
  }
  auto old = conversations_.find(found->second.conversationId);
  if (old == conversations_.end()) return;  // an index entry without a conversation: nowhere to go
  Conversation conversation = std::move(old->second);
  conversations_.erase(old);
  if (!conversation.empty()) record->contactOid = conversation.back()->contactOid;
  if (atEnd) conversation.push_back(std::move(record));
  else conversation.push_front(std::move(record));
  conversations_.emplace(newId, std::move(conversation));
  found->second.conversationId = newId;
}

void ConversationModel::AddNewestRecord(std::unique_ptr<MessageRecord> record) {
  // The newest message belongs where the list looks for it: last when oldest-first, first otherwise.
  AddRecord(std::move(record), settings_.view_sort);
}

Conversation& ConversationModel::ConversationAt(int n) { return std::next(conversations_.begin(), n)->second; }

const Conversation& ConversationModel::ConversationAt(int n) const {
  return std::next(conversations_.begin(), n)->second;
}

int32_t ConversationModel::ConversationIdAt(int n) const { return std::next(conversations_.begin(), n)->first; }

int ConversationModel::PositionOfNumber(const WCHAR* number) const {
  auto found = senderIndex_.find(number ? std::u16string(number) : std::u16string());
  if (found == senderIndex_.end()) return -1;
  auto it = conversations_.find(found->second.conversationId);
  return it == conversations_.end() ? -1 : static_cast<int>(std::distance(conversations_.begin(), it));
}

const WCHAR* ConversationModel::DisplayNameFor(const WCHAR* number) const {
  auto found = senderIndex_.find(number ? std::u16string(number) : std::u16string());
  return found == senderIndex_.end() ? u"" : found->second.name.c_str();
}

StoreError ConversationModel::DeleteConversation(int n, RecordStore& store) {
  if (n < 0 || n >= ConversationCount()) return StoreError::kRecordMissing;
  auto it = std::next(conversations_.begin(), n);
  // The conversation leaves the model before the store is touched, so nothing walks records
  // that are being deleted.
  Conversation doomed = std::move(it->second);
  DropConversation(it);
  StoreError first = StoreError::kNone;
  for (auto& record : doomed) {
    const StoreError error = store.UpdateRecord(record->dbIndex, record.get(), true);
    if (first == StoreError::kNone && error != StoreError::kRecordMissing) first = error;
  }
  return first;
}

StoreError ConversationModel::DeleteRecord(int n, uint32_t oid, RecordStore& store) {
  if (n < 0 || n >= ConversationCount()) return StoreError::kRecordMissing;
  auto it = std::next(conversations_.begin(), n);
  Conversation& conversation = it->second;
  auto found = std::find_if(conversation.begin(), conversation.end(), [oid](const auto& r) { return r->oid == oid; });
  if (found == conversation.end()) return StoreError::kRecordMissing;
  std::unique_ptr<MessageRecord> record = std::move(*found);
  conversation.erase(found);
  if (conversation.empty()) DropConversation(it);
  return store.UpdateRecord(record->dbIndex, record.get(), true);
}

bool ConversationModel::RemoveRecordByOid(uint32_t oid) {
  for (auto it = conversations_.begin(); it != conversations_.end(); ++it) {
    Conversation& conversation = it->second;
    for (auto r = conversation.begin(); r != conversation.end(); ++r) {
      if ((*r)->oid == oid) {
        conversation.erase(r);
        if (conversation.empty()) DropConversation(it);
        return true;
      }
    }
  }
  return false;
}

void ConversationModel::DropConversation(ConversationMap::iterator it) {
  const int32_t id = it->first;
  conversations_.erase(it);
  for (auto entry = senderIndex_.begin(); entry != senderIndex_.end(); ++entry) {
    if (entry->second.conversationId == id) {
      senderIndex_.erase(entry);
      break;
    }
  }
}
