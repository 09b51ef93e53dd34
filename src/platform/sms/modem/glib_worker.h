// A thread that runs a GLib main loop of its own. Everything libmm-glib does happens there: its
// proxies deliver their signals and property changes to the context they were made in, which
// this thread keeps turning, while the UI thread waits in the phone's own message loop.
#pragma once
#include <functional>
#include <thread>

typedef struct _GMainContext GMainContext;
typedef struct _GMainLoop GMainLoop;

namespace platform::sms {

class GlibWorker {
 public:
  GlibWorker();
  // Runs the jobs already posted, then stops the loop and joins the thread.
  ~GlibWorker();
  GlibWorker(const GlibWorker&) = delete;
  GlibWorker& operator=(const GlibWorker&) = delete;

  // Runs `job` on the worker thread, after the jobs posted before it; callable from any thread.
  void Post(std::function<void()> job);

 private:
  GMainContext* context_;
  GMainLoop* loop_;
  std::thread thread_;
};

}  // namespace platform::sms
