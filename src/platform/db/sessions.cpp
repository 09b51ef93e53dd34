// Sessions and their transactions. Every isolation level is served as serializable: the
// volume's write lock is taken when the transaction begins, so a value read inside it (the
// next free identifier, say) cannot be taken by another writer, in any process, before commit.
#include <memory>
#include <mutex>

#include "platform/db/database.h"
#include "platform/db/volume.h"
#include "winbase.h"
#include "windbase.h"

using namespace platform::db;

namespace {

// The session of `h` with its volume, or null with the error set.
Volume* SessionVolume(HANDLE h, std::shared_ptr<OpenDatabase>* session) {
  *session = (h && h != INVALID_HANDLE_VALUE) ? FindSession(h) : nullptr;
  Volume* v = *session ? FindVolume(&(*session)->volume) : nullptr;
  if (!v) SetLastError(ERROR_INVALID_HANDLE);
  return v;
}

}  // namespace

HANDLE CeCreateSession(PCEGUID pGuid) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  Volume* v = FindVolume(pGuid);
  if (!v) return SetLastError(ERROR_INVALID_PARAMETER), INVALID_HANDLE_VALUE;
  auto session = std::make_shared<OpenDatabase>();
  session->volume = v->guid;
  session->isSession = true;
  HANDLE h = AddDatabase(std::move(session));
  if (h == INVALID_HANDLE_VALUE) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return h;
}

BOOL CeBeginTransaction(HANDLE hSession, CEDBISOLATIONLEVEL isoLevel) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  std::shared_ptr<OpenDatabase> session;
  Volume* v = SessionVolume(hSession, &session);
  if (!v) return FALSE;
  if (isoLevel < CEDB_ISOLEVEL_READCOMMITTED || isoLevel > CEDB_ISOLEVEL_SERIALIZABLE)
    return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  if (session->inTransaction || v->InSessionTransaction()) return SetLastError(ERROR_ALREADY_EXISTS), FALSE;
  // The write lock is waited for as long as any write waits (the volume's busy timeout); a
  // volume that cannot be written, or whose lock is never given up, is denied as the system does.
  if (!v->BeginSessionTransaction()) return SetLastError(ERROR_ACCESS_DENIED), FALSE;
  session->inTransaction = true;
  return TRUE;
}

BOOL CeEndTransaction(HANDLE hSession, BOOL fCommit) {
  std::lock_guard<std::recursive_mutex> lock(RoomLock());
  std::shared_ptr<OpenDatabase> session;
  Volume* v = SessionVolume(hSession, &session);
  if (!v) return FALSE;
  if (!session->inTransaction) return SetLastError(ERROR_INVALID_PARAMETER), FALSE;
  session->inTransaction = false;
  if (!v->EndSessionTransaction(fCommit != FALSE)) return SetLastError(v->Failure()), FALSE;
  return TRUE;
}
