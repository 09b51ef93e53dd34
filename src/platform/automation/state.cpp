#include "platform/automation/state.h"

#include <map>
#include <vector>

#include "platform/automation/state_json.h"
#include "platform/base/text.h"

namespace platform::automation {
namespace {

std::map<int, StateSource>& Sources() {
  static std::map<int, StateSource> sources;
  return sources;
}
std::map<int, StateSource>& ScreenSources() {
  static std::map<int, StateSource> sources;
  return sources;
}
int g_nextId = 1;

// Builds nlohmann json from the writer calls; a stack of the open objects and arrays.
class JsonStateWriter : public StateWriter {
 public:
  explicit JsonStateWriter(nlohmann::json& root) { stack_.push_back(&root); }

  void Int(const char* key, long long value) override { Put(key, value); }
  void Bool(const char* key, bool value) override { Put(key, value); }
  void Text(const char* key, std::u16string_view value) override { Put(key, Utf16ToUtf8(value)); }
  void Null(const char* key) override { Put(key, nullptr); }
  void BeginObject(const char* key) override { stack_.push_back(&Put(key, nlohmann::json::object())); }
  void BeginArray(const char* key) override { stack_.push_back(&Put(key, nlohmann::json::array())); }
  void EndObject() override { Pop(); }
  void EndArray() override { Pop(); }

 private:
  nlohmann::json& Put(const char* key, nlohmann::json value) {
    nlohmann::json& top = *stack_.back();
    if (top.is_array()) {
      top.push_back(std::move(value));
      return top.back();
    }
    nlohmann::json& slot = top[key ? key : ""];
    slot = std::move(value);
    return slot;
  }
  void Pop() {
    // An unbalanced End never pops the root.
    if (stack_.size() > 1) stack_.pop_back();
  }

  std::vector<nlohmann::json*> stack_;
};

}  // namespace

int AddStateSource(StateSource source) {
  int id = g_nextId++;
  Sources()[id] = std::move(source);
  return id;
}

void RemoveStateSource(int id) { Sources().erase(id); }

int AddScreenSource(StateSource source) {
  int id = g_nextId++;
  ScreenSources()[id] = std::move(source);
  return id;
}

void RemoveScreenSource(int id) { ScreenSources().erase(id); }

void CollectScreen(nlohmann::json& report) {
  for (auto& [id, source] : ScreenSources()) {
    JsonStateWriter writer(report);
    source(writer);
  }
}

nlohmann::json CollectState() {
  nlohmann::json root = nlohmann::json::object();
  for (auto& [id, source] : Sources()) {
    JsonStateWriter writer(root);
    source(writer);
  }
  return root;
}

}  // namespace platform::automation
