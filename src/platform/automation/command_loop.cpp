#include "platform/automation/command_loop.h"

#include <cstdio>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/automation/commands.h"
#include "platform/ui/ui_state.h"
#include "platform/wm/loop.h"

namespace platform::automation {
namespace {

// Longer command lines are refused; the reader keeps no more of one than this.
constexpr size_t kMaxLine = 64 * 1024;

struct Line {
  std::string text;  // at most kMaxLine bytes
  bool tooLong = false;
};

// Filled by the reader thread, emptied by the UI thread. Shared so the reader, which may still
// be blocked on its input when the program ends, never touches freed memory.
struct Inbox {
  std::mutex lock;
  std::deque<Line> lines;
  bool ended = false;
};

struct Running {
  int modalDepth = 0;  // modal loops already running when the command started
  bool answered = false;
};

struct Session {
  std::shared_ptr<Inbox> inbox = std::make_shared<Inbox>();
  std::FILE* out = nullptr;
  std::vector<Running*> running;           // commands in progress, outermost first
  std::optional<nlohmann::json> pending;   // ran, to be answered when the program is idle
  bool quitPending = false;
  bool closing = false;
};

Session* g_session = nullptr;

void Emit(const nlohmann::json& answer) {
  std::string text = answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  text += '\n';
  std::fwrite(text.data(), 1, text.size(), g_session->out);
  std::fflush(g_session->out);
}

void EmitPending() {
  if (!g_session->pending) return;
  Emit(*g_session->pending);
  g_session->pending.reset();
}

// The innermost running command opened a modal loop (a message box, a menu, a dialog) that
// waits for somebody to answer it.
bool WaitingForUser() {
  Session& s = *g_session;
  if (s.running.empty() || wm::ModalDepth() <= s.running.back()->modalDepth) return false;
  return ui::CurrentMessageBox() || ui::CurrentMenu() || ui::CurrentDialog();
}

std::optional<Line> NextLine() {
  Inbox& inbox = *g_session->inbox;
  std::lock_guard<std::mutex> guard(inbox.lock);
  if (inbox.lines.empty()) {
    if (inbox.ended && !g_session->closing) {
      // Input gone: nobody is left to drive the program, so it closes the normal way.
      g_session->closing = true;
      return Line{"quit"};
    }
    return std::nullopt;
  }
  Line line = std::move(inbox.lines.front());
  inbox.lines.pop_front();
  return line;
}

// Called whenever the program is idle, also from modal loops that a command opened while it
// ran: such a command is answered there, so the next commands can see and answer the loop.
void Poll() {
  Session& s = *g_session;
  for (;;) {
    if (!wm::IsIdle()) return;
    EmitPending();
    if (!s.running.empty()) {
      // Inside a command's own work: only a wait for the user lets the session go on.
      if (!WaitingForUser()) return;
      for (Running* r : s.running) {
        if (r->answered) continue;
        Emit(nlohmann::json{{"ok", true}});
        r->answered = true;
      }
    }
    if (s.quitPending) return;
    std::optional<Line> line = NextLine();
    if (!line) return;
    if (line->tooLong) {
      s.pending = nlohmann::json{
          {"error", "command line longer than " + std::to_string(kMaxLine) + " bytes: " + ShortEcho(line->text)}};
      continue;
    }
    if (line->text.find_first_not_of(" \t\r") == std::string::npos) continue;
    Running self{wm::ModalDepth()};
    s.running.push_back(&self);
    CommandResult result = RunCommand(line->text);
    s.running.pop_back();
    if (self.answered) continue;
    if (result.quit) {
      s.quitPending = true;
      return;
    }
    // Answered once the program has handled what the command caused.
    s.pending = std::move(result.answer);
  }
}

void ReadLines(std::shared_ptr<Inbox> inbox, std::FILE* in) {
  Line line;
  auto deliver = [&] {
    {
      std::lock_guard<std::mutex> guard(inbox->lock);
      inbox->lines.push_back(std::move(line));
    }
    line = Line{};
    wm::Wake();
  };
  // This thread alone reads `in`.
  for (int c; (c = getc_unlocked(in)) != EOF;) {
    if (c == '\n') {
      deliver();
    } else if (line.text.size() < kMaxLine) {
      line.text += static_cast<char>(c);
    } else {
      line.tooLong = true;  // the rest is skipped up to the end of the line
    }
  }
  if (!line.text.empty()) deliver();
  {
    std::lock_guard<std::mutex> guard(inbox->lock);
    inbox->ended = true;
  }
  wm::Wake();
}

}  // namespace

void StartCommandLoop(std::FILE* in, std::FILE* out) {
  if (g_session) return;
  g_session = new Session();
  g_session->out = out;
  std::thread(ReadLines, g_session->inbox, in).detach();
  wm::AddIdlePoller(Poll, true);
}

void AnswerQuit(int exitCode) {
  if (!g_session) return;
  Session& s = *g_session;
  // A command that ended the program (a tap on an exit) is owed its answer too.
  EmitPending();
  if (s.quitPending) Emit(nlohmann::json{{"exit", exitCode}});
  s.quitPending = false;
}

}  // namespace platform::automation
