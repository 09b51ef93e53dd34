#include "shell/frame_state.h"

#include "platform/automation/state.h"
#include "shell/application.h"
#include "shell/main_frame.h"

namespace {

void WriteSettings(platform::automation::StateWriter& out, const Settings& s) {
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
void WriteConversations(platform::automation::StateWriter& out, const ConversationModel& model) {
  out.BeginArray("conversations");
  for (int n = 0; n < model.ConversationCount(); ++n) {
    const Conversation& conversation = model.ConversationAt(n);
    out.BeginObject(nullptr);
    out.Int("id", model.ConversationIdAt(n));
    out.Text("name", conversation.empty() ? u"" : model.DisplayNameFor(conversation.front()->number));
    out.BeginArray("records");
    for (const auto& r : conversation) WriteRecord(out, *r);
    out.EndArray();
    out.EndObject();
  }
  out.EndArray();
}

void WriteContacts(platform::automation::StateWriter& out, const parlo::ContactBook* contacts) {
  if (!contacts) return;
  const parlo::ContactBook& book = *contacts;
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
    Application& app = frame.App();
    out.Text("start_number", app.settings().start_number);
    WriteSettings(out, app.settings());
    WriteConversations(out, app.store().Model());
    WriteContacts(out, app.contacts());
  });
}

void RemoveFrameState(int id) {
  if (id) platform::automation::RemoveStateSource(id);
}
