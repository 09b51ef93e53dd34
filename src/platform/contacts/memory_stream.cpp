#include "platform/contacts/memory_stream.h"

#include <cstring>
#include <memory>

#include "platform/contacts/com_object.h"

namespace platform::contacts {
namespace {

class MemoryStream : public IStream {
  PARLO_COM_REFCOUNT
  explicit MemoryStream(std::shared_ptr<const std::string> bytes) : bytes_(std::move(bytes)) {}
  virtual ~MemoryStream() = default;

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ISequentialStream) || IsEqualIID(riid, IID_IStream))
      return HandOut<IStream>(this, ppv);
    return E_NOINTERFACE;
  }
  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    Fill();
    size_t left = pos_ < bytes_->size() ? bytes_->size() - pos_ : 0;
    size_t n = cb < left ? cb : left;
    if (n) std::memcpy(pv, bytes_->data() + pos_, n);
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
                    : origin == STREAM_SEEK_END ? static_cast<LONGLONG>(Size())
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

 protected:
  virtual void Fill() {}
  virtual size_t Size() const { return bytes_->size(); }

  std::shared_ptr<const std::string> bytes_;
  size_t pos_ = 0;
};

class PhotoStream final : public MemoryStream {
 public:
  PhotoStream(uint64_t size, uint64_t digest, std::function<std::shared_ptr<const std::string>()> fetch)
      : MemoryStream(std::make_shared<const std::string>()), size_(size), digest_(digest), fetch_(std::move(fetch)) {}
  uint64_t digest() const { return digest_; }
  std::shared_ptr<const std::string> bytes() {
    Fill();
    return bytes_;
  }

 private:
  void Fill() override {
    if (!fetch_) return;
    if (auto fetched = fetch_()) bytes_ = std::move(fetched);  // a picture gone from the book reads as empty
    fetch_ = nullptr;
  }
  size_t Size() const override { return fetch_ ? size_ : bytes_->size(); }

  uint64_t size_;
  uint64_t digest_;
  std::function<std::shared_ptr<const std::string>()> fetch_;
};

}  // namespace

IStream* NewMemoryStream(std::string bytes) {
  return new MemoryStream(std::make_shared<const std::string>(std::move(bytes)));
}

IStream* NewPhotoStream(uint64_t size, uint64_t digest, std::function<std::shared_ptr<const std::string>()> fetch) {
  return new PhotoStream(size, digest, std::move(fetch));
}

std::shared_ptr<const std::string> PhotoStreamBytes(IStream* stream) {
  auto* photo = dynamic_cast<PhotoStream*>(stream);
  return photo ? photo->bytes() : nullptr;
}

bool PhotoStreamDigest(IStream* stream, uint64_t* digest) {
  auto* photo = dynamic_cast<PhotoStream*>(stream);
  if (photo) *digest = photo->digest();
  return photo != nullptr;
}

}  // namespace platform::contacts
