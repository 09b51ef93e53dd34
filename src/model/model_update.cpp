// Changing the model in place: new records, lookups, deleting a conversation.
#include <iterator>

#include "contacts/contact_book.h"
#include "shell/settings.h"
#include "store/message_store.h"

std::u16string MessageStore::NameForNewNumber(MessageRecord* record) {
  if (record->number[0] == 0) return kNoSenderName;
  WCHAR name[260] = {};
  DWORD oid = 0;
  if (parlo::ContactBook::HasInstance() &&
      parlo::ContactBook::Instance().LookupNameByNumber(&oid, record->number, name, 260) == 0) {
    record->contactOid = oid;
    return name;
  }
  return record->number;
}

void MessageStore::AddRecord(MessageRecord* record, bool atEnd) {
  const int32_t newId = conversations.empty() ? FIRST_CONVERSATION_ID : conversations.begin()->first - 1;
  std::u16string number(record->number);
  auto found = senderIndex.find(number);
  if (found == senderIndex.end()) {
    SenderEntry entry{newId, NameForNewNumber(record)};
    conversations[newId].push_back(record);
    senderIndex.emplace(std::move(number), std::move(entry));
    return;
  }
  auto old = conversations.find(found->second.conversationId);
  if (old == conversations.end()) {
    delete record;  // an index entry without a conversation: the record has nowhere to go
    return;
  }
  Conversation conversation = std::move(old->second);
  conversations.erase(old);
  if (!conversation.empty() && conversation.back()) record->contactOid = conversation.back()->contactOid;
  if (atEnd) conversation.push_back(record);
  else conversation.push_front(record);
  conversations.emplace(newId, std::move(conversation));
  found->second.conversationId = newId;
}

void MessageStore::AddNewestRecord(MessageRecord* record) {
  // The newest message belongs where the list looks for it: last when oldest-first, first otherwise.
  AddRecord(record, Settings::Instance().view_sort);
}

int MessageStore::ConversationCount() const { return static_cast<int>(conversations.size()); }

Conversation& MessageStore::ConversationAt(int n) {
  return std::next(conversations.begin(), n)->second;
}

int32_t MessageStore::ConversationIdAt(int n) const {
  return std::next(conversations.begin(), n)->first;
}

const WCHAR* MessageStore::DisplayNameFor(const WCHAR* number) const {
  auto found = senderIndex.find(number ? std::u16string(number) : std::u16string());
  return found == senderIndex.end() ? u"" : found->second.name.c_str();
}

void MessageStore::DeleteConversation(int n) {
  if (n < 0 || n >= ConversationCount()) return;
  auto it = std::next(conversations.begin(), n);
  const int32_t id = it->first;
  for (MessageRecord*& record : it->second) {
    if (!record) continue;
    UpdateRecord(record->dbIndex, record, true);
    delete record;
    record = nullptr;
  }
  conversations.erase(it);
  for (auto entry = senderIndex.begin(); entry != senderIndex.end(); ++entry) {
    if (entry->second.conversationId == id) {
      senderIndex.erase(entry);
      break;
    }
  }
}

bool MessageStore::RemoveRecordByOid(uint32_t oid) {
  for (auto it = conversations.begin(); it != conversations.end(); ++it) {
    Conversation& conversation = it->second;
    for (auto r = conversation.begin(); r != conversation.end(); ++r) {
      if (*r && (*r)->oid == oid) {
        delete *r;
        conversation.erase(r);
        if (conversation.empty()) DropConversation(it);
        return true;
      }
    }
  }
  return false;
}

void MessageStore::DropConversation(ConversationMap::iterator it) {
  const int32_t id = it->first;
  conversations.erase(it);
  for (auto entry = senderIndex.begin(); entry != senderIndex.end(); ++entry) {
    if (entry->second.conversationId == id) {
      senderIndex.erase(entry);
      break;
    }
  }
}
