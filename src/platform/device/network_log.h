// What left the phone, as JSON lines under DIR/network (calls.jsonl, launches.jsonl,
// sms-outbox.jsonl): one record a line, fields in the order given, the time last.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "windef.h"

namespace platform::device {

// "YYYY-MM-DD HH:MM:SS", the local time as every record of DIR/network carries it.
std::string LocalTimeText(const SYSTEMTIME& time);
// The same of the platform clock now.
std::string LocalTimeText();

class NetworkRecord {
 public:
  // Text fields; UTF-8 that is not valid is mended, so a line is always valid JSON.
  NetworkRecord& Add(const char* name, std::u16string_view text);
  NetworkRecord& Add(const char* name, std::string_view utf8);
  NetworkRecord& Add(const char* name, const std::vector<std::string>& utf8List);

  // {"name": "value", ...} and a line feed.
  std::string Line() const { return "{" + fields_ + "}\n"; }
  // Appends the line to DIR/network/`fileName` with one write (O_APPEND), so that records from
  // several programs never interleave. False when it could not be written whole.
  bool AppendTo(const char* fileName) const;

 private:
  void Name(const char* name);
  std::string fields_;
};

}  // namespace platform::device
