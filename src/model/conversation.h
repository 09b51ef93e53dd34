// The in-memory model's types: conversations of records by number, and the sender index.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "store/message_record.h"

// The records of one number, in the order Settings.view_sort chooses. Cheap at both ends.
using Conversation = std::deque<std::unique_ptr<MessageRecord>>;

// A number's conversation id and the name it is shown under.
struct SenderEntry {
  int32_t conversationId = 0;
  std::u16string name;
};

constexpr int32_t FIRST_CONVERSATION_ID = 100;

// Iterated in ascending id, which is display order: the most recently active conversation first.
using ConversationMap = std::map<int32_t, Conversation>;
using SenderIndex = std::unordered_map<std::u16string, SenderEntry>;

// Shown for messages that carry no number.
extern const WCHAR kNoSenderName[];  // "발신자정보없음"
