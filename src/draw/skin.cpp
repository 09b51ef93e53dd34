#include "draw/skin.h"

#include <winbase_res.h>

namespace parlo {
Skin::Skin() {
  // A missing library is not an error: the program runs with empty slots and draws no pictures.
  library_ = LoadLibraryExW(u"Parlores.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (library_) {
    for (int id : {kSkinContact, kSkinButton, kSkinButtonPressed, kSkinTrack, kSkinKnob}) Load(id);
  }
  pictureWidth_ = 120;
  pictureHeight_ = 120;
}

Skin::~Skin() {
  for (BitmapHolder& slot : slots_) slot.Reset();
  if (library_) FreeLibrary(library_);
}

void Skin::LoadLockBitmaps() {
  if (!library_) return;
  for (int id : {kSkinDotSelected, kSkinDot, kSkinLockBackground}) Load(id);
}

void Skin::Load(int id) {
  // The holder deletes the slot's old bitmap unless the same handle comes back.
  slots_[id - kFirstId].Reset(LoadBitmapW(library_, MAKEINTRESOURCEW(id)));
}

HBITMAP Skin::Slot(int id) const {
  if (id < kFirstId || id >= kFirstId + kSlotCount) return nullptr;
  return slots_[id - kFirstId].Get();
}

}  // namespace parlo
