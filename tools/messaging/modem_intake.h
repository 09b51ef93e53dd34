// The phone's messaging software taking in what the modem received. Each message is written as
// `parlo-device receive` writes one, and in the same transaction its identity goes into the
// volume's \MODEM_TAKEN database: the modem's object path with the service centre's stamp, the
// sender and the text. Only after the modem deleted its copy is the identity removed again. So
// a crash between the commit and the modem's delete leaves the identity behind, and the message,
// offered again at the next start, is recognised and not stored twice.
#pragma once
#include <memory>

#include "platform/sms/inbox.h"

namespace parlo_device {

std::unique_ptr<platform::sms::Inbox> MakeModemIntake();

}  // namespace parlo_device
