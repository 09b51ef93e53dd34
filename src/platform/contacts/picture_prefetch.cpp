#include "platform/contacts/picture_prefetch.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/contacts/contact_store.h"
#include "platform/contacts/picture_cache.h"

namespace platform::contacts {
namespace {

enum class JobState { kWaiting, kWorking, kDone, kTaken };

struct Job {
  explicit Job(std::shared_ptr<const StoredContact> c) : contact(std::move(c)) {}
  std::shared_ptr<const StoredContact> contact;
  JobState state = JobState::kWaiting;
  Pixels pixels;
};

struct Work {
  std::mutex mutex;
  std::condition_variable done;
  std::vector<Job> jobs;
  std::vector<std::thread> workers;
  bool started = false;
  bool stopping = false;
  int minWidth = 0, minHeight = 0;
};

Work& TheWork() {
  static Work work;
  return work;
}

// Takes jobs from the end of the book: the program takes them from the front.
void RunWorker(Work* w) {
  for (;;) {
    std::shared_ptr<const StoredContact> contact;
    size_t index = 0;
    {
      std::lock_guard<std::mutex> lock(w->mutex);
      if (w->stopping) return;
      size_t i = w->jobs.size();
      while (i > 0 && w->jobs[i - 1].state != JobState::kWaiting) --i;
      if (i == 0) return;
      index = i - 1;
      w->jobs[index].state = JobState::kWorking;
      contact = w->jobs[index].contact;
    }
    Pixels pixels;
    if (!DecodePictureToCover(*ContactStore::Instance().PhotoBytes(contact), w->minWidth, w->minHeight, &pixels))
      pixels = {};
    {
      std::lock_guard<std::mutex> lock(w->mutex);
      w->jobs[index].pixels = std::move(pixels);
      w->jobs[index].state = JobState::kDone;
    }
    w->done.notify_all();
  }
}

}  // namespace

PicturePrefetch& PicturePrefetch::Instance() {
  static PicturePrefetch prefetch;
  return prefetch;
}

PicturePrefetch::~PicturePrefetch() { Stop(); }

void PicturePrefetch::Start(int minWidth, int minHeight) {
  Work& w = TheWork();
  {
    std::lock_guard<std::mutex> lock(w.mutex);
    if (w.started) return;
    w.started = true;
  }
  unsigned cores = std::thread::hardware_concurrency();
  if (cores < 2) return;  // no core to spare: the program decodes each itself
  std::vector<Job> jobs;
  int width = 0, height = 0;
  for (auto& c : ContactStore::Instance().Contacts())
    if (c->photoSize > 0 && !PictureCache::Instance().Find(c->photoDigest, &width, &height)) jobs.emplace_back(c);
  std::lock_guard<std::mutex> lock(w.mutex);
  if (w.stopping) return;
  w.jobs = std::move(jobs);
  w.minWidth = minWidth;
  w.minHeight = minHeight;
  for (unsigned i = 0; i + 1 < cores && i < w.jobs.size(); ++i) w.workers.emplace_back(RunWorker, &w);
}

bool PicturePrefetch::Take(uint64_t digest, Pixels* out) {
  Work& w = TheWork();
  std::unique_lock<std::mutex> lock(w.mutex);
  for (Job& job : w.jobs) {
    if (job.contact->photoDigest != digest || job.state == JobState::kTaken) continue;
    if (job.state == JobState::kWaiting) {
      job.state = JobState::kTaken;  // the caller decodes it now; no worker starts it
      return false;
    }
    w.done.wait(lock, [&] { return job.state == JobState::kDone; });
    job.state = JobState::kTaken;
    *out = std::move(job.pixels);
    return out->width > 0;
  }
  return false;
}

void PicturePrefetch::Stop() {
  Work& w = TheWork();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(w.mutex);
    w.stopping = true;
    workers.swap(w.workers);
  }
  for (std::thread& t : workers) t.join();
  std::lock_guard<std::mutex> lock(w.mutex);
  w.jobs.clear();
  w.started = false;
  w.stopping = false;
}

}  // namespace platform::contacts
