// Change notifications across processes: every write leaves an entry in the volume's change
// log; the UI loop's idle poller reads entries it has not seen and posts them to the windows
// that asked, whichever process made the change.
#include <mutex>
#include <unordered_set>

#include "platform/db/database.h"
#include "platform/db/db.h"
#include "platform/db/volume.h"
#include "platform/wm/loop.h"
#include "winbase.h"
#include "windbase.h"
#include "winuser.h"

namespace platform::db {
namespace {

// Notifications handed out and not yet given back, so a stray or repeated free is refused.
std::unordered_set<CENOTIFICATION*>& Outstanding() {
  static std::unordered_set<CENOTIFICATION*> set;
  return set;
}

void Deliver(OpenDatabase& db, Volume& v, CEOID oid, UINT type) {
  HWND hwnd = db.request.hwnd;
  if (!hwnd) return;
  if (!(db.request.dwFlags & CEDB_EXNOTIFICATION)) {
    // Plain requests get the change itself as the message: wParam the object, lParam its parent.
    PostMessageW(hwnd, type, oid, static_cast<LPARAM>(db.db));
    return;
  }
  auto* n = static_cast<CENOTIFICATION*>(LocalAlloc(LPTR, sizeof(CENOTIFICATION)));
  if (!n) return;
  n->dwSize = sizeof(CENOTIFICATION);
  n->dwParam = db.request.dwParam;
  n->uType = type;
  n->guid = v.guid;
  n->oid = oid;
  n->oidParent = db.db;
  Outstanding().insert(n);
  if (!PostMessageW(hwnd, WM_DBNOTIFICATION, 0, reinterpret_cast<LPARAM>(n))) {
    // The window is gone: nobody will free it.
    Outstanding().erase(n);
    LocalFree(n);
  }
}

struct Change {
  int64_t seq;
  CEOID oid;
  UINT type;
};

}  // namespace

void WatchForChanges() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  platform::wm::AddIdlePoller([] {
    PollChanges();
    std::lock_guard<std::recursive_mutex> lock(RoomLock());
    EndReadRuns();  // an idle program must not pin the WAL with an old snapshot
  });
}

void PollChanges() {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  ForEachOpenDatabase([](OpenDatabase& db) {
    if (!db.hasRequest) return;
    Volume* v = FindVolume(&db.volume);
    // Changes of a transaction still open are nobody's news yet.
    if (!v || v->InSessionTransaction()) return;
    uint64_t stamp = v->ChangeStamp();
    if (stamp == db.notifyStamp) return;  // nothing committed anywhere since the last look
    Statement s = v->Prepare("SELECT seq, oid, type FROM changes WHERE seq > ? AND db = ? ORDER BY seq");
    if (!s) return;
    s.Bind(1, db.lastChangeSeen);
    s.Bind(2, db.db);
    std::vector<Change> changes;
    int rc;
    while ((rc = s.Step()) == SQLITE_ROW)
      changes.push_back({s.Int(0), static_cast<CEOID>(s.Int(1)), static_cast<UINT>(s.Int(2))});
    if (rc != SQLITE_DONE) return;
    db.notifyStamp = stamp;
    for (const Change& c : changes) {
      db.lastChangeSeen = c.seq;
      Deliver(db, *v, c.oid, c.type);
    }
  });
}

}  // namespace platform::db

using namespace platform::db;

BOOL CeFreeNotification(PCENOTIFYREQUEST pRequest, PCENOTIFICATION pNotify) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  if (!pRequest || !pNotify || !Outstanding().count(pNotify)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Outstanding().erase(pNotify);
  LocalFree(pNotify);
  return TRUE;
}
