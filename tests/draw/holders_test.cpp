// Owning holders delete what they hold exactly once; borrowed handles are never deleted; a DC
// holder puts back what it selected.
#include "draw/gdi_holders.h"
#include "draw_fixture.h"

using namespace parlo;

namespace {
bool Alive(HGDIOBJ object) { return GetObjectType(object) != 0; }
using Holders = DrawTest;
}  // namespace

TEST_F(Holders, OneOwnerDeletesOnResetToAnotherHandleOrOnDestructionAndBorrowersNever) {
  HBRUSH a = CreateSolidBrush(RGB(1, 2, 3));
  HBRUSH b = CreateSolidBrush(RGB(4, 5, 6));
  {
    BrushHolder holder(a);
    holder.Reset(a);  // the same handle is kept
    EXPECT_TRUE(Alive(a));
    EXPECT_EQ(holder.Get(), a);
    holder.Reset(b);
    EXPECT_FALSE(Alive(a));
    EXPECT_TRUE(Alive(b));
  }
  EXPECT_FALSE(Alive(b));
  HBITMAP bmp = CreateBitmap(4, 4, 1, 32, nullptr);
  {
    BitmapHolder holder(bmp);
    EXPECT_EQ(holder.Release(), bmp);
    EXPECT_FALSE(holder);
    BorrowedBitmap borrowed(bmp);
    borrowed.Reset(nullptr);
  }
  EXPECT_TRUE(Alive(bmp));
  {
    BitmapHolder first(bmp);
    BitmapHolder second(std::move(first));
    EXPECT_EQ(first.Get(), nullptr);
    EXPECT_EQ(second.Get(), bmp);
  }
  EXPECT_FALSE(Alive(bmp));
}

TEST_F(Holders, DcHolderRestoresTheOriginalSelectionsAndDeletesTheDc) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ originalBitmap = GetCurrentObject(dc, OBJ_BITMAP);
  HGDIOBJ originalBrush = GetCurrentObject(dc, OBJ_BRUSH);
  BitmapHolder one(CreateBitmap(2, 2, 1, 32, nullptr));
  BitmapHolder two(CreateBitmap(3, 3, 1, 32, nullptr));
  BrushHolder brush(CreateSolidBrush(RGB(9, 9, 9)));
  DcHolder holder(dc);
  holder.Select(one.Get());
  // A second selection must not overwrite what is put back at the end.
  EXPECT_EQ(holder.Select(two.Get()), one.Get());
  holder.Select(brush.Get());
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), two.Get());
  holder.RestoreSelections();
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), originalBitmap);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), originalBrush);
  // Reset puts back what is still selected and deletes the DC.
  holder.Select(one.Get());
  holder.Reset();
  EXPECT_EQ(GetObjectType(dc), 0u);
  EXPECT_TRUE(one && GetObjectType(one.Get()) != 0);
}
