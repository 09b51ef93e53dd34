#include "platform/automation/command_loop.h"

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

// Filled by the reader thread, emptied by the UI thread. Shared so the reader, which may still
// be blocked on its input when the program ends, never touches freed memory.
struct Inbox {
  std::mutex lock;
  std::deque<std::string> lines;
  bool ended = false;
};

struct Running {
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

// The program waits for somebody to answer: a message box, a menu or a dialog is up.
bool WaitingForUser() { return ui::CurrentMessageBox() || ui::CurrentMenu() || ui::CurrentDialog(); }

std::optional<std::string> NextLine() {
  Inbox& inbox = *g_session->inbox;
  std::lock_guard<std::mutex> guard(inbox.lock);
  if (inbox.lines.empty()) {
    if (inbox.ended && !g_session->closing) {
      // Input gone: nobody is left to drive the program, so it closes the normal way.
      g_session->closing = true;
      return std::string("quit");
    }
    return std::nullopt;
  }
  std::string line = std::move(inbox.lines.front());
  inbox.lines.pop_front();
  return line;
}

void Poll() {
  Session& s = *g_session;
  if (!wm::IsIdle()) return;
  if (s.pending) {
    Emit(*s.pending);
    s.pending.reset();
  }
  if (!s.running.empty()) {
    // Inside a command's own work. Only a wait for the user lets the session go on: the
    // command is answered now so the next ones can see and answer what is on screen.
    if (!WaitingForUser()) return;
    for (Running* r : s.running) {
      if (!r->answered && !(s.quitPending && r == s.running.front())) {
        Emit(nlohmann::json{{"ok", true}});
        r->answered = true;
      }
    }
  }
  while (!s.quitPending) {
    std::optional<std::string> line = NextLine();
    if (!line) return;
    if (line->find_first_not_of(" \t\r") == std::string::npos) continue;
    Running self;
    s.running.push_back(&self);
    CommandResult result = RunCommand(*line);
    s.running.pop_back();
    if (self.answered) continue;
    if (result.quit) {
      s.quitPending = true;
      return;
    }
    if (!wm::IsIdle()) {
      // Answered once the program has handled what the command caused.
      s.pending = std::move(result.answer);
      return;
    }
    Emit(result.answer);
  }
}

void ReadLines(std::shared_ptr<Inbox> inbox, std::FILE* in) {
  std::string line;
  for (int c; (c = std::fgetc(in)) != EOF;) {
    if (c != '\n') {
      line += static_cast<char>(c);
      continue;
    }
    {
      std::lock_guard<std::mutex> guard(inbox->lock);
      inbox->lines.push_back(std::move(line));
    }
    line.clear();
    wm::Wake();
  }
  {
    std::lock_guard<std::mutex> guard(inbox->lock);
    if (!line.empty()) inbox->lines.push_back(std::move(line));
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
  wm::AddIdlePoller(Poll);
}

void AnswerQuit(int exitCode) {
  if (!g_session || !g_session->quitPending) return;
  Emit(nlohmann::json{{"exit", exitCode}});
  g_session->quitPending = false;
}

}  // namespace platform::automation
