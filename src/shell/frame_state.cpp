#include "shell/frame_state.h"

#include "platform/automation/state.h"
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

}  // namespace

int AddFrameState(const MainFrame& frame) {
  return platform::automation::AddStateSource([&frame](platform::automation::StateWriter& out) {
    out.Int("mode", frame.CurrentMode());
    out.Int("previous", frame.PreviousMode());
    out.Int("start_mode", frame.StartMode());
    out.Text("start_number", Settings::Exists() ? Settings::Instance().start_number : u"");
    WriteSettings(out);
  });
}

void RemoveFrameState(int id) {
  if (id) platform::automation::RemoveStateSource(id);
}
