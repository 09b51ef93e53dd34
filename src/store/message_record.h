// One received or sent message as the program holds it, and the stored properties it comes from.
#pragma once
#include <cstdint>

#include "windows.h"
#include "windbase.h"

// The databases of the message volume, by the index the program uses for them.
enum DbIndex : int { DB_RECV = 0, DB_SEND = 1, DB_MMS_CONTENTS = 2 };
constexpr int kDbCount = 3;

// Properties of a stored message: number in the high word, value type in the low word.
constexpr CEPROPID PROP_TIME = 0x00010040;        // FILETIME, local time
constexpr CEPROPID PROP_NUMBER = 0x0002001F;      // the other party's number
constexpr CEPROPID PROP_TEXT = 0x0003001F;        // message text
constexpr CEPROPID PROP_READ = 0x00050002;        // 0 unread, 1 read
constexpr CEPROPID PROP_MESSAGE_ID = 0x0006001F;  // sort key of both databases
constexpr CEPROPID PROP_KIND = 0x000A0002;        // received: nonzero MMS; sent: 3 MMS, 2 SMS
constexpr CEPROPID PROP_AUX_FLAG = 0x000E0002;    // carried and written back unchanged
constexpr CEPROPID PROP_MMS_FLAG = 0x000F0002;    // MMS state

constexpr size_t kTextChars = 260;
constexpr size_t kFieldChars = 32;
constexpr size_t kPathChars = 260;

struct MessageRecord {
  WCHAR text[kTextChars] = {};
  WCHAR number[kFieldChars] = {};
  WCHAR timeText[kFieldChars] = {};
  WCHAR messageId[kFieldChars] = {};
  int32_t isRead = 0;
  int32_t isMms = 0;
  int32_t mmsFlag = 0;
  int32_t auxFlag = 0;  // inverted for a sent message, so reading then writing back keeps it
  int32_t dbIndex = 0;
  uint32_t oid = 0;
  uint32_t contactOid = 0;
  double time = 0;  // automation date
};
