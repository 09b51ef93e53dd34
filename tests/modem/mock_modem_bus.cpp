#include "modem/mock_modem_bus.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

extern char** environ;

namespace modem_test {
namespace {

constexpr char kService[] = "org.freedesktop.ModemManager1";
constexpr char kMainObject[] = "/org/freedesktop/ModemManager1";
constexpr char kMockInterface[] = "org.freedesktop.DBus.Mock";
constexpr char kPython[] = "/usr/bin/python3";  // Debian's, where python3-dbusmock lives
constexpr guint kWaitMs = 10000;

// Starts `args` with its output to `stdoutFd` (-1: nowhere); its complaints go nowhere either.
pid_t Spawn(std::vector<std::string> args, int stdoutFd) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
  else
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int Status(std::vector<std::string> args) {
  pid_t pid = Spawn(std::move(args), -1);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Stop(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  int status = 0;
  waitpid(pid, &status, 0);
}

// Turns GLib's default context until `done` or the time is up.
template <typename Done>
bool Drive(Done done) {
  bool late = false;
  guint timer = g_timeout_add(kWaitMs, [](gpointer late) { *static_cast<bool*>(late) = true; return G_SOURCE_REMOVE; }, &late);
  while (!done() && !late) g_main_context_iteration(nullptr, TRUE);
  if (!late) g_source_remove(timer);
  return done();
}

}  // namespace

std::string MockModemBus::Missing() {
  static const std::string missing = [] {
    if (Status({"dbus-daemon", "--version"}) != 0) return "dbus-daemon is not installed (make deps installs it)";
    if (Status({kPython, "-c", "import dbusmock"}) != 0) return "python3-dbusmock is not installed (make deps installs it)";
    return "";
  }();
  return missing;
}

MockModemBus::MockModemBus() {
  int out[2];
  if (pipe(out) != 0) {
    problem_ = "no pipe";
    return;
  }
  daemon_ = Spawn({"dbus-daemon", "--session", "--nofork", "--print-address=1"}, out[1]);
  close(out[1]);
  std::string address;
  for (char c; read(out[0], &c, 1) == 1 && c != '\n';) address += c;
  close(out[0]);
  if (daemon_ < 0 || address.empty()) {
    problem_ = "dbus-daemon did not start";
    return;
  }
  setenv("DBUS_SYSTEM_BUS_ADDRESS", address.c_str(), 1);
  mock_ = Spawn({kPython, "-m", "dbusmock", "--template", PARLO_MOCK_MODEM}, -1);
  GError* error = nullptr;
  bus_ = g_dbus_connection_new_for_address_sync(
      address.c_str(),
      GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, &error);
  if (!bus_) {
    problem_ = error->message;
    g_error_free(error);
    return;
  }
  subscription_ = g_dbus_connection_signal_subscribe(bus_, kService, kMockInterface, "MethodCalled", nullptr, nullptr,
                                                     G_DBUS_SIGNAL_FLAGS_NONE, OnMethodCalled, this, nullptr);
  bool up = false;
  guint watch = g_bus_watch_name_on_connection(
      bus_, kService, G_BUS_NAME_WATCHER_FLAGS_NONE,
      [](GDBusConnection*, const char*, const char*, gpointer up) { *static_cast<bool*>(up) = true; }, nullptr, &up,
      nullptr);
  if (!Drive([&] { return up; })) problem_ = "the mock ModemManager did not come up";
  g_bus_unwatch_name(watch);
}

MockModemBus::~MockModemBus() {
  if (bus_) {
    g_dbus_connection_signal_unsubscribe(bus_, subscription_);
    g_object_unref(bus_);
  }
  Stop(mock_);
  Stop(daemon_);
  unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

void MockModemBus::OnMethodCalled(GDBusConnection*, const char*, const char*, const char*, const char*,
                                  GVariant* args, gpointer self) {
  auto* bus = static_cast<MockModemBus*>(self);
  const char* name = nullptr;
  GVariant* values = nullptr;
  g_variant_get(args, "(&s@av)", &name, &values);
  ++bus->calls_[name];
  if (std::string(name) == "Create") {
    // One argument: the properties, each a variant of its own type.
    GVariant* first = g_variant_get_child_value(values, 0);
    GVariant* dict = g_variant_get_variant(first);
    std::map<std::string, std::string> properties;
    GVariantIter iter;
    g_variant_iter_init(&iter, dict);
    const char* key = nullptr;
    GVariant* value = nullptr;
    while (g_variant_iter_next(&iter, "{&sv}", &key, &value)) {
      gchar* text = g_variant_is_of_type(value, G_VARIANT_TYPE_STRING) ? g_variant_dup_string(value, nullptr)
                                                                        : g_variant_print(value, FALSE);
      properties[key] = text;
      g_free(text);
      g_variant_unref(value);
    }
    bus->created_.push_back(properties);
    g_variant_unref(dict);
    g_variant_unref(first);
  }
  g_variant_unref(values);
}

GVariant* MockModemBus::Call(const char* method, GVariant* args) {
  GError* error = nullptr;
  GVariant* reply = g_dbus_connection_call_sync(bus_, kService, kMainObject, kMockInterface, method, args, nullptr,
                                                G_DBUS_CALL_FLAGS_NONE, kWaitMs, nullptr, &error);
  if (!reply) {
    std::string why = error->message;
    g_error_free(error);
    throw std::runtime_error(std::string(method) + ": " + why);
  }
  return reply;
}

void MockModemBus::Reset() {
  g_variant_unref(Call("Reset", nullptr));
  // Calls of the test before, whose signals came ahead of the answer, are not this test's.
  while (g_main_context_iteration(nullptr, FALSE)) {
  }
  calls_.clear();
  created_.clear();
}

std::string MockModemBus::AddReceived(const std::string& number, const std::string& text, const std::string& stamp,
                                      bool complete) {
  GVariant* reply =
      Call("AddReceived", g_variant_new("(sssb)", number.c_str(), text.c_str(), stamp.c_str(), complete));
  const char* path = nullptr;
  g_variant_get(reply, "(&o)", &path);
  std::string out = path;
  g_variant_unref(reply);
  return out;
}

void MockModemBus::CompleteReceived(const std::string& path) {
  g_variant_unref(Call("CompleteReceived", g_variant_new("(o)", path.c_str())));
}
void MockModemBus::FailSends(bool fail) { g_variant_unref(Call("FailSends", g_variant_new("(b)", fail))); }
void MockModemBus::FailDeletes(bool fail) { g_variant_unref(Call("FailDeletes", g_variant_new("(b)", fail))); }
void MockModemBus::RemoveModem() { g_variant_unref(Call("RemoveModem", nullptr)); }

std::vector<std::string> MockModemBus::MessageTexts() {
  GVariant* reply = Call("Messages", nullptr);
  std::vector<std::string> texts;
  GVariantIter* messages = nullptr;
  g_variant_get(reply, "(aa{sv})", &messages);
  GVariant* message = nullptr;
  while ((message = g_variant_iter_next_value(messages))) {
    const char* text = "";
    g_variant_lookup(message, "Text", "&s", &text);
    texts.push_back(text);
    g_variant_unref(message);
  }
  g_variant_iter_free(messages);
  g_variant_unref(reply);
  return texts;
}

std::vector<std::map<std::string, std::string>> MockModemBus::Created() { return created_; }

bool MockModemBus::WaitForCalls(const std::string& method, int count) {
  return Drive([&] { return calls_[method] >= count; });
}

}  // namespace modem_test
