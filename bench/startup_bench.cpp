// Headless start to the first frame on an empty device: parlo is started with automation and
// the time runs until it answers `screen` (the frame is up, painted and idle).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path BinDir() {
  if (const char* dir = std::getenv("PARLO_BIN_DIR")) return dir;
  return fs::read_symlink("/proc/self/exe").parent_path();
}

pid_t Spawn(std::vector<std::string> args, int in, int out) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in, 0);
  posix_spawn_file_actions_adddup2(&actions, out, 1);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) throw std::runtime_error("spawn");
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void ReadLine(int fd) {
  char c = 0;
  while (c != '\n') {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 30000) <= 0 || read(fd, &c, 1) != 1) throw std::runtime_error("no answer");
  }
}

void StartToFirstFrame(benchmark::State& state) {
  fs::path bin = BinDir();
  std::string tmpl = (fs::temp_directory_path() / "parlo-bench-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp");
  fs::path device = fs::path(tmpl) / "device";
  {
    int status = 0;
    pid_t init = Spawn({(bin / "parlo-device").string(), "--device", device.string(), "init", "--empty"}, 0, 1);
    waitpid(init, &status, 0);
  }
  for (auto _ : state) {
    int in[2], out[2];
    if (pipe(in) || pipe(out)) throw std::runtime_error("pipe");
    pid_t pid = Spawn({(bin / "parlo").string(), "--device", device.string(), "--headless", "--automate",
                       "--virtual-clock", "2024-03-05 14:07:09"},
                      in[0], out[1]);
    close(in[0]);
    close(out[1]);
    (void)!write(in[1], "screen\n", 7);
    ReadLine(out[0]);
    state.PauseTiming();
    (void)!write(in[1], "quit\n", 5);
    ReadLine(out[0]);
    close(in[1]);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    state.ResumeTiming();
  }
  fs::remove_all(tmpl);
}

}  // namespace

BENCHMARK(StartToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(30)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK_MAIN();
