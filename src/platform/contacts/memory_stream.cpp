#include "platform/contacts/memory_stream.h"

#include <cstring>

#include "platform/contacts/com_object.h"

namespace platform::contacts {
namespace {

class MemoryStream final : public IStream {
  PARLO_COM_REFCOUNT
  explicit MemoryStream(std::string bytes) : bytes_(std::move(bytes)) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISequentialStream) || IsEqualIID(riid, IID_IStream))
      return HandOut<IStream>(this, ppv);
    return E_NOINTERFACE;
  }
  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    size_t left = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
    size_t n = cb < left ? cb : left;
    if (n) std::memcpy(pv, bytes_.data() + pos_, n);
    pos_ += n;
    if (pcbRead) *pcbRead = static_cast<ULONG>(n);
    return n == cb ? S_OK : S_FALSE;
  }
  HRESULT Write(const void*, ULONG, ULONG* written) override {
    if (written) *written = 0;
    return STG_E_ACCESSDENIED;
  }
  HRESULT Seek(LONGLONG move, DWORD origin, ULONGLONG* newPosition) override {
    LONGLONG base = origin == STREAM_SEEK_SET ? 0
                    : origin == STREAM_SEEK_CUR ? static_cast<LONGLONG>(pos_)
                    : origin == STREAM_SEEK_END ? static_cast<LONGLONG>(bytes_.size())
                                                : -1;
    if (base < 0) return STG_E_INVALIDFUNCTION;
    LONGLONG target = base + move;
    if (target < 0) return STG_E_INVALIDFUNCTION;
    pos_ = static_cast<size_t>(target);
    if (newPosition) *newPosition = pos_;
    return S_OK;
  }
  HRESULT SetSize(ULONGLONG) override { return STG_E_ACCESSDENIED; }
  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }

 private:
  std::string bytes_;
  size_t pos_ = 0;
};

}  // namespace

IStream* NewMemoryStream(std::string bytes) { return new MemoryStream(std::move(bytes)); }

}  // namespace platform::contacts
