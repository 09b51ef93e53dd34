// Reference counting and the dispatch stubs shared by this room's COM objects.
#pragma once
#include <atomic>

#include "objbase.h"

namespace platform::contacts {

// Objects start with one reference, owned by whoever created them.
#define PARLO_COM_REFCOUNT                                   \
 public:                                                     \
  ULONG AddRef() override { return ++refs_; }                \
  ULONG Release() override {                                 \
    ULONG left = --refs_;                                    \
    if (left == 0) delete this;                              \
    return left;                                             \
  }                                                          \
                                                             \
 private:                                                    \
  std::atomic<ULONG> refs_{1};                               \
                                                             \
 public:

// Late binding is not offered: the program calls the interfaces directly.
#define PARLO_COM_NO_DISPATCH                                                                      \
  HRESULT GetTypeInfoCount(UINT* count) override {                                                 \
    if (count) *count = 0;                                                                         \
    return S_OK;                                                                                   \
  }                                                                                                \
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }                      \
  HRESULT GetIDsOfNames(REFIID, LPCWSTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }      \
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {  \
    return E_NOTIMPL;                                                                              \
  }

// Hands out `iface` with a new reference.
template <typename I, typename T>
HRESULT HandOut(T* self, void** ppv) {
  I* iface = static_cast<I*>(self);
  iface->AddRef();
  *ppv = iface;
  return S_OK;
}

// The factories CoCreateInstance knows (defined by the store and the imaging rooms' files).
HRESULT CreatePoomApplication(REFIID riid, void** ppv);
HRESULT CreateImagingFactory(REFIID riid, void** ppv);

}  // namespace platform::contacts
