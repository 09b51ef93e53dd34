// The CE database volume calls: property records in named databases inside a mounted volume.
// Names, values and structure fields as the system defines them; on this machine pointers are
// 64-bit, so structures holding a pointer or handle are larger than on the phone.
#pragma once
#include "windef.h"

typedef WORD* LPWORD;
typedef DWORD CEOID;
typedef CEOID* PCEOID;
typedef DWORD CEPROPID;
typedef CEPROPID* PCEPROPID;

struct CEGUID {
  DWORD Data1, Data2, Data3, Data4;
};
typedef CEGUID* PCEGUID;

#define TypeFromPropID(propid) LOWORD(propid)

// Value types (low word of a property identifier).
#define CEVT_I2 2
#define CEVT_I4 3
#define CEVT_R8 5
#define CEVT_BOOL 11
#define CEVT_UI2 18
#define CEVT_UI4 19
#define CEVT_LPWSTR 31
#define CEVT_FILETIME 64
#define CEVT_BLOB 65

struct CEBLOB {
  DWORD dwCount;
  LPBYTE lpb;
};

union CEVALUNION {
  short iVal;
  USHORT uiVal;
  LONG lVal;
  ULONG ulVal;
  FILETIME filetime;
  LPWSTR lpwstr;
  CEBLOB blob;
  BOOL boolVal;
  double dblVal;
};

#define CEDB_PROPNOTFOUND 0x0100
#define CEDB_PROPDELETE 0x0200

struct CEPROPVAL {
  CEPROPID propid;
  WORD wLenData;
  WORD wFlags;
  CEVALUNION val;
};
typedef CEPROPVAL* PCEPROPVAL;

// Sort orders.
#define CEDB_SORT_DESCENDING 0x00000001
#define CEDB_SORT_CASEINSENSITIVE 0x00000002
#define CEDB_SORT_UNKNOWNFIRST 0x00000004
#define CEDB_SORT_UNIQUE 0x00000200
#define CEDB_SORT_NONNULL 0x00000400
#define CEDB_MAXSORTPROP 3
#define CEDB_MAXSORTORDER 4
#define SORTORDERSPECEX_VERSION 2

struct SORTORDERSPECEX {
  WORD wVersion;
  WORD wNumProps;
  WORD wKeyFlags;
  WORD wReserved;
  CEPROPID rgPropID[CEDB_MAXSORTPROP];
  DWORD rgdwFlags[CEDB_MAXSORTPROP];
};
typedef SORTORDERSPECEX* PSORTORDERSPECEX;

#define CEDB_MAXDBASENAMELEN 32
#define CEDB_VALIDNAME 0x0001
#define CEDB_VALIDTYPE 0x0002
#define CEDB_VALIDSORTSPEC 0x0004
#define CEDB_VALIDMODTIME 0x0008
#define CEDB_VALIDDBFLAGS 0x0010
#define CEDB_VALIDCREATE (CEDB_VALIDNAME | CEDB_VALIDTYPE | CEDB_VALIDSORTSPEC | CEDB_VALIDDBFLAGS)
#define CEDBASEINFOEX_VERSION 2

struct CEDBASEINFOEX {
  WORD wVersion;
  WORD wNumSortOrder;
  DWORD dwFlags;
  WCHAR szDbaseName[CEDB_MAXDBASENAMELEN];
  DWORD dwDbaseType;
  DWORD dwNumRecords;
  DWORD dwSize;
  FILETIME ftLastModified;
  SORTORDERSPECEX rgSortSpecs[CEDB_MAXSORTORDER];
};
typedef CEDBASEINFOEX* PCEDBASEINFOEX;

// Volume options: 112 bytes on the phone and here (no pointers inside).
#define CEDB_BUFFERPOOL 0x00000001
#define CEDB_AUTOSHRINKPERCENT 0x00000002
#define CEDB_FLUSHINTERVAL 0x00000004
#define CEDB_MAXNOTIFYCHANGES 0x00000008
#define CEDB_DEFAULTTIMEOUT 0x00000010
#define CEDB_PASSWORD 0x00000020
#define CCH_MAX_PASSWORD 40

struct CEVOLUMEOPTIONS {
  WORD wVersion;
  DWORD cbBufferPool;
  DWORD dwAutoShrinkPercent;
  DWORD dwFlushInterval;
  DWORD cMaxNotifyChanges;
  DWORD dwDefaultTimeout;
  WCHAR wszPassword[CCH_MAX_PASSWORD + 1];
  DWORD dwFlags;
};
static_assert(sizeof(CEVOLUMEOPTIONS) == 112, "volume options keep the phone's size");

// Creation dispositions of CeMountDBVolEx (as for files).
#ifndef CREATE_NEW
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#endif

// Open flags, seeks, reads.
#define CEDB_AUTOINCREMENT 0x00000001
#define CEDB_SEEK_CEOID 0x00000001
#define CEDB_SEEK_BEGINNING 0x00000002
#define CEDB_SEEK_END 0x00000004
#define CEDB_SEEK_CURRENT 0x00000008
#define CEDB_ALLOWREALLOC 0x00000001

// Change notifications.
#define WM_DBNOTIFICATION 0x03FD
#define CEDB_EXNOTIFICATION 0x00000001
#define DB_CEOID_CREATED 1025
#define DB_CEOID_DATABASE_DELETED 1026
#define DB_CEOID_RECORD_DELETED 1027
#define DB_CEOID_CHANGED 1030

struct CENOTIFYREQUEST {
  DWORD dwSize;
  HWND hwnd;
  DWORD dwFlags;
  HANDLE hHeap;
  DWORD dwParam;
};
typedef CENOTIFYREQUEST* PCENOTIFYREQUEST;

struct CENOTIFICATION {
  DWORD dwSize;
  DWORD dwParam;
  UINT uType;
  CEGUID guid;
  CEOID oid;
  CEOID oidParent;
};
typedef CENOTIFICATION* PCENOTIFICATION;

BOOL CeMountDBVolEx(PCEGUID pGuid, LPCWSTR lpwszDBVol, CEVOLUMEOPTIONS* pOptions, DWORD dwFlags);
BOOL CeUnmountDBVol(PCEGUID pGuid);
BOOL CeChangeDatabaseLCID(PCEGUID pGuid, DWORD lcid);

CEOID CeCreateDatabaseWithProps(PCEGUID pGuid, CEDBASEINFOEX* pInfo, DWORD cPropID, CEPROPID* prgPropID);
CEOID CeCreateDatabaseEx2(PCEGUID pGuid, CEDBASEINFOEX* pInfo);
BOOL CeDeleteDatabaseEx(PCEGUID pGuid, CEOID oid);

HANDLE CeOpenDatabaseInSession(HANDLE hSession, PCEGUID pGuid, PCEOID poid, LPCWSTR lpszName,
                               SORTORDERSPECEX* pSort, DWORD dwFlags, CENOTIFYREQUEST* pRequest);
CEOID CeSeekDatabaseEx(HANDLE hDatabase, DWORD dwSeekType, DWORD dwValue, WORD wNumVals, LPDWORD lpdwIndex);
CEOID CeReadRecordPropsEx(HANDLE hDbase, DWORD dwFlags, LPWORD lpcPropID, CEPROPID* rgPropID,
                          LPBYTE* lplpBuffer, LPDWORD lpcbBuffer, HANDLE hHeap);
CEOID CeWriteRecordProps(HANDLE hDbase, CEOID oidRecord, WORD cPropID, CEPROPVAL* rgPropVal);
BOOL CeDeleteRecord(HANDLE hDatabase, CEOID oidRecord);
BOOL CeGetDBInformationByHandle(HANDLE hDbase, PCEDBASEINFOEX pInfo);
BOOL CeFreeNotification(PCENOTIFYREQUEST pRequest, PCENOTIFICATION pNotify);

// Sessions and transactions: every change made through the databases opened in a session
// between CeBeginTransaction and CeEndTransaction is committed or rolled back as one.
typedef int CEDBISOLATIONLEVEL;
#define CEDB_ISOLEVEL_DEFAULT 1
#define CEDB_ISOLEVEL_READCOMMITTED 1
#define CEDB_ISOLEVEL_REPEATABLEREAD 2
#define CEDB_ISOLEVEL_SERIALIZABLE 3
HANDLE CeCreateSession(PCEGUID pGuid);
BOOL CeBeginTransaction(HANDLE hSession, CEDBISOLATIONLEVEL isoLevel);
BOOL CeEndTransaction(HANDLE hSession, BOOL fCommit);
