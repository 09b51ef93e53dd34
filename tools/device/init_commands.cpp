// init [--demo | --empty]: a device root with the folders every room expects.
#include <sys/stat.h>

#include <filesystem>

#include "platform/base/device_root.h"
#include "platform/resfile/install.h"
#include "commands.h"
#include "settings/settings.h"
#include "winreg.h"

namespace parlo_device {

namespace {

namespace fs = std::filesystem;

void MakeFolders() {
  const fs::path& root = platform::device::Root();
  std::error_code ec;
  if (fs::exists(root, ec) && !fs::is_directory(root, ec)) {
    throw UsageError{"the device " + root.string() + " is not a folder"};
  }
  for (const fs::path& dir : {root, platform::device::NetworkDir(), platform::device::ProgramDir(),
                              platform::device::RunDir()}) {
    fs::create_directories(dir, ec);
    if (ec) throw UsageError{"cannot create " + dir.string() + ": " + ec.message()};
  }
  // Only this user may reach the sockets of running programs.
  chmod(platform::device::RunDir().c_str(), 0700);
}

// The program's settings key as the phone's installer leaves it: every flag written, the contact
// search by name and by number on. (A key missing some flags would read them as on, the lock too.)
void InstallProgramSettings() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, &disposition) !=
      ERROR_SUCCESS)
    throw UsageError{"cannot write the program's settings to the registry"};
  RegCloseKey(key);
  // A phone that has the program already keeps its settings. A key without all of them is one
  // an init killed on its way left: it holds only what that init wrote, and is written again.
  if (Settings::Stored()) return;
  Settings settings;
  settings.find_name = settings.find_call_number = true;
  settings.Save();
}

}  // namespace

void AddInitCommands(CLI::App& app) {
  CLI::App* init = app.add_subcommand("init", "make the device folders, with demo content (default) or empty");
  auto demo = std::make_shared<bool>(false);
  auto empty = std::make_shared<bool>(false);
  CLI::Option* demoFlag = init->add_flag("--demo", *demo, "conversations and contacts to try the program with");
  CLI::Option* emptyFlag = init->add_flag("--empty", *empty, "no messages, no contacts");
  demoFlag->excludes(emptyFlag);
  init->callback([demo, empty] {
    MakeFolders();
    // The skin library is part of the installed program, demo or not.
    platform::resfile::InstallLibrary();
    InstallProgramSettings();
    CreateMessageStore();
    InstallComposerStandIn();
    InstallOwnNumber();
    if (*empty) return;
    WriteDemoMessages();
    WriteDemoContacts();
  });
}

}  // namespace parlo_device
