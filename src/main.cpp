// parlo: the program inside the phone simulator.
#include "messaging/modem_intake.h"
#include "platform/automation/launcher.h"
#include "platform/sms/inbox.h"
#include "shell/app.h"

int main(int argc, char** argv) {
  // With a real modem, the phone's messaging software stores what it receives.
  platform::sms::UseInbox(parlo_device::MakeModemIntake());
  return platform::automation::RunProgram(argc, argv, ParloMain);
}
