#include "e2e/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace e2e {
namespace {

// Generous: a failing program shows up as a failed test, never as a hung one.
constexpr int kAnswerTimeoutMs = 30000;

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

std::vector<std::string> EnvironmentWithout(const std::vector<std::string>& names) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry = *e;
    bool drop = false;
    for (const std::string& n : names) drop = drop || entry.compare(0, n.size() + 1, n + "=") == 0;
    if (!drop) env.push_back(entry);
  }
  return env;
}

pid_t Spawn(const std::string& path, const std::vector<std::string>& args, int stdinFd, int stdoutFd,
            int stderrFd, const std::vector<std::string>& unsetEnv, const std::vector<int>& closeFds) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
  posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  posix_spawn_file_actions_adddup2(&actions, stderrFd, 2);
  for (int fd : closeFds) posix_spawn_file_actions_addclose(&actions, fd);
  std::vector<std::string> all = {path};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = EnvironmentWithout(unsetEnv);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + path);
  return pid;
}

std::string ReadAll(int fd) {
  std::string out;
  char buf[4096];
  for (ssize_t n; (n = read(fd, buf, sizeof buf)) > 0;) out.append(buf, static_cast<size_t>(n));
  return out;
}

}  // namespace

std::filesystem::path BinDir() {
  const char* dir = std::getenv("PARLO_BIN_DIR");
  if (!dir) throw std::runtime_error("PARLO_BIN_DIR is not set");
  return dir;
}

Finished Run(const std::string& binary, const std::vector<std::string>& args, const std::string& input,
             const std::vector<std::string>& unsetEnv) {
  int in[2], out[2], err[2];
  if (pipe(in) || pipe(out) || pipe(err)) throw std::runtime_error("pipe failed");
  pid_t pid = Spawn((BinDir() / binary).string(), args, in[0], out[1], err[1], unsetEnv,
                    {in[1], out[0], err[0]});
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
    // The program may end without reading; its answer still tells.
  }
  close(in[1]);
  Finished f;
  // Outputs of these runs are small; stderr after stdout cannot fill its pipe first.
  f.out = ReadAll(out[0]);
  f.err = ReadAll(err[0]);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  f.exitCode = ExitCodeOf(status);
  return f;
}

Parlo::Parlo(const std::filesystem::path& device, const std::vector<std::string>& args, const char* start) {
  int in[2], out[2];
  if (pipe(in) || pipe(out)) throw std::runtime_error("pipe failed");
  std::vector<std::string> all = {"--device", device.string(), "--headless", "--automate", "--virtual-clock", start};
  all.insert(all.end(), args.begin(), args.end());
  pid_ = Spawn((BinDir() / "parlo").string(), all, in[0], out[1], 2, {}, {in[1], out[0]});
  close(in[0]);
  close(out[1]);
  in_ = in[1];
  out_ = out[0];
  signal(SIGPIPE, SIG_IGN);
}

Parlo::~Parlo() {
  if (in_ >= 0) close(in_);
  if (pid_ > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
    }
  }
  if (out_ >= 0) close(out_);
}

std::string Parlo::ReadLine() {
  for (;;) {
    size_t nl = buffered_.find('\n');
    if (nl != std::string::npos) {
      std::string line = buffered_.substr(0, nl);
      buffered_.erase(0, nl + 1);
      return line;
    }
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, kAnswerTimeoutMs) <= 0) throw std::runtime_error("parlo gave no answer");
    char buf[4096];
    ssize_t n = read(out_, buf, sizeof buf);
    if (n <= 0) throw std::runtime_error("parlo closed its output");
    buffered_.append(buf, static_cast<size_t>(n));
  }
}

nlohmann::json Parlo::Send(const std::string& line) {
  std::string text = line + "\n";
  if (write(in_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
    throw std::runtime_error("cannot write to parlo");
  }
  return nlohmann::json::parse(ReadLine());
}

int Parlo::Wait() {
  if (in_ >= 0) {
    close(in_);
    in_ = -1;
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return ExitCodeOf(status);
}

}  // namespace e2e
