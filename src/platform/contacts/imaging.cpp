// The imaging library's factory and its images.
#include <cstring>
#include <string>

#include "imaging.h"
#include "platform/contacts/com_object.h"
#include "platform/contacts/picture.h"

namespace platform::contacts {
namespace {

class Image final : public IImage, public IBitmapImage {
  PARLO_COM_REFCOUNT
  explicit Image(Pixels pixels) : pixels_(std::move(pixels)) {}

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
    *thumb = static_cast<IImage*>(new Image(ResizePixels(pixels_, static_cast<int>(width), static_cast<int>(height))));
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
  Pixels pixels_;
  std::vector<uint8_t> lockCopy_;
  bool locked_ = false;
};

class ImagingFactory final : public IImagingFactory {
  PARLO_COM_REFCOUNT
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
    std::string bytes;
    char buf[16384];
    for (;;) {
      ULONG got = 0;
      HRESULT hr = stream->Read(buf, sizeof buf, &got);
      if (FAILED(hr)) return hr;
      bytes.append(buf, got);
      if (got < sizeof buf) break;
      if (bytes.size() > (64u << 20)) return E_FAIL;  // no contact picture is this large
    }
    return CreateImageFromBuffer(bytes.data(), static_cast<UINT>(bytes.size()), 0, image);
  }
  HRESULT CreateImageFromBuffer(const void* buffer, UINT size, DWORD, IImage** image) override {
    if (!image) return E_POINTER;
    *image = nullptr;
    if (!buffer && size) return E_INVALIDARG;
    Pixels pixels;
    if (!DecodePicture(std::string_view(static_cast<const char*>(buffer), size), &pixels)) return E_FAIL;
    *image = static_cast<IImage*>(new Image(std::move(pixels)));
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
