// The simulated network's short-message side:
//   sms fail --after N   the network takes N more messages, then refuses every one (N 0: the next)
//   sms ok               the network takes every message again
//   phone-number [NUMBER | --clear]   the SIM's own number: print it (exit 1 when there is none),
//                        set it (an optional + and 1 to 20 digits), or remove it
// A running Parlo sees each change at its next send.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "arguments.h"
#include "commands.h"
#include "platform/base/device_root.h"
#include "platform/base/text.h"
#include "platform/sms/network.h"
#include "platform/sms/simulated_network.h"

namespace parlo_device {
namespace {

// A plausible Korean mobile number, which no demo correspondent has.
constexpr char16_t kDemoOwnNumber[] = u"01055501234";

std::string OwnNumberPath() { return (platform::device::NetworkDir() / platform::sms::kOwnNumberFile).string(); }

void PrintOwnNumber() {
  if (UsesModem()) {
    std::optional<std::u16string> number = platform::sms::OwnNumberFromNetwork();
    if (!number) {
      std::fprintf(stderr, "parlo-device: the modem knows no number of its own\n");
      std::exit(1);
    }
    std::printf("%s\n", platform::Utf16ToUtf8(*number).c_str());
    return;
  }
  platform::sms::Setting<std::u16string> number = platform::sms::ReadOwnNumber();
  if (number.damaged)
    throw UsageError{OwnNumberPath() + " holds no phone number (left as it is); phone-number NUMBER replaces it"};
  if (!number.value) {
    std::fprintf(stderr, "parlo-device: the phone has no number of its own\n");
    std::fflush(stdout);
    std::exit(1);
  }
  std::printf("%s\n", platform::Utf16ToUtf8(*number.value).c_str());
}

// Only init makes a device; these commands change one.
void RequireDevice() {
  std::error_code ec;
  if (!std::filesystem::is_directory(platform::device::Root(), ec))
    throw UsageError{"there is no device at " + platform::device::Root().string() + "; parlo-device init makes one"};
}

void SetOwnNumber(const std::u16string& number) {
  RequireSimulatedNetwork("phone-number NUMBER | --clear");
  RequireDevice();
  std::string why;
  if (!platform::sms::WriteOwnNumber(number, &why)) throw UsageError{"phone-number: " + why};
}

void SetFailAfter(std::optional<uint32_t> count) {
  RequireSimulatedNetwork("sms");
  RequireDevice();
  std::string why;
  if (!platform::sms::WriteFailAfter(count, &why)) throw UsageError{"sms: " + why};
}

bool g_usesModem = false;

}  // namespace

void SetUsesModem() { g_usesModem = true; }
bool UsesModem() { return g_usesModem; }

void RequireSimulatedNetwork(const char* command) {
  if (g_usesModem)
    throw UsageError{std::string(command) + " belongs to the simulated network (--network sim); a modem keeps its own"};
}

void InstallOwnNumber() {
  if (g_usesModem) return;  // the modem's SIM has its number
  platform::sms::Setting<std::u16string> number = platform::sms::ReadOwnNumber();
  if (number.value || number.damaged) return;  // a phone keeps its number; a damaged one is the user's to mend
  SetOwnNumber(kDemoOwnNumber);
}

void AddSmsCommands(CLI::App& app) {
  CLI::App* sms = app.add_subcommand("sms", "make the short-message network fail, or work again");
  sms->require_subcommand(1);
  auto after = std::make_shared<std::string>();
  CLI::App* fail = sms->add_subcommand("fail", "refuse messages after N more have gone through");
  fail->add_option("--after", *after, "messages still taken (0: the next one fails)")->required();
  fail->callback([after] { SetFailAfter(ParseCount(*after, "sms fail --after")); });
  sms->add_subcommand("ok", "take every message again")->callback([] { SetFailAfter(std::nullopt); });

  auto number = std::make_shared<std::string>();
  auto clear = std::make_shared<bool>(false);
  CLI::App* phone = app.add_subcommand("phone-number", "the phone's own number: print, set or --clear it");
  CLI::Option* given = phone->add_option("number", *number, "the new number: an optional + and 1 to 20 digits");
  phone->add_flag("--clear", *clear, "the phone has no number of its own")->excludes(given);
  phone->callback([number, clear, given] {
    if (*clear) return SetOwnNumber(u"");
    if (given->count() == 0) return PrintOwnNumber();
    const std::u16string wide = Wide(*number, "the number");
    SetOwnNumber(wide);  // refused there, with why, when it is no number
  });
}

}  // namespace parlo_device
