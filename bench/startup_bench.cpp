// Headless start to the first frame, on an empty device, on a busy phone and with 100 camera
// photos in the address book: parlo is started with automation and the time runs until it
// answers `screen` (the frame is up, painted and idle).
#include <benchmark/benchmark.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "kit/bench_device.h"

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

void RunDeviceTool(std::vector<std::string> args) {
  args.insert(args.begin(), (BinDir() / "parlo-device").string());
  int status = 0;
  waitpid(Spawn(args, 0, 1), &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("parlo-device failed");
}

// One start of parlo on `device`, timed from the spawn until it answers `screen` (the frame is
// up, painted and idle); then it is told to quit, untimed. Without a state, nothing is timed.
// Returns the processor time parlo used in all (start, quit and exit, every thread), in
// milliseconds: on a shared machine the wall time says as much about the neighbours.
double TimeOneStart(benchmark::State* state, const fs::path& device) {
  int in[2], out[2];
  if (pipe(in) || pipe(out)) throw std::runtime_error("pipe");
  pid_t pid = Spawn({(BinDir() / "parlo").string(), "--device", device.string(), "--headless", "--automate",
                     "--virtual-clock", "2024-03-05 14:07:09"},
                    in[0], out[1]);
  close(in[0]);
  close(out[1]);
  (void)!write(in[1], "screen\n", 7);
  ReadLine(out[0]);
  if (state) state->PauseTiming();
  (void)!write(in[1], "quit\n", 5);
  ReadLine(out[0]);
  close(in[1]);
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  if (state) state->ResumeTiming();
  auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void StartToFirstFrame(benchmark::State& state) {
  bench::TempDir temp;
  fs::path device = temp.path() / "device";
  RunDeviceTool({"--device", device.string(), "init", "--empty"});
  for (auto _ : state) TimeOneStart(&state, device);
}

// A busy phone: 20,000 messages from 500 numbers and 1,000 contacts with pictures, half of them
// among the correspondents. `cached`: the contact cache of an earlier run is there (the usual
// start); otherwise every start reads the address book and its pictures afresh.
void StartToFirstFrameBusyPhone(benchmark::State& state, bool cached) {
  bench::TempDir temp;
  fs::path device = temp.path() / "device";
  RunDeviceTool({"--device", device.string(), "init", "--empty"});
  bench::UseDevice(device);
  bench::FillReceived(20000, 500, false);
  std::ofstream(device / "contacts.vcf", std::ios::binary) << bench::ContactsVcf(1000, 250, true);
  fs::path cache = device / "Program Files" / "Parlo" / "allcontacts.dat";
  if (cached) {
    TimeOneStart(nullptr, device);  // writes the cache at its end
    if (!fs::exists(cache)) state.SkipWithError("no contact cache after a run");
  }
  for (auto _ : state) {
    if (!cached) {
      state.PauseTiming();
      fs::remove(cache);
      state.ResumeTiming();
    }
    TimeOneStart(&state, device);
  }
}
void StartToFirstFrameBusyPhoneCached(benchmark::State& state) { StartToFirstFrameBusyPhone(state, true); }
void StartToFirstFrameBusyPhoneNoCache(benchmark::State& state) { StartToFirstFrameBusyPhone(state, false); }

// 100 contacts, each with a 12-megapixel camera photo of its own, side by side with the same
// cards without photos. `first`: nothing of an earlier run is kept (no contact cache, no scaled
// pictures, no index of the book), so every photo is read and decoded; otherwise an earlier run
// left them, as on every start after the first.
void StartWithCameraPhotos(benchmark::State& state, bool photos, bool first) {
  bench::TempDir temp;
  fs::path device = temp.path() / "device";
  RunDeviceTool({"--device", device.string(), "init", "--empty"});
  std::ofstream(device / "contacts.vcf", std::ios::binary) << bench::CameraContactsVcf(100, photos);
  state.counters["book_MB"] = static_cast<double>(fs::file_size(device / "contacts.vcf")) / 1e6;
  fs::path program = device / "Program Files" / "Parlo";
  auto forget = [&] {
    for (fs::path p : {program / "allcontacts.dat", program / "allcontacts.dat.book", program / "allcontacts.pic",
                       device / "contacts.idx"})
      fs::remove(p);
  };
  if (!first) TimeOneStart(nullptr, device);  // the earlier run
  double cpu = 0;
  for (auto _ : state) {
    if (first) {
      state.PauseTiming();
      forget();
      state.ResumeTiming();
    }
    cpu += TimeOneStart(&state, device);
  }
  state.counters["parlo_cpu_ms"] = benchmark::Counter(cpu, benchmark::Counter::kAvgIterations);
  if (!fs::exists(program / "allcontacts.dat")) state.SkipWithError("no contact cache after a run");
}
void StartWith100CameraPhotosFirst(benchmark::State& state) { StartWithCameraPhotos(state, true, true); }
void StartWith100CameraPhotosLater(benchmark::State& state) { StartWithCameraPhotos(state, true, false); }
void StartWith100ContactsNoPhotos(benchmark::State& state) { StartWithCameraPhotos(state, false, false); }

}  // namespace

BENCHMARK(StartToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(30)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(StartToFirstFrameBusyPhoneCached)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(StartToFirstFrameBusyPhoneNoCache)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(StartWith100CameraPhotosFirst)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(2)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(StartWith100CameraPhotosLater)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(StartWith100ContactsNoPhotos)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(3)->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK_MAIN();
