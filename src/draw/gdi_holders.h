// Holders for GDI objects, DCs and menus: an owning holder deletes what it holds when given
// another object or when it goes; a borrowed handle is only carried (the Skin's bitmaps).
#pragma once
#include <windows.h>

#include <utility>

namespace parlo {

template <typename H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(other.Release()) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }

  // Takes `handle`; the old object is deleted unless it is the same handle.
  void Reset(H handle = nullptr) {
    if (handle_ && handle_ != handle) DeleteObject(handle_);
    handle_ = handle;
  }
  H Release() { return std::exchange(handle_, nullptr); }
  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  H handle_ = nullptr;
};

using BitmapHolder = GdiObject<HBITMAP>;
using FontHolder = GdiObject<HFONT>;
using PenHolder = GdiObject<HPEN>;
using BrushHolder = GdiObject<HBRUSH>;

// A handle someone else owns and deletes.
template <typename H>
class Borrowed {
 public:
  Borrowed() = default;
  explicit Borrowed(H handle) : handle_(handle) {}
  void Reset(H handle = nullptr) { handle_ = handle; }
  H Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  H handle_ = nullptr;
};

using BorrowedBitmap = Borrowed<HBITMAP>;

// An owned memory DC. What it selects is put back before the DC is deleted, so the objects
// selected into it can be deleted by their own holders afterwards.
class DcHolder {
 public:
  DcHolder() = default;
  explicit DcHolder(HDC dc) : dc_(dc) {}
  ~DcHolder() { Reset(); }
  DcHolder(const DcHolder&) = delete;
  DcHolder& operator=(const DcHolder&) = delete;

  void Reset(HDC dc = nullptr);
  HDC Get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

  // SelectObject that remembers the DC's original object of that kind; returns the previous one.
  HGDIOBJ Select(HGDIOBJ object);
  // Puts back the original objects (the DC stays).
  void RestoreSelections();

 private:
  static constexpr int kKinds = 4;  // bitmap, font, pen, brush
  HDC dc_ = nullptr;
  HGDIOBJ original_[kKinds] = {};
};

// A menu destroyed with the holder.
class MenuHolder {
 public:
  MenuHolder() = default;
  explicit MenuHolder(HMENU menu) : menu_(menu) {}
  ~MenuHolder() { Reset(); }
  MenuHolder(const MenuHolder&) = delete;
  MenuHolder& operator=(const MenuHolder&) = delete;

  void Reset(HMENU menu = nullptr);
  HMENU Release() { return std::exchange(menu_, nullptr); }
  HMENU Get() const { return menu_; }

 private:
  HMENU menu_ = nullptr;
};

using BorrowedMenu = Borrowed<HMENU>;

// BeginPaint when made, EndPaint when gone.
class PaintHolder {
 public:
  explicit PaintHolder(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ~PaintHolder() { EndPaint(hwnd_, &ps_); }
  PaintHolder(const PaintHolder&) = delete;
  PaintHolder& operator=(const PaintHolder&) = delete;

  HDC dc() const { return dc_; }
  const PAINTSTRUCT& ps() const { return ps_; }
  const RECT& area() const { return ps_.rcPaint; }

 private:
  HWND hwnd_;
  HDC dc_;
  PAINTSTRUCT ps_{};
};

}  // namespace parlo
