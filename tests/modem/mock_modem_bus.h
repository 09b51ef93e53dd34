// A private system bus (Debian's dbus-daemon) with a mock ModemManager on it (python3-dbusmock
// and mock_modem.py beside this file). DBUS_SYSTEM_BUS_ADDRESS points at it for as long as it
// lives, so the programs a test starts talk to the mock and never to the machine's own bus.
#pragma once
#include <gio/gio.h>
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace modem_test {

class MockModemBus {
 public:
  // What is missing for it to run (dbus-daemon, python3-dbusmock), or nothing.
  static std::string Missing();

  MockModemBus();
  ~MockModemBus();
  MockModemBus(const MockModemBus&) = delete;
  MockModemBus& operator=(const MockModemBus&) = delete;

  // Empty once the mock answers on the bus; else why it does not.
  const std::string& problem() const { return problem_; }

  // The mock back at its start: one modem, no messages, sends and deletes working.
  void Reset();
  // A message the network delivered (complete: all its parts are in); its object path.
  std::string AddReceived(const std::string& number, const std::string& text, const std::string& stamp,
                          bool complete = true);
  void CompleteReceived(const std::string& path);
  void FailSends(bool fail);
  void FailDeletes(bool fail);
  void RemoveModem();
  // The text of each Sms object the modem holds now.
  std::vector<std::string> MessageTexts();
  // The properties the program asked the modem to create messages with, oldest first (as far
  // as WaitForCalls has seen).
  std::vector<std::map<std::string, std::string>> Created();

  // Waits (up to ten seconds) until the modem has been asked `method` `count` times in all.
  bool WaitForCalls(const std::string& method, int count);

 private:
  GVariant* Call(const char* method, GVariant* args);
  static void OnMethodCalled(GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* args,
                             gpointer self);

  std::string problem_;
  pid_t daemon_ = -1, mock_ = -1;
  GDBusConnection* bus_ = nullptr;
  guint subscription_ = 0;
  std::map<std::string, int> calls_;
  std::vector<std::map<std::string, std::string>> created_;
};

}  // namespace modem_test
