// The program's pieces, built once at start and handed down to the frame and its views: the
// settings, the message store with its conversations, the contact book and the skin.
#pragma once
#include <memory>

#include "contacts/contact_book.h"
#include "draw/skin.h"
#include "model/message_store.h"
#include "settings/settings.h"

struct IPOutlookApp;

class Application {
 public:
  // Reads the settings; touches neither the screen nor the message volume.
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  Settings& settings() { return settings_; }
  MessageStore& store() { return store_; }
  // Made on first use: the resource library is loaded then.
  parlo::Skin& skin();
  // Null until OpenContacts.
  parlo::ContactBook* contacts() { return contacts_.get(); }

  // Builds the contact book over the logged-on contact store (null: an empty book) and lets the
  // model name numbers from it.
  parlo::ContactBook& OpenContacts(IPOutlookApp* app);

  // The frame's last act, in this order: the contact book goes (writing its cache), the model is
  // released, the skin goes, and the settings are saved. Nothing may use the pieces afterwards.
  void Shutdown();

 private:
  Settings settings_;
  MessageStore store_;
  std::unique_ptr<parlo::ContactBook> contacts_;
  std::unique_ptr<parlo::Skin> skin_;
  bool shutDown_ = false;
};
