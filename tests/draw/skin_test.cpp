// The Skin with and without its resource library.
#include <winbase_res.h>

#include <memory>

#include "draw/skin.h"
#include "draw_fixture.h"
#include "kit/write_file.h"
#include "platform/base/device_root.h"
#include "platform/resfile/container.h"

using namespace parlo;
using platform::resfile::ContainerWriter;
using platform::resfile::Pixels;

namespace {

Pixels Solid(int w, int h, uint32_t color) {
  Pixels p;
  p.width = w;
  p.height = h;
  p.xrgb.assign(static_cast<size_t>(w) * h, color);
  return p;
}

LONG WidthOf(HBITMAP bitmap) {
  BITMAP bm{};
  return bitmap && GetObjectW(bitmap, sizeof bm, &bm) != 0 ? bm.bmWidth : 0;
}

// The widths of the view bitmaps, then of the lock screen's; 0 for an empty slot.
std::vector<LONG> Widths(const Skin& s) {
  return {WidthOf(s.Knob()), WidthOf(s.Button()), WidthOf(s.ButtonPressed()), WidthOf(s.Track()),
          WidthOf(s.ContactPicture()), WidthOf(s.LockBackground()), WidthOf(s.Dot()), WidthOf(s.DotSelected())};
}

class SkinTest : public DrawTest {
 protected:
  // Bitmap n is n - 490 pixels wide; `cut` bytes are left off the end.
  void WriteLibrary(const std::vector<int>& ids, size_t cut = 0) {
    ContainerWriter w;
    for (int id : ids) w.AddBitmap(static_cast<uint16_t>(id), Solid(id - 490, 7, 0x123456));
    auto bytes = w.Build();
    bytes.resize(bytes.size() - cut);
    parlo_test::WriteFileBytes(platform::device::ProgramDir() / "Parlores.dll", bytes);
  }
};

}  // namespace

// Without the library, or with one cut short, there is no library and every slot is empty.
TEST_F(SkinTest, WithoutAWholeLibraryEverySlotIsEmpty) {
  for (bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "missing");
    if (damaged) WriteLibrary({505}, 3);
    Skin skin;
    EXPECT_EQ(skin.Library(), nullptr);
    skin.LoadLockBitmaps();
    EXPECT_EQ(Widths(skin), std::vector<LONG>(8, 0));
    EXPECT_EQ(skin.PictureWidth(), 120);
    EXPECT_EQ(skin.PictureHeight(), 120);
  }
}

TEST_F(SkinTest, CreationLoadsTheFiveViewBitmapsAndNotTheLockOnes) {
  WriteLibrary({501, 502, 503, 504, 505, 506, 507, 508});
  Skin skin;
  ASSERT_NE(skin.Library(), nullptr);
  EXPECT_EQ(Widths(skin), (std::vector<LONG>{11, 12, 13, 14, 15, 0, 0, 0}));
  skin.LoadLockBitmaps();
  EXPECT_EQ(Widths(skin), (std::vector<LONG>{11, 12, 13, 14, 15, 16, 17, 18}));
  // Loading them again replaces and deletes the old ones.
  HBITMAP oldDot = skin.Dot();
  skin.LoadLockBitmaps();
  EXPECT_NE(skin.Dot(), nullptr);
  EXPECT_NE(skin.Dot(), oldDot);
  EXPECT_EQ(GetObjectType(oldDot), 0u);
}

// A missing bitmap leaves only its slot empty, and only the skin's identifiers have slots;
// destroying the skin frees its bitmaps and library and allows a fresh one.
TEST_F(SkinTest, AMissingBitmapLeavesOnlyItsSlotEmptyAndDestroyingFreesEverything) {
  WriteLibrary({500, 502, 503, 505, 509});
  auto skin = std::make_unique<Skin>();
  EXPECT_EQ(Widths(*skin), (std::vector<LONG>{0, 12, 13, 0, 15, 0, 0, 0}));
  EXPECT_EQ(skin->Slot(500), nullptr);
  EXPECT_EQ(skin->Slot(509), nullptr);
  HBITMAP picture = skin->ContactPicture();
  HMODULE library = skin->Library();
  skin.reset();
  EXPECT_EQ(GetObjectType(picture), 0u);
  EXPECT_FALSE(FreeLibrary(library));  // already freed
  EXPECT_NE(Skin().ContactPicture(), nullptr);
}
