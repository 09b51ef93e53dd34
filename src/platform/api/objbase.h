// COM basics as the phone's system provides them: IUnknown, IDispatch, streams, automation strings
// and in-process object creation.
#pragma once
#include <cstring>

#include "windef.h"

typedef WCHAR OLECHAR;
typedef OLECHAR* BSTR;
typedef LONG DISPID;
typedef DWORD LCID;

inline bool IsEqualGUID(REFGUID a, REFGUID b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
#define IsEqualIID(a, b) IsEqualGUID(a, b)
#define IsEqualCLSID(a, b) IsEqualGUID(a, b)

#define CO_E_NOTINITIALIZED static_cast<HRESULT>(0x800401F0)
#define RPC_E_CHANGED_MODE static_cast<HRESULT>(0x80010106)
#define CLASS_E_NOAGGREGATION static_cast<HRESULT>(0x80040110)
#define STG_E_INVALIDFUNCTION static_cast<HRESULT>(0x80030001)
#define STG_E_ACCESSDENIED static_cast<HRESULT>(0x80030005)
#define STG_E_INVALIDPOINTER static_cast<HRESULT>(0x80030009)

#define COINIT_MULTITHREADED 0x0
#define COINIT_APARTMENTTHREADED 0x2
#define CLSCTX_INPROC_SERVER 0x1

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;
extern const IID IID_ISequentialStream;
extern const IID IID_IStream;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};
typedef IUnknown* LPUNKNOWN;

// The dispatch methods come first in every automation interface, so the methods after them keep
// their places in the table (the frame relies on Logon being the first one after them).
struct ITypeInfo;
struct DISPPARAMS;
struct VARIANT;
struct EXCEPINFO;
struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPCWSTR* names, UINT count, LCID lcid, DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argError) = 0;
};

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

struct ISequentialStream : IUnknown {
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
};
struct IStream : ISequentialStream {
  // The system passes LARGE_INTEGER by value; the 64-bit value is carried as its QuadPart.
  virtual HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) = 0;
  virtual HRESULT SetSize(ULONGLONG newSize) = 0;
  virtual HRESULT Commit(DWORD flags) = 0;
  virtual HRESULT Revert() = 0;
};

HRESULT CoInitializeEx(LPVOID reserved, DWORD coInit);
void CoUninitialize();
// Creates the in-process classes the phone provides: the contact store's application object and
// the imaging factory. The calling thread must have called CoInitializeEx.
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID riid, LPVOID* ppv);

// Automation strings: a length prefix before the text and a terminating zero after it.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
