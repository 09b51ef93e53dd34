// parlo-device: the phone's side. Each group of commands registers itself on the CLI here.
#pragma once
#include <CLI/CLI.hpp>
#include <string>

#include "messaging/usage_error.h"  // bad input: one clear line on stderr, exit 2, nothing changed

namespace parlo_device {

// --network modem: the phone's network is ModemManager's modem, not the simulated one.
void SetUsesModem();
bool UsesModem();
// Refuses a command that only the simulated network has.
void RequireSimulatedNetwork(const char* command);

// Set after options are parsed and the device root is prepared; commands run inside callbacks.
void AddInitCommands(CLI::App& app);      // init [--demo|--empty]
void AddRegistryCommands(CLI::App& app);  // reg get|set|del
void AddMessageCommands(CLI::App& app);   // receive, record-sent, delete, messages, notifications
void AddContactCommands(CLI::App& app);   // contacts import|list
void AddNetworkCommands(CLI::App& app);   // outbox, calls, launches
void AddSmsCommands(CLI::App& app);       // sms fail|ok, phone-number

// Demo content of a fresh device, one function per room, called by init --demo and by parlo
// when the device root is missing. Each is idempotent on an empty device.
void WriteDemoMessages();
// A fresh phone has a message store with both databases, even with no messages in it.
void CreateMessageStore();
// DIR\windows\MMSC.exe: a stand-in for the phone's multimedia composer that records its starts.
void InstallComposerStandIn();
void WriteDemoContacts();
// The SIM's own number, demo or not, unless the phone has one already.
void InstallOwnNumber();

}  // namespace parlo_device
