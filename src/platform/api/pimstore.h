// The contact store (Pocket Outlook Object Model): the application object, folders, item
// collections, contacts and their properties, and the contact store library's match-by-number.
// A faithful subset: the methods this program calls, in the system's order within each table.
#pragma once
#include "objbase.h"
#include "windbase.h"
#include "winbase.h"

extern const CLSID CLSID_Application;       // {05058F23-20BE-11D2-8F18-0000F87A4335}
extern const IID IID_IPOutlookApp;          // {AF7D0DC7-3D35-424B-AA60-27A38B8B629E}
extern const IID IID_IFolder;
extern const IID IID_IPOutlookItemCollection;
extern const IID IID_IContact;              // {7F804E40-2010-11D2-8F18-0000F87A4335}
extern const IID IID_IItem;                 // {FB8998D0-38F0-4D12-AC56-4EC8FCE9F3D5}

// Property values come as the database's property value records (windbase.h).
#ifndef CEVT_STREAM
#define CEVT_STREAM 100
#endif
#define PROP_TAG(type, id) ((static_cast<DWORD>(id) << 16) | static_cast<DWORD>(type))

// Properties. The folder's categories and the contact picture have the system's identifiers;
// the rest are this store's own.
#define PIMPR_FOLDER_CATEGORIES 0x101A001F
#define PIMPR_PICTURE 0x00FF0064
#define PIMPR_OID PROP_TAG(CEVT_UI4, 0x0002)
#define PIMPR_FILEAS PROP_TAG(CEVT_LPWSTR, 0x0003)
#define PIMPR_CATEGORIES PROP_TAG(CEVT_LPWSTR, 0x0004)
#define PIMPR_COMPANY_NAME PROP_TAG(CEVT_LPWSTR, 0x0005)
#define PIMPR_MOBILE_TELEPHONE_NUMBER PROP_TAG(CEVT_LPWSTR, 0x0010)
#define PIMPR_BUSINESS_TELEPHONE_NUMBER PROP_TAG(CEVT_LPWSTR, 0x0011)
#define PIMPR_HOME_TELEPHONE_NUMBER PROP_TAG(CEVT_LPWSTR, 0x0012)

#define olFolderContacts 10

struct IPOutlookApp;
struct IPOutlookItemCollection;

struct IItem : IDispatch {
  // flags CEDB_ALLOWREALLOC: the store allocates *vals with LocalAlloc (the process heap on the
  // phone) and the caller frees it with LocalFree. A property that cannot be read comes back with
  // CEDB_PROPNOTFOUND in its wFlags.
  virtual HRESULT GetProps(const CEPROPID* ids, ULONG flags, WORD count, CEPROPVAL** vals, ULONG* bytes,
                           HANDLE heap) = 0;
  virtual HRESULT SetProps(ULONG flags, WORD count, CEPROPVAL* vals) = 0;
  virtual HRESULT Save() = 0;
  virtual HRESULT Delete() = 0;
  virtual HRESULT Display(HWND parent) = 0;
  virtual HRESULT Edit(HWND parent) = 0;
  // mode GENERIC_READ; a contact without a picture gives HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
  virtual HRESULT OpenProperty(CEPROPID id, DWORD mode, IStream** stream) = 0;
};

struct IContact : IDispatch {
  virtual HRESULT get_Oid(LONG* oid) = 0;
  virtual HRESULT get_FileAs(BSTR* text) = 0;  // the display name
  virtual HRESULT get_FirstName(BSTR* text) = 0;
  virtual HRESULT get_LastName(BSTR* text) = 0;
  virtual HRESULT get_CompanyName(BSTR* text) = 0;
  virtual HRESULT get_Categories(BSTR* text) = 0;  // pieces separated by ", "
  virtual HRESULT get_HomeTelephoneNumber(BSTR* text) = 0;
  virtual HRESULT get_BusinessTelephoneNumber(BSTR* text) = 0;
  virtual HRESULT get_MobileTelephoneNumber(BSTR* text) = 0;
};

struct IPOutlookItemCollection : IDispatch {
  virtual HRESULT get_Count(int* count) = 0;
  virtual HRESULT Item(int index, IDispatch** item) = 0;  // index from 1
};

struct IFolder : IDispatch {
  virtual HRESULT get_Items(IPOutlookItemCollection** items) = 0;
  virtual HRESULT get_DefaultItemType(int* type) = 0;
  virtual HRESULT get_Application(IPOutlookApp** app) = 0;
};

struct IPOutlookApp : IDispatch {
  virtual HRESULT Logon(HWND hwnd) = 0;
  virtual HRESULT Logoff() = 0;
  virtual HRESULT get_Version(BSTR* version) = 0;
  virtual HRESULT GetDefaultFolder(int folder, IFolder** result) = 0;
  virtual HRESULT GetItemFromOid(LONG oid, IDispatch** item) = 0;
};

// The contact store library's ordinal 10: finds the contact one of whose phone numbers is the
// same number as `find` (see platform/contacts/phone_number.h for what "the same" means).
// No match: *item is null and the result is HRESULT_FROM_WIN32(ERROR_NOT_FOUND).
#define FMCF_FINDPHONE 0x00000001
HRESULT FindMatchingContact(IPOutlookApp* app, LPCWSTR find, DWORD flags, IItem** item, CEPROPID* matched);
