// COM initialisation, in-process creation and automation strings.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "imaging.h"
#include "pimstore.h"
#include "platform/contacts/com_object.h"

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_ISequentialStream = {0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
const IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

const CLSID CLSID_Application = {0x05058F23, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IPOutlookApp = {0xAF7D0DC7, 0x3D35, 0x424B, {0xAA, 0x60, 0x27, 0xA3, 0x8B, 0x8B, 0x62, 0x9E}};
const IID IID_IFolder = {0x05058F24, 0x20BE, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IPOutlookItemCollection = {0xF06748C0, 0x21A5, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IContact = {0x7F804E40, 0x2010, 0x11D2, {0x8F, 0x18, 0x00, 0x00, 0xF8, 0x7A, 0x43, 0x35}};
const IID IID_IItem = {0xFB8998D0, 0x38F0, 0x4D12, {0xAC, 0x56, 0x4E, 0xC8, 0xFC, 0xE9, 0xF3, 0xD5}};

const CLSID CLSID_ImagingFactory = {0x327ABDA8, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
const IID IID_IImagingFactory = {0x327ABDA7, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
const IID IID_IImage = {0x327ABDA9, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};
const IID IID_IBitmapImage = {0x327ABDAA, 0x072B, 0x11D3, {0x9D, 0x7B, 0x00, 0x00, 0xF8, 0x1E, 0xF3, 0x2E}};

namespace {
// COM is initialised per thread; the count pairs CoInitializeEx with CoUninitialize.
thread_local int t_initCount = 0;
thread_local DWORD t_mode = 0;
}  // namespace

HRESULT CoInitializeEx(LPVOID, DWORD coInit) {
  DWORD mode = coInit & COINIT_APARTMENTTHREADED;
  if (t_initCount > 0 && mode != t_mode) return RPC_E_CHANGED_MODE;
  t_mode = mode;
  return t_initCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (t_initCount > 0) --t_initCount;
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD clsContext, REFIID riid, LPVOID* ppv) {
  if (!ppv) return E_POINTER;
  *ppv = nullptr;
  if (t_initCount == 0) return CO_E_NOTINITIALIZED;
  if (outer) return CLASS_E_NOAGGREGATION;
  if (!(clsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  if (IsEqualCLSID(clsid, CLSID_Application)) return platform::contacts::CreatePoomApplication(riid, ppv);
  if (IsEqualCLSID(clsid, CLSID_ImagingFactory)) return platform::contacts::CreateImagingFactory(riid, ppv);
  return REGDB_E_CLASSNOTREG;
}

// Layout: a 32-bit byte count, then the text, then a terminating zero. BSTR points at the text.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (length > 0x3FFFFFF0u) return nullptr;
  size_t bytes = sizeof(uint32_t) + (static_cast<size_t>(length) + 1) * sizeof(OLECHAR);
  auto* block = static_cast<uint8_t*>(std::malloc(bytes));
  if (!block) return nullptr;
  uint32_t byteCount = length * sizeof(OLECHAR);
  std::memcpy(block, &byteCount, sizeof byteCount);
  auto* s = reinterpret_cast<OLECHAR*>(block + sizeof(uint32_t));
  if (text) std::memcpy(s, text, length * sizeof(OLECHAR));
  else std::memset(s, 0, length * sizeof(OLECHAR));
  s[length] = 0;
  return s;
}

BSTR SysAllocString(const OLECHAR* text) {
  if (!text) return nullptr;
  UINT n = 0;
  while (text[n]) ++n;
  return SysAllocStringLen(text, n);
}

void SysFreeString(BSTR text) {
  if (text) std::free(reinterpret_cast<uint8_t*>(text) - sizeof(uint32_t));
}

UINT SysStringLen(BSTR text) {
  if (!text) return 0;
  uint32_t byteCount;
  std::memcpy(&byteCount, reinterpret_cast<uint8_t*>(text) - sizeof(uint32_t), sizeof byteCount);
  return byteCount / sizeof(OLECHAR);
}
