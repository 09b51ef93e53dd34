#include "shell/frame_state.h"

#include "contacts/contact_book.h"
#include "platform/automation/state.h"
#include "store/message_store.h"
#include "shell/main_frame.h"
#include "shell/settings.h"

namespace {

void WriteSettings(platform::automation::StateWriter& out) {
  if (!Settings::Exists()) {
    out.Null("settings");
    return;
  }
  const Settings& s = Settings::Instance();
  out.BeginObject("settings");
  out.Bool("use_lock", s.use_lock);
  out.Bool("use_original_view", s.use_original_view);
  out.Bool("find_company_name", s.find_company_name);
  out.Bool("find_call_number", s.find_call_number);
  out.Bool("find_name", s.find_name);
  out.Bool("view_sort", s.view_sort);
  out.Bool("close", s.close);
  out.Int("photo_width", s.photo_width);
  out.Int("photo_height", s.photo_height);
  out.Text("store_path", s.store_path);
  out.Text("password", s.password);
  out.Text("start_number", s.start_number);
  out.EndObject();
}

void WriteRecord(platform::automation::StateWriter& out, const MessageRecord& r) {
  out.BeginObject(nullptr);
  out.Int("oid", r.oid);
  out.Text("number", r.number);
  out.Text("text", r.text);
  out.Text("timeText", r.timeText);
  out.Text("messageId", r.messageId);
  out.Int("isRead", r.isRead);
  out.Int("isMms", r.isMms);
  out.Int("mmsFlag", r.mmsFlag);
  out.Int("dbIndex", r.dbIndex);
  out.Int("contactOid", r.contactOid);
  out.EndObject();
}

// Conversations in display order, each with its records in the model's order.
void WriteConversations(platform::automation::StateWriter& out) {
  MessageStore* store = MessageStore::Instance();
  out.BeginArray("conversations");
  for (const auto& [id, conversation] : store->conversations) {
    out.BeginObject(nullptr);
    out.Int("id", id);
    const MessageRecord* first = conversation.empty() ? nullptr : conversation.front();
    out.Text("name", first ? store->DisplayNameFor(first->number) : u"");
    out.BeginArray("records");
    for (const MessageRecord* r : conversation)
      if (r) WriteRecord(out, *r);
    out.EndArray();
    out.EndObject();
  }
  out.EndArray();
}

void WriteContacts(platform::automation::StateWriter& out) {
  if (!parlo::ContactBook::HasInstance()) return;
  const parlo::ContactBook& book = parlo::ContactBook::Instance();
  out.BeginObject("contacts");
  out.Int("count", book.Count());
  out.Bool("from_store", book.LoadedFromStore());
  out.Text("letters", book.Letters());
  out.Text("digits", book.Digits());
  const auto& categories = book.Categories();
  int category = book.CategoryIndex();
  out.Text("category", category >= 0 && category < static_cast<int>(categories.size()) ? categories[category] : u"");
  out.Bool("hangul", book.HangulMode());
  out.EndObject();
}

}  // namespace

int AddFrameState(const MainFrame& frame) {
  return platform::automation::AddStateSource([&frame](platform::automation::StateWriter& out) {
    out.Int("mode", frame.CurrentMode());
    out.Int("previous", frame.PreviousMode());
    out.Int("start_mode", frame.StartMode());
    out.Text("start_number", Settings::Exists() ? Settings::Instance().start_number : u"");
    WriteSettings(out);
    WriteConversations(out);
    WriteContacts(out);
  });
}

void RemoveFrameState(int id) {
  if (id) platform::automation::RemoveStateSource(id);
}
