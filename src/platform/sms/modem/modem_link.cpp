#include "platform/sms/modem/modem_link.h"

#include <libmm-glib.h>

#include <cstdio>

#include "platform/base/text.h"
#include "platform/sms/modem/ui_post.h"
#include "platform/sms/simulated_network.h"
#include "winbase.h"

namespace platform::sms {
namespace {

// A modem may take a while to get a message out; longer than this is a failed send.
constexpr int kCallTimeoutMs = 30000;
constexpr size_t kMaxReceivedChars = 255 * 160;

// The error's text; the error is freed and cleared for the next call.
std::string TakeMessage(GError** error) {
  std::string text = *error ? (*error)->message : "no reason given";
  g_clear_error(error);
  return text;
}

// The service centre's ISO 8601 stamp as the phone's local time; all zero when there is none
// (or one no phone's clock could show).
SYSTEMTIME LocalTimeOf(const char* stamp) {
  SYSTEMTIME st{};
  GDateTime* at = stamp && *stamp ? g_date_time_new_from_iso8601(stamp, nullptr) : nullptr;
  if (!at) return st;
  GDateTime* local = g_date_time_to_local(at);
  g_date_time_unref(at);
  if (!local) return st;
  if (g_date_time_get_year(local) < 1980) {
    g_date_time_unref(local);
    return st;
  }
  st.wYear = static_cast<WORD>(g_date_time_get_year(local));
  st.wMonth = static_cast<WORD>(g_date_time_get_month(local));
  st.wDay = static_cast<WORD>(g_date_time_get_day_of_month(local));
  st.wDayOfWeek = static_cast<WORD>(g_date_time_get_day_of_week(local) % 7);
  st.wHour = static_cast<WORD>(g_date_time_get_hour(local));
  st.wMinute = static_cast<WORD>(g_date_time_get_minute(local));
  st.wSecond = static_cast<WORD>(g_date_time_get_second(local));
  g_date_time_unref(local);
  return st;
}

std::u16string Wide(const char* utf8) { return Utf8ToUtf16(utf8 ? utf8 : ""); }

}  // namespace

ModemLink::~ModemLink() {
  worker_->Post([this] { Release(); });
  worker_.reset();  // runs that job, then stops the thread
}

void ModemLink::Release() {
  Detach();
  if (manager_) {
    g_signal_handlers_disconnect_by_data(manager_, this);
    g_object_unref(manager_);
  }
  if (bus_) g_object_unref(bus_);
  manager_ = nullptr;
  bus_ = nullptr;
}

std::string ModemLink::Connect() {
  GError* error = nullptr;
  bus_ = g_bus_get_sync(G_BUS_TYPE_SYSTEM, nullptr, &error);
  if (!bus_) return "cannot reach the system bus: " + TakeMessage(&error);
  manager_ = mm_manager_new_sync(bus_, G_DBUS_OBJECT_MANAGER_CLIENT_FLAGS_DO_NOT_AUTO_START, nullptr, &error);
  if (!manager_) return "cannot talk to ModemManager: " + TakeMessage(&error);
  gchar* owner = g_dbus_object_manager_client_get_name_owner(G_DBUS_OBJECT_MANAGER_CLIENT(manager_));
  if (!owner) return "ModemManager is not running on the system bus";
  g_free(owner);
  g_signal_connect(manager_, "object-added", G_CALLBACK(OnObjectAdded), this);
  g_signal_connect(manager_, "object-removed", G_CALLBACK(OnObjectRemoved), this);
  if (!Attach()) return "ModemManager has no modem that can send short messages";
  return "";
}

bool ModemLink::Attach() {
  if (messaging_) return true;
  GList* objects = g_dbus_object_manager_get_objects(G_DBUS_OBJECT_MANAGER(manager_));
  for (GList* at = objects; at && !messaging_; at = at->next) {
    MMObject* object = MM_OBJECT(at->data);
    MMModemMessaging* messaging = mm_object_get_modem_messaging(object);
    if (!messaging) continue;
    object_ = MM_OBJECT(g_object_ref(object));
    messaging_ = messaging;
  }
  g_list_free_full(objects, g_object_unref);
  if (!messaging_) return false;
  g_dbus_proxy_set_default_timeout(G_DBUS_PROXY(messaging_), kCallTimeoutMs);
  addedHandler_ = g_signal_connect(messaging_, "added", G_CALLBACK(OnAdded), this);
  TakeInWaiting();
  return true;
}

void ModemLink::Detach() {
  for (auto& entry : partial_) {
    g_signal_handlers_disconnect_by_data(entry.second, this);
    g_object_unref(entry.second);
  }
  partial_.clear();
  // What was offered and not deleted stays on the modem; the inbox knows it when it comes back.
  offered_.clear();
  if (messaging_) {
    g_signal_handler_disconnect(messaging_, addedHandler_);
    g_object_unref(messaging_);
  }
  if (object_) g_object_unref(object_);
  messaging_ = nullptr;
  object_ = nullptr;
}

void ModemLink::OnObjectAdded(void*, void*, ModemLink* self) {
  if (!self->messaging_ && self->Attach()) std::fprintf(stderr, "parlo: the modem is back\n");
}

void ModemLink::OnObjectRemoved(void*, void* object, ModemLink* self) {
  if (!self->object_ || object != static_cast<void*>(self->object_)) return;
  self->Detach();
  std::fprintf(stderr, "parlo: the modem is gone; no short message can be sent or received until it is back\n");
}

void ModemLink::OnAdded(MMModemMessaging*, const char*, int received, ModemLink* self) {
  if (received) self->TakeInWaiting();
}

void ModemLink::OnStateChanged(MMSms* sms, void*, ModemLink* self) {
  if (mm_sms_get_state(sms) == MM_SMS_STATE_RECEIVING) return;
  g_signal_handlers_disconnect_by_data(sms, self);
  self->partial_.erase(mm_sms_get_path(sms));
  self->Consider(sms);
  g_object_unref(sms);
}

void ModemLink::TakeInWaiting() {
  if (!receiving_ || !messaging_) return;
  GError* error = nullptr;
  GList* messages = mm_modem_messaging_list_sync(messaging_, nullptr, &error);
  if (error) {
    std::fprintf(stderr, "parlo: cannot list the modem's messages: %s\n", TakeMessage(&error).c_str());
    return;
  }
  for (GList* at = messages; at; at = at->next) Consider(MM_SMS(at->data));
  g_list_free_full(messages, g_object_unref);
}

void ModemLink::Consider(MMSms* sms) {
  const MMSmsPduType type = mm_sms_get_pdu_type(sms);
  if (type != MM_SMS_PDU_TYPE_DELIVER && type != MM_SMS_PDU_TYPE_CDMA_DELIVER) return;
  if (offered_.count(mm_sms_get_path(sms))) return;
  switch (mm_sms_get_state(sms)) {
    case MM_SMS_STATE_RECEIVED: Offer(sms); break;
    case MM_SMS_STATE_RECEIVING:
      // ModemManager joins the parts itself; the message is taken once it is whole.
      if (partial_.emplace(mm_sms_get_path(sms), sms).second) {
        g_object_ref(sms);
        g_signal_connect(sms, "notify::state", G_CALLBACK(OnStateChanged), this);
      }
      break;
    default: break;
  }
}

void ModemLink::Offer(MMSms* sms) {
  ReceivedMessage message;
  message.origin = mm_sms_get_path(sms);
  const char* stamp = mm_sms_get_timestamp(sms);
  message.stamp = stamp ? stamp : "";
  message.from = Wide(mm_sms_get_number(sms));
  // No real message is longer than 255 parts; a longer text from the bus is cut there.
  message.text = Wide(mm_sms_get_text(sms)).substr(0, kMaxReceivedChars);
  message.time = LocalTimeOf(stamp);
  offered_.insert(message.origin);
  std::weak_ptr<ModemLink> weak = weak_from_this();
  PostToUi([weak, message]() mutable {
    std::shared_ptr<ModemLink> self = weak.lock();
    Inbox* inbox = CurrentInbox();
    if (!self || !inbox) return;
    if (message.time.wYear == 0) {
      GetLocalTime(&message.time);
      message.time.wMilliseconds = 0;
    }
    std::string why;
    if (inbox->Take(message, &why) == Intake::kFailed) {
      std::fprintf(stderr, "parlo: a message the modem received cannot be stored (%s); it stays on the modem\n",
                   why.c_str());
      // Offered again with the next message that arrives, or at the next start.
      self->worker().Post([raw = self.get(), origin = message.origin] { raw->offered_.erase(origin); });
      return;
    }
    self->worker().Post([raw = self.get(), message] { raw->DeleteTaken(message); });
  });
}

void ModemLink::DeleteTaken(const ReceivedMessage& message) {
  if (!messaging_) return;  // gone: the inbox recognises it when the modem offers it again
  GError* error = nullptr;
  if (!mm_modem_messaging_delete_sync(messaging_, message.origin.c_str(), nullptr, &error)) {
    std::fprintf(stderr, "parlo: the modem kept a message it was asked to delete: %s\n", TakeMessage(&error).c_str());
    return;
  }
  offered_.erase(message.origin);
  std::weak_ptr<ModemLink> weak = weak_from_this();
  PostToUi([weak, message] {
    if (Inbox* inbox = CurrentInbox(); inbox && weak.lock()) inbox->Forget(message);
  });
}

Delivery ModemLink::Send(const OutgoingMessage& message) {
  if (!messaging_) return Delivery::kUnavailable;
  MMSmsProperties* properties = mm_sms_properties_new();
  mm_sms_properties_set_number(properties, Utf16ToUtf8(message.to).c_str());
  mm_sms_properties_set_text(properties, Utf16ToUtf8(message.text).c_str());
  if (message.messageClass >= 0) mm_sms_properties_set_class(properties, message.messageClass);
  GError* error = nullptr;
  MMSms* sms = mm_modem_messaging_create_sync(messaging_, properties, nullptr, &error);
  g_object_unref(properties);
  if (!sms) {
    std::fprintf(stderr, "parlo: the modem would not take the message: %s\n", TakeMessage(&error).c_str());
    return Delivery::kRefused;
  }
  g_dbus_proxy_set_default_timeout(G_DBUS_PROXY(sms), kCallTimeoutMs);
  const bool sent = mm_sms_send_sync(sms, nullptr, &error);
  if (!sent) std::fprintf(stderr, "parlo: the modem could not send the message: %s\n", TakeMessage(&error).c_str());
  // The program keeps its own record of what it sent; the modem's copy is not needed.
  const std::string path = mm_sms_get_path(sms);
  g_object_unref(sms);
  if (messaging_ && !mm_modem_messaging_delete_sync(messaging_, path.c_str(), nullptr, &error))
    std::fprintf(stderr, "parlo: the modem kept a sent message: %s\n", TakeMessage(&error).c_str());
  return sent ? Delivery::kSent : Delivery::kRefused;
}

std::optional<std::u16string> ModemLink::OwnNumber() {
  MMModem* modem = object_ ? mm_object_peek_modem(object_) : nullptr;
  const gchar* const* numbers = modem ? mm_modem_get_own_numbers(modem) : nullptr;
  for (size_t i = 0; numbers && numbers[i]; ++i) {
    std::u16string number = Wide(numbers[i]);
    if (IsPlausibleNumber(number)) return number;
  }
  return std::nullopt;
}

}  // namespace platform::sms
