#include "platform/sms/modem/ui_post.h"

#include <deque>
#include <mutex>

#include "platform/wm/loop.h"

namespace platform::sms {
namespace {

struct Posts {
  std::mutex lock;
  std::deque<std::function<void()>> jobs;
  bool started = false;
};

Posts& ThePosts() {
  static Posts* posts = new Posts();  // outlives every thread that may still post at exit
  return *posts;
}

void RunPosted() {
  Posts& posts = ThePosts();
  for (;;) {
    std::function<void()> job;
    {
      std::lock_guard<std::mutex> guard(posts.lock);
      if (posts.jobs.empty()) return;
      job = std::move(posts.jobs.front());
      posts.jobs.pop_front();
    }
    job();
  }
}

}  // namespace

void StartUiPosts() {
  Posts& posts = ThePosts();
  if (posts.started) return;
  posts.started = true;
  wm::AddIdlePoller(RunPosted);
}

void PostToUi(std::function<void()> job) {
  {
    Posts& posts = ThePosts();
    std::lock_guard<std::mutex> guard(posts.lock);
    posts.jobs.push_back(std::move(job));
  }
  wm::Wake();
}

}  // namespace platform::sms
