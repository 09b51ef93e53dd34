// The program's inspection record for automation's `state` command. The program adds writers;
// each writes its own keys into one JSON object through this JSON-free interface.
#pragma once
#include <functional>
#include <string_view>

namespace platform::automation {

class StateWriter {
 public:
  virtual ~StateWriter() = default;
  // `key` names a member of the current object; inside an array it is ignored (pass nullptr).
  virtual void Int(const char* key, long long value) = 0;
  virtual void Bool(const char* key, bool value) = 0;
  virtual void Text(const char* key, std::u16string_view value) = 0;
  virtual void Null(const char* key) = 0;
  virtual void BeginObject(const char* key) = 0;
  virtual void EndObject() = 0;
  virtual void BeginArray(const char* key) = 0;
  virtual void EndArray() = 0;
};

using StateSource = std::function<void(StateWriter&)>;

// Returns an id for RemoveStateSource. Sources run on the UI thread, in the order added.
int AddStateSource(StateSource source);
void RemoveStateSource(int id);

// Keys the program adds to the `screen` answer for what it draws itself (the picker's keypad).
int AddScreenSource(StateSource source);
void RemoveScreenSource(int id);

}  // namespace platform::automation
