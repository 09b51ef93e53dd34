#include "shell/frame_state.h"

#include "compose/send_view.h"
#include "platform/automation/state.h"
#include "shell/application.h"
#include "shell/main_frame.h"
#include "views/picker_view.h"

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

void WriteRange(platform::automation::StateWriter& out, const char* key, const int32_t range[2]) {
  out.BeginArray(key);
  out.Int(nullptr, range[0]);
  out.Int(nullptr, range[1]);
  out.EndArray();
}

void WriteEntry(platform::automation::StateWriter& out, const parlo::ContactEntry& e) {
  out.BeginObject(nullptr);
  out.Int("oid", e.oid);
  out.Text("name", std::u16string_view(e.name, std::char_traits<char16_t>::length(e.name)));
  const WCHAR* numbers[3] = {e.mobile, e.business, e.home};
  const WCHAR* number = e.selectedNumber >= 0 && e.selectedNumber < 3 ? numbers[e.selectedNumber] : e.mobile;
  out.Text("number", number);
  WriteRange(out, "name_match", e.nameMatch);
  WriteRange(out, "number_match", e.numberMatch);
  out.EndObject();
}

// The query, and once the picker has been shown the contacts it lists (in order) and the ones
// picked from it.
void WriteContacts(platform::automation::StateWriter& out, parlo::ContactBook* contacts,
                   parlo::PickerView* picker) {
  if (!contacts) return;
  parlo::ContactBook& book = *contacts;
  out.BeginObject("contacts");
  out.Int("count", book.Count());
  out.Bool("from_store", book.LoadedFromStore());
  out.Text("letters", book.Letters());
  out.Text("digits", book.Digits());
  const auto& categories = book.Categories();
  int category = book.CategoryIndex();
  out.Text("category", category >= 0 && category < static_cast<int>(categories.size()) ? categories[category] : u"");
  out.Bool("hangul", book.HangulMode());
  if (picker) {
    out.BeginArray("listed");
    for (int i = 0; i < picker->list().RowCount(); ++i)
      if (const parlo::ContactEntry* e = book.EntryAt(i)) WriteEntry(out, *e);
    out.EndArray();
    out.BeginArray("picked");
    for (const parlo::ContactEntry* e : book.GroupList()) WriteEntry(out, *e);
    out.EndArray();
  }
  out.EndObject();
}

// The compose view once it exists: its fields, its flags and the counter in its top bar.
void WriteCompose(platform::automation::StateWriter& out, const compose::SendView* view) {
  if (!view || !view->Window()) return;
  const compose::ComposeFlags& f = view->Flags();
  out.BeginObject("compose");
  out.Text("text", view->FieldText(IDC_TEXT, compose::kTextFieldChars));
  out.Text("recipient", view->FieldText(IDC_RECIPIENT, compose::kRecipientFieldChars));
  out.Text("sender", view->FieldText(IDC_SENDER, compose::kCallbackFieldChars));
  out.Bool("initialised", f.initialised);
  out.Bool("reply_source", f.replySource);
  out.Bool("forward", f.forward);
  out.Bool("picked", f.picked);
  out.Bool("sender_enabled", f.senderEnabled);
  out.Bool("mms_declined", f.mmsDeclined);
  out.Bool("sending", f.sending);
  out.Text("counter", view->Counter());
  out.EndObject();
}

void WriteRect(platform::automation::StateWriter& out, const char* key, HWND window, RECT r) {
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  out.BeginArray(key);
  for (LONG v : {r.left, r.top, r.right, r.bottom}) out.Int(nullptr, v);
  out.EndArray();
}

// The keypad's keys while the picker is on screen, in screen coordinates.
void WriteKeypad(platform::automation::StateWriter& out, parlo::PickerView* picker) {
  if (!picker || !picker->Window() || !IsWindowVisible(picker->Window())) return;
  const parlo::ContactKeypad& keypad = picker->keypad();
  out.BeginArray("keypad");
  for (int key = 0; key < parlo::ContactKeypad::kKeyCount; ++key) {
    out.BeginObject(nullptr);
    out.Int("key", key);
    out.Text("caption", keypad.TopCaption(key));
    out.Text("letters", keypad.BottomCaption(key));
    WriteRect(out, "rect", keypad.hwnd(), keypad.KeyRect(key));
    out.EndObject();
  }
  out.EndArray();
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
    WriteContacts(out, app.contacts(), frame.Picker());
    WriteCompose(out, frame.Composer());
  });
}

void RemoveFrameState(int id) {
  if (id) platform::automation::RemoveStateSource(id);
}

int AddFrameScreen(const MainFrame& frame) {
  return platform::automation::AddScreenSource(
      [&frame](platform::automation::StateWriter& out) { WriteKeypad(out, frame.Picker()); });
}

void RemoveFrameScreen(int id) {
  if (id) platform::automation::RemoveScreenSource(id);
}
