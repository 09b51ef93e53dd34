// The imaging library: a factory that decodes pictures (JPEG, PNG, GIF, BMP) from streams into
// images, thumbnails scaled with filtering, and bitmap images whose pixels can be locked.
#pragma once
#include "objbase.h"

extern const CLSID CLSID_ImagingFactory;  // {327ABDA8-072B-11D3-9D7B-0000F81EF32E}
extern const IID IID_IImagingFactory;     // {327ABDA7-072B-11D3-9D7B-0000F81EF32E}
extern const IID IID_IImage;
extern const IID IID_IBitmapImage;

typedef DWORD PixelFormatID;
#define PixelFormat32bppARGB 0x0026200A   // B, G, R, A bytes in memory order
#define PixelFormat32bppPARGB 0x000E200B  // the same with colour premultiplied by alpha

enum ImageLockMode { ImageLockModeRead = 1, ImageLockModeWrite = 2 };
enum InterpolationHint { InterpolationHintDefault = 0 };

struct ImageInfo {
  GUID RawDataFormat;
  PixelFormatID PixelFormat;
  UINT Width;
  UINT Height;
  UINT TileWidth;
  UINT TileHeight;
  double Xdpi;
  double Ydpi;
  UINT Flags;
};

struct BitmapData {
  UINT Width;
  UINT Height;
  INT Stride;
  PixelFormatID PixelFormat;
  void* Scan0;
  UINT_PTR Reserved;
};

struct IImage : IUnknown {
  virtual HRESULT GetPhysicalDimension(SIZE* size) = 0;
  virtual HRESULT GetImageInfo(ImageInfo* info) = 0;
  virtual HRESULT SetImageFlags(UINT flags) = 0;
  // Not offered by this imaging library: pictures reach the screen as DIB sections.
  virtual HRESULT Draw(HDC hdc, const RECT* dst, const RECT* src) = 0;
  virtual HRESULT PushIntoSink(IUnknown* sink) = 0;
  // A new image of exactly width x height: area-averaged when smaller, bilinear when larger.
  virtual HRESULT GetThumbnail(UINT width, UINT height, IImage** thumb) = 0;
};

struct IBitmapImage : IUnknown {
  virtual HRESULT GetSize(SIZE* size) = 0;
  virtual HRESULT GetPixelFormatID(PixelFormatID* format) = 0;
  virtual HRESULT LockBits(const RECT* rect, UINT flags, PixelFormatID format, BitmapData* data) = 0;
  virtual HRESULT UnlockBits(const BitmapData* data) = 0;
};

struct IImagingFactory : IUnknown {
  // A stream that is not a whole picture of a known kind fails with E_FAIL; nothing is drawn.
  virtual HRESULT CreateImageFromStream(IStream* stream, IImage** image) = 0;
  virtual HRESULT CreateImageFromBuffer(const void* buffer, UINT size, DWORD disposal, IImage** image) = 0;
  virtual HRESULT CreateBitmapFromImage(IImage* image, UINT width, UINT height, PixelFormatID format,
                                        InterpolationHint hints, IBitmapImage** bitmap) = 0;
};
