// The Skin with and without its resource library.
#include <winbase_res.h>

#include <fstream>
#include <memory>

#include "draw/skin.h"
#include "draw_fixture.h"
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

SIZE SizeOf(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || GetObjectW(bitmap, sizeof bm, &bm) == 0) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

class SkinTest : public DrawTest {
 protected:
  void WriteLibrary(const std::vector<int>& ids) {
    ContainerWriter w;
    for (int id : ids) w.AddBitmap(static_cast<uint16_t>(id), Solid(id - 490, 7, 0x123456));
    WriteBytes(w.Build());
  }
  void WriteBytes(const std::vector<uint8_t>& bytes) {
    auto dir = platform::device::ProgramDir();
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "Parlores.dll", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
};

}  // namespace

// Without the library, or with one cut short, there is no library and every slot is empty.
TEST_F(SkinTest, WithoutAWholeLibraryEverySlotIsEmpty) {
  for (bool damaged : {false, true}) {
    SCOPED_TRACE(damaged ? "damaged" : "missing");
    if (damaged) {
      ContainerWriter w;
      w.AddBitmap(505, Solid(4, 4, 0));
      auto bytes = w.Build();
      bytes.resize(bytes.size() - 3);
      WriteBytes(bytes);
    }
    Skin skin;
    EXPECT_EQ(skin.Library(), nullptr);
    for (int id = 501; id <= 508; ++id) EXPECT_EQ(skin.Slot(id), nullptr) << id;
    skin.LoadLockBitmaps();
    EXPECT_EQ(skin.Dot(), nullptr);
    EXPECT_EQ(skin.PictureWidth(), 120);
    EXPECT_EQ(skin.PictureHeight(), 120);
  }
}

TEST_F(SkinTest, CreationLoadsTheFiveViewBitmapsAndNotTheLockOnes) {
  WriteLibrary({501, 502, 503, 504, 505, 506, 507, 508});
  Skin skin;
  ASSERT_NE(skin.Library(), nullptr);
  EXPECT_EQ(SizeOf(skin.Knob()).cx, 11);
  EXPECT_EQ(SizeOf(skin.Button()).cx, 12);
  EXPECT_EQ(SizeOf(skin.ButtonPressed()).cx, 13);
  EXPECT_EQ(SizeOf(skin.Track()).cx, 14);
  EXPECT_EQ(SizeOf(skin.ContactPicture()).cx, 15);
  EXPECT_EQ(skin.LockBackground(), nullptr);
  EXPECT_EQ(skin.Dot(), nullptr);
  EXPECT_EQ(skin.DotSelected(), nullptr);

  skin.LoadLockBitmaps();
  EXPECT_EQ(SizeOf(skin.LockBackground()).cx, 16);
  EXPECT_EQ(SizeOf(skin.Dot()).cx, 17);
  EXPECT_EQ(SizeOf(skin.DotSelected()).cx, 18);
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
  EXPECT_NE(skin->Button(), nullptr);
  EXPECT_NE(skin->ContactPicture(), nullptr);
  EXPECT_EQ(skin->Knob(), nullptr);
  EXPECT_EQ(skin->Track(), nullptr);
  EXPECT_EQ(skin->Slot(500), nullptr);
  EXPECT_EQ(skin->Slot(509), nullptr);
  HBITMAP picture = skin->ContactPicture();
  HMODULE library = skin->Library();
  skin.reset();
  EXPECT_EQ(GetObjectType(picture), 0u);
  EXPECT_FALSE(FreeLibrary(library));  // already freed
  EXPECT_NE(Skin().ContactPicture(), nullptr);
}
