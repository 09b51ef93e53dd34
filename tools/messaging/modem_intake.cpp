#include "messaging/modem_intake.h"

#include <cstring>

#include "messaging/message_writer.h"
#include "messaging/store.h"
#include "platform/base/text.h"

namespace parlo_device {
namespace {

using platform::sms::Intake;
using platform::sms::ReceivedMessage;

constexpr char16_t kTakenDb[] = u"\\MODEM_TAKEN";
constexpr CEPROPID kIdentityProp = (1u << 16) | CEVT_LPWSTR;

std::u16string IdentityOf(const ReceivedMessage& m) {
  return platform::Utf8ToUtf16(m.origin) + u'\n' + platform::Utf8ToUtf16(m.stamp) + u'\n' + m.from + u'\n' + m.text;
}

// The record holding `identity`, or 0.
CEOID FindIdentity(HANDLE taken, const std::u16string& identity) {
  CEOID found = 0;
  ForEachRecord(taken, [&](CEOID oid, const CEPROPVAL* v, WORD n) {
    for (WORD i = 0; i < n && !found; ++i)
      if (v[i].propid == kIdentityProp && !(v[i].wFlags & CEDB_PROPNOTFOUND) && v[i].val.lpwstr &&
          identity == v[i].val.lpwstr)
        found = oid;
  });
  return found;
}

// A record holds at most kMaxText characters: a longer text (a long multipart message) becomes
// several records in order rather than losing its end. A surrogate pair is never cut.
std::vector<std::u16string> Pieces(const std::u16string& text) {
  std::vector<std::u16string> pieces;
  size_t at = 0;
  do {
    size_t take = std::min(kMaxText, text.size() - at);
    if (at + take < text.size() && take > 1 && (text[at + take - 1] & 0xFC00) == 0xD800) --take;
    pieces.push_back(text.substr(at, take));
    at += take;
  } while (at < text.size());
  return pieces;
}

class ModemIntake : public platform::sms::Inbox {
 public:
  Intake Take(const ReceivedMessage& m, std::string* why) override {
    try {
      Store store(false);
      HANDLE taken = store.Extra(kTakenDb);
      store.Begin();
      const std::u16string identity = IdentityOf(m);
      if (FindIdentity(taken, identity)) return Intake::kStoredBefore;  // closing gives the empty change up
      NewMessage record;
      record.number = m.from.substr(0, kMaxNumber);
      record.time = m.time;
      for (const std::u16string& piece : Pieces(m.text)) {
        record.text = piece;
        WriteReceived(store, record);
      }
      PublishUnread(store.recv(), true);
      CEPROPVAL v;
      std::memset(&v, 0, sizeof v);
      v.propid = kIdentityProp;
      v.val.lpwstr = const_cast<LPWSTR>(identity.c_str());
      if (!CeWriteRecordProps(taken, 0, 1, &v))
        throw UsageError{"cannot note the modem's message: " + StoreProblem(GetLastError())};
      store.Commit();
      return Intake::kStored;
    } catch (const UsageError& e) {
      if (why) *why = e.message;
      return Intake::kFailed;
    }
  }

  void Forget(const ReceivedMessage& m) override {
    try {
      Store store(false);
      HANDLE taken = store.Extra(kTakenDb);
      store.Begin();
      if (CEOID oid = FindIdentity(taken, IdentityOf(m))) CeDeleteRecord(taken, oid);
      store.Commit();
    } catch (const UsageError&) {
      // Left behind, the identity only answers for a message the modem no longer has.
    }
  }
};

}  // namespace

std::unique_ptr<platform::sms::Inbox> MakeModemIntake() { return std::make_unique<ModemIntake>(); }

}  // namespace parlo_device
