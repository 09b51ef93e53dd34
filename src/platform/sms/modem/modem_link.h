// The modem as ModemManager offers it, held on the GLib worker thread: the manager, the modem in
// use and its messaging interface, attached again when the modem comes back. Every member
// function runs on the worker; the UI thread reaches it only through posted jobs.
#pragma once
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "platform/sms/inbox.h"
#include "platform/sms/modem/glib_worker.h"
#include "platform/sms/network.h"

typedef struct _GDBusConnection GDBusConnection;
typedef struct _MMManager MMManager;
typedef struct _MMObject MMObject;
typedef struct _MMModemMessaging MMModemMessaging;
typedef struct _MMSms MMSms;

namespace platform::sms {

class ModemLink : public std::enable_shared_from_this<ModemLink> {
 public:
  explicit ModemLink(bool receiving) : receiving_(receiving) {}
  ~ModemLink();

  GlibWorker& worker() { return *worker_; }

  // Empty when a modem that can message is attached, else why not.
  std::string Connect();
  Delivery Send(const OutgoingMessage& message);
  std::optional<std::u16string> OwnNumber();
  // Offers every complete received message the modem holds that was not offered yet.
  void TakeInWaiting();

 private:
  bool Attach();
  void Detach();
  void Consider(MMSms* sms);
  void Offer(MMSms* sms);
  // After the inbox has `message`: the modem's copy goes, then the inbox may forget it.
  void DeleteTaken(const ReceivedMessage& message);
  void Release();

  static void OnAdded(MMModemMessaging*, const char* path, int received, ModemLink* self);
  static void OnObjectAdded(void* manager, void* object, ModemLink* self);
  static void OnObjectRemoved(void* manager, void* object, ModemLink* self);
  static void OnStateChanged(MMSms* sms, void* property, ModemLink* self);

  const bool receiving_;
  GDBusConnection* bus_ = nullptr;
  MMManager* manager_ = nullptr;
  MMObject* object_ = nullptr;
  MMModemMessaging* messaging_ = nullptr;
  unsigned long addedHandler_ = 0;
  std::set<std::string> offered_;       // handed to the inbox, not yet deleted from the modem
  std::map<std::string, MMSms*> partial_;  // received messages still waiting for parts, by path
  std::unique_ptr<GlibWorker> worker_ = std::make_unique<GlibWorker>();
};

}  // namespace platform::sms
