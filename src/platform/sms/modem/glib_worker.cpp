#include "platform/sms/modem/glib_worker.h"

#include <glib.h>

namespace platform::sms {
namespace {

gboolean RunJob(gpointer data) {
  (*static_cast<std::function<void()>*>(data))();
  return G_SOURCE_REMOVE;
}

void DropJob(gpointer data) { delete static_cast<std::function<void()>*>(data); }

}  // namespace

GlibWorker::GlibWorker() : context_(g_main_context_new()), loop_(g_main_loop_new(context_, FALSE)) {
  thread_ = std::thread([this] {
    g_main_context_push_thread_default(context_);
    g_main_loop_run(loop_);
    // What the last jobs left behind (GDBus frees a dropped subscription in an idle of this
    // context) runs before the thread ends.
    while (g_main_context_iteration(context_, FALSE)) {
    }
    g_main_context_pop_thread_default(context_);
  });
}

GlibWorker::~GlibWorker() {
  Post([loop = loop_] { g_main_loop_quit(loop); });
  thread_.join();
  g_main_loop_unref(loop_);
  g_main_context_unref(context_);
}

void GlibWorker::Post(std::function<void()> job) {
  GSource* source = g_idle_source_new();
  g_source_set_priority(source, G_PRIORITY_DEFAULT);
  g_source_set_callback(source, RunJob, new std::function<void()>(std::move(job)), DropJob);
  g_source_attach(source, context_);
  g_source_unref(source);
}

}  // namespace platform::sms
