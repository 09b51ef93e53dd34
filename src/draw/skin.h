// The Skin: the resource library "Parlores.dll" and the bitmaps the views draw with.
// Views borrow the handles; only the Skin deletes them.
#pragma once
#include <windows.h>

#include "draw/gdi_holders.h"

namespace parlo {

enum SkinBitmapId : int {
  kSkinKnob = 501,           // compose slide knob, 140 x 55 on black
  kSkinButton = 502,         // header / back button, 62 x 62 on white
  kSkinButtonPressed = 503,  // the same, pressed
  kSkinTrack = 504,          // compose slide track, 480 x 55
  kSkinContact = 505,        // default contact picture, 120 x 120 on magenta
  kSkinLockBackground = 506,
  kSkinDot = 507,            // lock key dot, on black
  kSkinDotSelected = 508,
};

class Skin {
 public:
  // Loads the library and five bitmaps; a missing library leaves every slot empty.
  Skin();
  // Frees the bitmaps, then the library.
  ~Skin();

  // Called by the lock screen when its window is made.
  void LoadLockBitmaps();

  HBITMAP Knob() const { return Slot(kSkinKnob); }
  HBITMAP Button() const { return Slot(kSkinButton); }
  HBITMAP ButtonPressed() const { return Slot(kSkinButtonPressed); }
  HBITMAP Track() const { return Slot(kSkinTrack); }
  HBITMAP ContactPicture() const { return Slot(kSkinContact); }
  HBITMAP LockBackground() const { return Slot(kSkinLockBackground); }
  HBITMAP Dot() const { return Slot(kSkinDot); }
  HBITMAP DotSelected() const { return Slot(kSkinDotSelected); }
  // Any of 501..508; nullptr for other identifiers or an empty slot.
  HBITMAP Slot(int id) const;

  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return pictureHeight_; }
  HMODULE Library() const { return library_; }

  Skin(const Skin&) = delete;
  Skin& operator=(const Skin&) = delete;

 private:
  void Load(int id);

  static constexpr int kFirstId = 501;
  static constexpr int kSlotCount = 8;
  BitmapHolder slots_[kSlotCount];
  HMODULE library_ = nullptr;
  int pictureWidth_ = 120;
  int pictureHeight_ = 120;
};

}  // namespace parlo
