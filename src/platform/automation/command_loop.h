// `--automate`: one command a line on stdin, one JSON answer a line on stdout, each given once
// the program has handled everything the command caused. Commands are taken by an idle poller
// on the UI thread, so they keep coming while a modal loop waits for an answer.
#pragma once
#include <cstdio>
#include <string>

namespace platform::automation {

// Starts reading `in` on a thread of its own and registers the poller. Answers go to `out`.
void StartCommandLoop(std::FILE* in, std::FILE* out);
// When the program has ended: answers the command that ended it, and a pending `quit` with the
// program's exit code.
void AnswerQuit(int exitCode);

}  // namespace platform::automation
