// The imaging library's factory and its images.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <string>

#include "imaging.h"
#include "platform/contacts/com_object.h"
#include "platform/contacts/memory_stream.h"
#include "platform/contacts/picture.h"
#include "platform/contacts/picture_cache.h"
#include "platform/contacts/picture_prefetch.h"

namespace platform::contacts {
namespace {

// Reads a stream to its end; no contact picture is larger than the cap.
bool ReadStream(IStream* stream, std::string* bytes) {
  constexpr size_t kCap = 64u << 20;
  bytes->clear();
  // Read straight into place, in as few reads as the stream's size allows.
  ULONGLONG here = 0, end = 0;
  size_t chunk = 1 << 16;
  if (SUCCEEDED(stream->Seek(0, STREAM_SEEK_CUR, &here)) && SUCCEEDED(stream->Seek(0, STREAM_SEEK_END, &end)) &&
      SUCCEEDED(stream->Seek(static_cast<LONGLONG>(here), STREAM_SEEK_SET, nullptr)) && end > here)
    chunk = static_cast<size_t>(std::min<ULONGLONG>(end - here + 1, kCap + 1));
  for (;;) {
    size_t had = bytes->size();
    bytes->resize(had + chunk);
    ULONG got = 0;
    if (FAILED(stream->Read(bytes->data() + had, static_cast<ULONG>(chunk), &got))) return false;
    bytes->resize(had + got);
    if (got < chunk) return true;
    if (bytes->size() > kCap) return false;
  }
}

// An image knows its size from the picture's header (or the picture cache) and decodes only what
// is asked of it: a thumbnail at the smallest scale that covers it, the whole picture for a lock.
class Image final : public IImage, public IBitmapImage {
  PARLO_COM_REFCOUNT
  explicit Image(Pixels pixels) : pixels_(std::move(pixels)), decoded_(true) {}
  // Not decoded yet: the picture file (or the stream it is in) and, for a contact's picture,
  // its digest in the picture cache.
  Image(std::shared_ptr<const std::string> bytes, IStream* source, const uint64_t* digest, int width, int height)
      : bytes_(std::move(bytes)), source_(source), named_(digest != nullptr), digest_(digest ? *digest : 0) {
    if (source_) source_->AddRef();
    pixels_.width = width;
    pixels_.height = height;
  }
  ~Image() {
    if (source_) source_->Release();
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IImage)) return HandOut<IImage>(this, ppv);
    if (IsEqualIID(riid, IID_IBitmapImage)) return HandOut<IBitmapImage>(this, ppv);
    return E_NOINTERFACE;
  }

  HRESULT GetPhysicalDimension(SIZE* size) override { return GetSize(size); }
  HRESULT GetImageInfo(ImageInfo* info) override {
    if (!info) return E_POINTER;
    *info = {};
    info->PixelFormat = PixelFormat32bppPARGB;
    info->Width = static_cast<UINT>(pixels_.width);
    info->Height = static_cast<UINT>(pixels_.height);
    info->TileWidth = info->Width;
    info->TileHeight = 1;
    info->Xdpi = info->Ydpi = 96.0;
    return S_OK;
  }
  HRESULT SetImageFlags(UINT) override { return S_OK; }
  HRESULT Draw(HDC, const RECT*, const RECT*) override { return E_NOTIMPL; }
  HRESULT PushIntoSink(IUnknown*) override { return E_NOTIMPL; }
  HRESULT GetThumbnail(UINT width, UINT height, IImage** thumb) override {
    if (!thumb) return E_POINTER;
    *thumb = nullptr;
    if (width == 0 || height == 0 || width > 4096 || height > 4096) return E_INVALIDARG;
    int w = static_cast<int>(width), h = static_cast<int>(height);
    Pixels small;
    if (named_ && PictureCache::Instance().Thumbnail(digest_, w, h, &small)) {
      *thumb = static_cast<IImage*>(new Image(std::move(small)));
      return S_OK;
    }
    if (decoded_) {
      small = ResizePixels(pixels_, w, h);
    } else {
      Pixels covering;
      if (named_) PicturePrefetch::Instance().Start(std::max(w, h), std::max(w, h));  // the box is square
      bool ahead = named_ && PicturePrefetch::Instance().Take(digest_, &covering) && covering.width >= w &&
                   covering.height >= h;
      if (!ahead && (!Bytes() || !DecodePictureToCover(*bytes_, w, h, &covering))) return E_FAIL;
      small = ResizePixels(covering, w, h);
      if (named_) PictureCache::Instance().Put(digest_, pixels_.width, pixels_.height, small);
    }
    *thumb = static_cast<IImage*>(new Image(std::move(small)));
    return S_OK;
  }

  HRESULT GetSize(SIZE* size) override {
    if (!size) return E_POINTER;
    size->cx = pixels_.width;
    size->cy = pixels_.height;
    return S_OK;
  }
  HRESULT GetPixelFormatID(PixelFormatID* format) override {
    if (!format) return E_POINTER;
    *format = PixelFormat32bppPARGB;
    return S_OK;
  }
  // Read locks of the whole image or a part, premultiplied or straight; the pixels stay ours.
  HRESULT LockBits(const RECT* rect, UINT flags, PixelFormatID format, BitmapData* data) override {
    if (!data) return E_POINTER;
    if (flags & ImageLockModeWrite) return E_NOTIMPL;
    if (locked_) return E_FAIL;
    if (format != PixelFormat32bppPARGB && format != PixelFormat32bppARGB) return E_INVALIDARG;
    if (!Decoded()) return E_FAIL;
    RECT r = rect ? *rect : RECT{0, 0, pixels_.width, pixels_.height};
    if (r.left < 0 || r.top < 0 || r.right > pixels_.width || r.bottom > pixels_.height || r.left >= r.right ||
        r.top >= r.bottom)
      return E_INVALIDARG;
    int w = r.right - r.left, h = r.bottom - r.top;
    void* scan0 = nullptr;
    INT stride = pixels_.width * 4;
    if (format == PixelFormat32bppPARGB) {
      // The pixels are already in this form: the lock looks at them where they are.
      scan0 = &pixels_.bgra[(static_cast<size_t>(r.top) * pixels_.width + r.left) * 4];
    } else {
      lockCopy_.resize(static_cast<size_t>(w) * h * 4);
      for (int y = 0; y < h; ++y) {
        const uint8_t* s = &pixels_.bgra[(static_cast<size_t>(r.top + y) * pixels_.width + r.left) * 4];
        uint8_t* d = &lockCopy_[static_cast<size_t>(y) * w * 4];
        for (int x = 0; x < w; ++x) {
          unsigned a = s[x * 4 + 3];
          for (int c = 0; c < 3; ++c) d[x * 4 + c] = a ? static_cast<uint8_t>((s[x * 4 + c] * 255 + a / 2) / a) : 0;
          d[x * 4 + 3] = static_cast<uint8_t>(a);
        }
      }
      scan0 = lockCopy_.data();
      stride = w * 4;
    }
    data->Width = static_cast<UINT>(w);
    data->Height = static_cast<UINT>(h);
    data->Stride = stride;
    data->PixelFormat = format;
    data->Scan0 = scan0;
    data->Reserved = 0;
    locked_ = true;
    return S_OK;
  }
  HRESULT UnlockBits(const BitmapData* data) override {
    if (!data || !locked_) return E_INVALIDARG;
    locked_ = false;
    lockCopy_.clear();
    return S_OK;
  }

 private:
  bool Bytes() {
    if (!bytes_ && source_) {
      bytes_ = PhotoStreamBytes(source_);
      if (!bytes_) {
        auto read = std::make_shared<std::string>();
        ULONGLONG ignored = 0;
        if (SUCCEEDED(source_->Seek(0, STREAM_SEEK_SET, &ignored)) && ReadStream(source_, read.get())) bytes_ = read;
      }
      source_->Release();
      source_ = nullptr;
    }
    return bytes_ && !bytes_->empty();
  }
  bool Decoded() {
    if (!decoded_) {
      Pixels full;
      if (!Bytes() || !DecodePicture(*bytes_, &full) || full.width != pixels_.width || full.height != pixels_.height)
        return false;
      pixels_ = std::move(full);
      decoded_ = true;
      bytes_.reset();
    }
    return true;
  }

  Pixels pixels_;  // until decoded, only the size is known
  std::shared_ptr<const std::string> bytes_;
  IStream* source_ = nullptr;
  bool named_ = false;
  uint64_t digest_ = 0;
  bool decoded_ = false;
  std::vector<uint8_t> lockCopy_;
  bool locked_ = false;
};

std::atomic<int> g_factories{0};

class ImagingFactory final : public IImagingFactory {
  PARLO_COM_REFCOUNT
  ImagingFactory() { ++g_factories; }
  // The last factory to go writes what was scaled meanwhile, once, not after every picture.
  ~ImagingFactory() {
    if (--g_factories == 0) {
      PicturePrefetch::Instance().Stop();
      PictureCache::Instance().Save();
    }
  }

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IImagingFactory))
      return HandOut<IImagingFactory>(this, ppv);
    return E_NOINTERFACE;
  }

  HRESULT CreateImageFromStream(IStream* stream, IImage** image) override {
    if (!image) return E_POINTER;
    *image = nullptr;
    if (!stream) return E_INVALIDARG;
    uint64_t digest = 0;
    int w = 0, h = 0;
    bool named = PhotoStreamDigest(stream, &digest);
    // A contact's picture seen before: its size is known and its bytes stay in the book.
    if (named && PictureCache::Instance().Find(digest, &w, &h)) {
      *image = static_cast<IImage*>(new Image(nullptr, stream, &digest, w, h));
      return S_OK;
    }
    std::shared_ptr<const std::string> bytes = named ? PhotoStreamBytes(stream) : nullptr;
    if (!bytes) {
      auto read = std::make_shared<std::string>();
      if (!ReadStream(stream, read.get())) return E_FAIL;
      bytes = std::move(read);
    }
    // The header is read first: a picture too large to decode is refused before any decoding.
    if (!PictureSize(*bytes, &w, &h)) return E_FAIL;
    *image = static_cast<IImage*>(new Image(std::move(bytes), nullptr, named ? &digest : nullptr, w, h));
    return S_OK;
  }
  HRESULT CreateImageFromBuffer(const void* buffer, UINT size, DWORD, IImage** image) override {
    if (!image) return E_POINTER;
    *image = nullptr;
    if (!buffer && size) return E_INVALIDARG;
    auto bytes = std::make_shared<const std::string>(static_cast<const char*>(buffer), size);
    int w = 0, h = 0;
    if (!PictureSize(*bytes, &w, &h)) return E_FAIL;
    *image = static_cast<IImage*>(new Image(std::move(bytes), nullptr, nullptr, w, h));
    return S_OK;
  }
  HRESULT CreateBitmapFromImage(IImage* image, UINT width, UINT height, PixelFormatID format, InterpolationHint,
                                IBitmapImage** bitmap) override {
    if (!bitmap) return E_POINTER;
    *bitmap = nullptr;
    if (!image) return E_INVALIDARG;
    if (format != PixelFormat32bppPARGB && format != PixelFormat32bppARGB) return E_INVALIDARG;
    ImageInfo info{};
    HRESULT hr = image->GetImageInfo(&info);
    if (FAILED(hr)) return hr;
    IImage* thumb = nullptr;
    hr = image->GetThumbnail(width ? width : info.Width, height ? height : info.Height, &thumb);
    if (FAILED(hr)) return hr;
    hr = thumb->QueryInterface(IID_IBitmapImage, reinterpret_cast<void**>(bitmap));
    thumb->Release();
    return hr;
  }
};

}  // namespace

HRESULT CreateImagingFactory(REFIID riid, void** ppv) {
  auto* f = new ImagingFactory();
  HRESULT hr = f->QueryInterface(riid, ppv);
  f->Release();
  return hr;
}

}  // namespace platform::contacts
