// Building the model from both databases, and emptying it.
#include <algorithm>
#include <vector>

#include "shell/settings.h"
#include "store/message_store.h"

const WCHAR kNoSenderName[] = u"발신자정보없음";

bool MessageStore::LoadAll() {
  const Settings& settings = Settings::Instance();
  textMode = settings.use_original_view ? 1 : 0;

  std::vector<MessageRecord*> records;
  for (int index : {DB_RECV, DB_SEND}) {
    int count = CountRecords(index);
    records.reserve(records.size() + static_cast<size_t>(count));
    for (int position = 0; position < count; ++position) {
      auto* record = new MessageRecord();
      if (ReadRecordAt(index, position, record)) records.push_back(record);
      else delete record;
    }
  }

  // Newest first, so each number is met first at its newest message and conversation ids
  // rise with the age of that message.
  std::sort(records.begin(), records.end(),
            [](const MessageRecord* a, const MessageRecord* b) { return a->time > b->time; });

  const bool chronological = settings.view_sort;
  int32_t nextId = FIRST_CONVERSATION_ID;
  for (MessageRecord* record : records) {
    std::u16string number(record->number);
    auto found = senderIndex.find(number);
    if (found == senderIndex.end()) {
      SenderEntry entry{nextId, NameForNewNumber(record)};
      conversations[nextId].push_back(record);
      senderIndex.emplace(std::move(number), std::move(entry));
      ++nextId;
      continue;
    }
    Conversation& conversation = conversations[found->second.conversationId];
    record->contactOid = conversation.front()->contactOid;
    if (chronological) conversation.push_front(record);
    else conversation.push_back(record);
  }
  return true;
}

void MessageStore::ClearModel() {
  for (auto& [id, conversation] : conversations) {
    for (MessageRecord* record : conversation) delete record;
    conversation.clear();
  }
  conversations.clear();
  senderIndex.clear();
}
