// A contact's picture the way the book shows it: the imaging factory makes an image of the
// picture stream, the book fits it into its picture box, takes a thumbnail and locks its pixels.
// A small picture is also locked whole, as the lock screen's picture is.
#include <cstdlib>
#include <string>

#include "contacts/contact_book.h"
#include "imaging.h"
#include "platform/contacts/memory_stream.h"

namespace {

// The book's picture box at 192 dpi.
constexpr int kBox = 120;
constexpr long long kWholeLockPixels = 512 * 512;

IImagingFactory* Factory() {
  static IImagingFactory* factory = [] {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    void* made = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IImagingFactory, &made)))
      std::abort();
    return static_cast<IImagingFactory*>(made);
  }();
  return factory;
}

// Reads every pixel of a lock, so a lock that points at too little memory is caught.
unsigned TouchLock(IBitmapImage* bitmap, UINT width, UINT height) {
  BitmapData data{};
  if (FAILED(bitmap->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppPARGB, &data))) return 0;
  if (data.Width != width || data.Height != height || data.Stride < static_cast<INT>(width * 4)) std::abort();
  unsigned sum = 0;
  for (UINT y = 0; y < height; ++y) {
    const auto* row = static_cast<const uint8_t*>(data.Scan0) + static_cast<size_t>(y) * data.Stride;
    for (UINT x = 0; x < width * 4; ++x) sum += row[x];
  }
  bitmap->UnlockBits(&data);
  return sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  IStream* stream = platform::contacts::NewMemoryStream(std::string(reinterpret_cast<const char*>(data), size));
  IImage* image = nullptr;
  HRESULT hr = Factory()->CreateImageFromStream(stream, &image);
  stream->Release();
  if (FAILED(hr) || !image) return 0;
  ImageInfo info{};
  if (SUCCEEDED(image->GetImageInfo(&info)) && info.Width > 0 && info.Height > 0) {
    int w = 0, h = 0;
    parlo::ContactBook::FitPicture(static_cast<int>(info.Width), static_cast<int>(info.Height), kBox, kBox, &w, &h);
    IImage* thumb = nullptr;
    if (w > 0 && h > 0 && SUCCEEDED(image->GetThumbnail(static_cast<UINT>(w), static_cast<UINT>(h), &thumb))) {
      IBitmapImage* bitmap = nullptr;
      if (SUCCEEDED(thumb->QueryInterface(IID_IBitmapImage, reinterpret_cast<void**>(&bitmap)))) {
        TouchLock(bitmap, static_cast<UINT>(w), static_cast<UINT>(h));
        bitmap->Release();
      }
      thumb->Release();
    }
    if (static_cast<long long>(info.Width) * info.Height <= kWholeLockPixels) {
      IBitmapImage* whole = nullptr;
      if (SUCCEEDED(image->QueryInterface(IID_IBitmapImage, reinterpret_cast<void**>(&whole)))) {
        TouchLock(whole, info.Width, info.Height);
        whole->Release();
      }
    }
  }
  image->Release();
  return 0;
}
