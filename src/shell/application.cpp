#include "shell/application.h"

Application::Application() : store_(settings_, nullptr) { settings_.Load(); }

Application::~Application() { Shutdown(); }

parlo::Skin& Application::skin() {
  if (!skin_) skin_ = std::make_unique<parlo::Skin>();
  return *skin_;
}

parlo::ContactBook& Application::OpenContacts(IPOutlookApp* app) {
  if (!contacts_) {
    contacts_ = std::make_unique<parlo::ContactBook>(app);
    store_.Model().SetContacts(contacts_.get());
  }
  return *contacts_;
}

void Application::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  store_.Model().SetContacts(nullptr);
  contacts_.reset();
  store_.ClearModel();
  skin_.reset();
  settings_.Save();
}
