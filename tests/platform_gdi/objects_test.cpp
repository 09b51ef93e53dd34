#include <gtest/gtest.h>

#include <tuple>

#include "canvas.h"

using namespace gdi_test;

TEST(GdiObjects, SelectReturnsPreviousAndStartsWithStockObjects) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(std::tuple(GetCurrentObject(dc, OBJ_BRUSH), GetCurrentObject(dc, OBJ_PEN), GetCurrentObject(dc, OBJ_FONT)),
            std::tuple(GetStockObject(WHITE_BRUSH), GetStockObject(BLACK_PEN), GetStockObject(SYSTEM_FONT)));
  BITMAP stock{};
  ASSERT_EQ(GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof(stock), &stock), static_cast<int>(sizeof(stock)));
  EXPECT_EQ(std::tuple(stock.bmWidth, stock.bmHeight), std::tuple(1, 1));

  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  EXPECT_EQ(SelectObject(dc, red), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_BRUSH)), red);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(1, 2, 3));
  EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
  LOGPEN lp{};
  ASSERT_EQ(GetObjectW(pen, sizeof(lp), &lp), static_cast<int>(sizeof(lp)));
  EXPECT_EQ(std::tuple(lp.lopnWidth.x, lp.lopnColor), std::tuple(3, RGB(1, 2, 3)));
  HBITMAP bmp = CreateCompatibleBitmap(dc, 20, 10);
  HGDIOBJ firstBitmap = SelectObject(dc, bmp);
  EXPECT_EQ(GetObjectType(firstBitmap), static_cast<DWORD>(OBJ_BITMAP));
  EXPECT_EQ(SelectObject(dc, firstBitmap), bmp);
  EXPECT_EQ(SelectObject(dc, GetStockObject(BLACK_PEN)), pen);
  EXPECT_EQ(std::tuple(DeleteObject(red), DeleteObject(bmp), DeleteObject(pen), DeleteDC(dc)),
            std::tuple(TRUE, TRUE, TRUE, TRUE));
}

// Stale, foreign and stock handles are refused; a selected object outlives its deletion.
TEST(GdiObjects, StaleForeignAndStockHandlesAreRefusedAndDeletingASelectedObjectIsTolerated) {
  HBRUSH brush = CreateSolidBrush(RGB(1, 1, 1));
  ASSERT_TRUE(DeleteObject(brush));
  EXPECT_FALSE(DeleteObject(brush));
  LOGBRUSH lb{};
  EXPECT_EQ(GetObjectW(brush, sizeof(lb), &lb), 0);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(dc, brush), nullptr);
  HDC other = CreateCompatibleDC(dc);
  ASSERT_TRUE(DeleteDC(dc));
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_EQ(CreateCompatibleDC(dc), nullptr);
  RECT r{0, 0, 1, 1};
  EXPECT_EQ(FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))), 0);
  // A value that was never a GDI handle.
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(static_cast<uintptr_t>(0x12345)), GetStockObject(BLACK_PEN)), nullptr);
  // A DC is not an object to delete with DeleteObject.
  EXPECT_FALSE(DeleteObject(other));
  EXPECT_TRUE(DeleteDC(other));
  HGDIOBJ white = GetStockObject(WHITE_BRUSH);
  EXPECT_FALSE(DeleteObject(white));
  ASSERT_EQ(GetObjectW(white, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
  EXPECT_EQ(lb.lbColor, RGB(255, 255, 255));
  EXPECT_EQ(GetStockObject(HOLLOW_BRUSH), GetStockObject(NULL_BRUSH));
  EXPECT_NE(GetStockObject(DEFAULT_GUI_FONT), nullptr);

  Canvas c(10, 10);
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  SelectObject(c.dc(), blue);
  EXPECT_TRUE(DeleteObject(blue));  // still selected: the DC keeps drawing with it
  EXPECT_TRUE(PatBlt(c.dc(), 0, 0, 2, 2, PATCOPY));
  EXPECT_EQ(c.At(1, 1), 0x0000FFu);
}

TEST(GdiObjects, DibSectionsTopDownAndBottomUp) {
  HDC dc = CreateCompatibleDC(nullptr);
  for (int sign : {-1, 1}) {
    BITMAPINFO info = DibInfo(4, sign * 3);
    uint32_t* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    ASSERT_TRUE(bmp && bits);
    HGDIOBJ old = SelectObject(dc, bmp);
    SetPixel(dc, 1, 0, RGB(0x11, 0x22, 0x33));  // top row
    // Top-down memory starts with the top row; bottom-up with the bottom row.
    int row = sign < 0 ? 0 : 2;
    EXPECT_EQ(bits[row * 4 + 1], 0x112233u) << "height sign " << sign;
    bits[(sign < 0 ? 2 : 0) * 4 + 3] = 0x445566;  // bottom row, last pixel
    EXPECT_EQ(GetPixel(dc, 3, 2), RGB(0x44, 0x55, 0x66));
    BITMAP bm{};
    GetObjectW(bmp, sizeof(bm), &bm);
    EXPECT_EQ(std::tuple(bm.bmWidth, bm.bmHeight, bm.bmBitsPixel, bm.bmWidthBytes, bm.bmBits), std::tuple(4, 3, 32, 16, bits));
    SelectObject(dc, old);
    DeleteObject(bmp);
  }
  BITMAPINFO bad = DibInfo(4, 4, 7);
  EXPECT_EQ(CreateDIBSection(dc, &bad, DIB_RGB_COLORS, nullptr, nullptr, 0), nullptr);
  DeleteDC(dc);
}

TEST(GdiObjects, CreateBitmapCopiesRowsAndTheDcStartsWithTheSystemsDefaults) {
  uint32_t pixels[6] = {1, 2, 3, 4, 5, 6};
  HBITMAP bmp = CreateBitmap(3, 2, 1, 32, pixels);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, bmp);
  EXPECT_EQ(GetPixel(dc, 2, 1), RGB(0, 0, 6));  // memory holds 0x00RRGGBB
  EXPECT_EQ(GetPixel(dc, 3, 1), CLR_INVALID);  // right edge is outside
  EXPECT_EQ(std::tuple(SetBkMode(dc, TRANSPARENT), SetTextColor(dc, 1), SetBkColor(dc, 1)),
            std::tuple(OPAQUE, RGB(0, 0, 0), RGB(255, 255, 255)));
  EXPECT_EQ(GetSysColor(COLOR_WINDOW | SYS_COLOR_INDEX_FLAG), RGB(255, 255, 255));
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 32);
  DeleteDC(dc);
  DeleteObject(bmp);
}
