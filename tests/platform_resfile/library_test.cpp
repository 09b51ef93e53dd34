// LoadLibraryExW / LoadBitmapW / FreeLibrary on containers in the program's folder.
#include <gtest/gtest.h>
#include <windows.h>
#include <winbase_res.h>

#include <tuple>

#include "kit/temp_device.h"
#include "kit/write_file.h"
#include "platform/base/device_root.h"
#include "platform/resfile/container.h"
#include "platform/resfile/install.h"

using namespace platform::resfile;

namespace {

class ResLibrary : public ::testing::Test {
 protected:
  static void Place(const std::vector<uint8_t>& bytes, const char* name = "Parlores.dll") {
    parlo_test::WriteFileBytes(platform::device::ProgramDir() / name, bytes);
  }
  // Bitmap 502, and 504 after it, whose last pixel byte is flipped so that its CRC fails.
  static std::vector<uint8_t> Library() {
    Pixels p;
    p.width = 3;
    p.height = 2;
    p.xrgb = {0xFF0000, 0x00FF00, 0x0000FF, 0x102030, 0xFFFFFF, 0x000000};
    ContainerWriter w;
    w.AddBitmap(502, p);
    w.AddBitmap(504, p);
    auto bytes = w.Build();
    bytes.back() ^= 0xFF;
    return bytes;
  }
  parlo_test::TempDevice device_;
};

std::tuple<LONG, LONG> BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm) return {-1, -1};
  return {bm.bmWidth, bm.bmHeight};
}

}  // namespace

// Each load of a bitmap makes a new one that the caller owns; a damaged or unknown bitmap, a
// named one, or one asked of no library or of a freed one, is none.
TEST_F(ResLibrary, LoadsBitmapsByNumberFromTheProgramFolder) {
  Place(Library());
  HMODULE lib = LoadLibraryExW(u"Parlores.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(lib, nullptr);
  HBITMAP bmp = LoadBitmapW(lib, MAKEINTRESOURCEW(502));
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(BitmapSize(bmp), std::tuple(3, 2));
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  EXPECT_EQ(std::tuple(GetPixel(dc, 0, 0), GetPixel(dc, 2, 0), GetPixel(dc, 0, 1)),
            std::tuple(RGB(255, 0, 0), RGB(0, 0, 255), RGB(0x10, 0x20, 0x30)));
  SelectObject(dc, old);
  DeleteDC(dc);
  HBITMAP second = LoadBitmapW(lib, MAKEINTRESOURCEW(502));
  EXPECT_NE(second, bmp);
  EXPECT_TRUE(DeleteObject(bmp) && DeleteObject(second));

  SetLastError(0);
  EXPECT_EQ(LoadBitmapW(lib, MAKEINTRESOURCEW(504)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
  EXPECT_EQ(LoadBitmapW(lib, MAKEINTRESOURCEW(503)), nullptr);
  EXPECT_EQ(LoadBitmapW(lib, u"BUTTON"), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(502)), nullptr);
  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_EQ(LoadBitmapW(lib, MAKEINTRESOURCEW(502)), nullptr);
  EXPECT_FALSE(FreeLibrary(lib));
}

// Names match without case, as on the phone, and phone paths reach the program's folder.
TEST_F(ResLibrary, NamesIgnoreCaseAndPhonePathsWork) {
  for (auto [file, name] : {std::pair{"parlores.DLL", u"Parlores.dll"},
                            {"Parlores.dll", u"\\Program Files\\Parlo\\Parlores.dll"}}) {
    std::filesystem::remove_all(platform::device::ProgramDir());
    Place(Library(), file);
    HMODULE lib = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(lib, nullptr) << file;
    FreeLibrary(lib);
  }
}

TEST_F(ResLibrary, MissingOrTruncatedLibrariesAndPathsOutsideDoNotLoad) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryExW(u"Parlores.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  // Nothing outside the device root is reachable.
  for (const char16_t* name : {u"..\\..\\etc\\passwd", u"../Parlores.dll", u"", static_cast<const char16_t*>(nullptr)})
    EXPECT_EQ(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
  // A truncated library does not load.
  auto bytes = Library();
  bytes.resize(bytes.size() - 1);
  Place(bytes);
  SetLastError(0);
  EXPECT_EQ(LoadLibraryExW(u"Parlores.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
}

TEST_F(ResLibrary, InstallCopiesIntoTheProgramFolder) {
  auto source = device_.dir() / "built.dll";
  auto bytes = Library();
  parlo_test::WriteFileBytes(source, bytes);
  ASSERT_TRUE(InstallLibrary(source));
  EXPECT_EQ(parlo_test::ReadFileBytes(platform::device::ProgramDir() / "Parlores.dll").size(), bytes.size());
  EXPECT_FALSE(InstallLibrary(device_.dir() / "missing.dll"));
}

// The skin the build packs: every bitmap at the size its users draw it from.
TEST_F(ResLibrary, BuiltSkinHasAllEightBitmaps) {
  const auto built = BuiltLibraryPath();
  if (!std::filesystem::exists(built)) GTEST_SKIP() << "skin not packed in this build: " << built;
  ASSERT_TRUE(InstallLibrary(built));
  HMODULE lib = LoadLibraryExW(u"Parlores.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(lib, nullptr);
  const struct { int id, w, h; COLORREF key; bool keyed; } want[] = {
      {501, 140, 55, RGB(0, 0, 0), true},       {502, 62, 62, RGB(255, 255, 255), true},
      {503, 62, 62, RGB(255, 255, 255), true},  {504, 480, 55, 0, false},
      {505, 120, 120, RGB(255, 0, 255), true},  {506, 480, 800, 0, false},
      {507, 73, 73, RGB(0, 0, 0), true},        {508, 73, 73, RGB(0, 0, 0), true},
  };
  HDC dc = CreateCompatibleDC(nullptr);
  for (const auto& w : want) {
    HBITMAP bmp = LoadBitmapW(lib, MAKEINTRESOURCEW(w.id));
    ASSERT_NE(bmp, nullptr) << w.id;
    EXPECT_EQ(BitmapSize(bmp), std::tuple(w.w, w.h)) << w.id;
    HGDIOBJ old = SelectObject(dc, bmp);
    if (w.keyed) {
      // Corners are transparent, the middle is drawn.
      EXPECT_EQ(GetPixel(dc, 0, 0), w.key) << w.id;
      EXPECT_EQ(GetPixel(dc, w.w - 1, w.h - 1), w.key) << w.id;
      EXPECT_NE(GetPixel(dc, w.w / 2, w.h / 2), w.key) << w.id;
    }
    SelectObject(dc, old);
    DeleteObject(bmp);
  }
  DeleteDC(dc);
  FreeLibrary(lib);
}
