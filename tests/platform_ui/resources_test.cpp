#include <memory>
#include <tuple>

#include "platform/gdi/screen.h"
#include "platform/ui/resources.h"
#include "ui_fixture.h"

// Each row: the string, the buffer's length in characters, what comes back and what the buffer
// then holds; the buffer starts as "xxxxxxx" and nothing is written past its length.
TEST(LoadString, BuffersGetTheTextCutToFitAndTerminatedAndDataFileModulesTheirOwn) {
  const struct {
    UINT id;
    int length, result;
    const char16_t* text;
  } cases[] = {{128, 260, 5, u"Parlo"}, {128, 6, 5, u"Parlo"}, {128, 3, 2, u"Pa"}, {128, 1, 0, u""},
               {59282, 16, 0, u""}, {59283, 16, 0, u""},  // existing empty strings still empty the buffer
               {4711, 16, 0, u"xxxxxxx"}, {128, -1, 0, u"xxxxxxx"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.id << " in " << c.length);
    std::u16string buffer(300, u'\0');
    buffer.replace(0, 7, u"xxxxxxx");
    SetLastError(0);
    EXPECT_EQ(LoadStringW(c.id == 128 ? GetModuleHandleW(nullptr) : nullptr, c.id, buffer.data(), c.length), c.result);
    EXPECT_EQ(std::u16string(buffer.c_str()), c.text);
    EXPECT_TRUE(c.length <= 0 || c.length >= 7 || buffer[static_cast<size_t>(c.length)] == u'x') << "written past";
    EXPECT_TRUE(c.id != 4711 || GetLastError() == ERROR_RESOURCE_NAME_NOT_FOUND) << GetLastError();
  }
  EXPECT_EQ(LoadStringW(nullptr, 128, nullptr, 16), 0);
  // A zero-length buffer receives a pointer to the resource itself.
  LPCWSTR text = nullptr;
  EXPECT_EQ(LoadStringW(nullptr, 128, reinterpret_cast<LPWSTR>(&text), 0), 5);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, 5), u"Parlo");
  // A data-file module answers from its own set.
  auto set = std::make_shared<platform::ui::ResourceSet>();
  set->strings[128] = u"Skin";
  HMODULE module = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x5A5A));
  platform::ui::SetModuleResources(module, set);
  WCHAR buffer[16];
  EXPECT_EQ(LoadStringW(module, 128, buffer, 16), 4);
  EXPECT_EQ(std::u16string(buffer), u"Skin");
  EXPECT_EQ(LoadStringW(module, 59282, buffer, 16), 0) << "no fallback to the program's strings";
  platform::ui::SetModuleResources(module, nullptr);
  EXPECT_EQ(LoadStringW(module, 128, buffer, 16), 5) << "an unknown handle means the program";
}

class IconTest : public uitest::UiTest {};

TEST_F(IconTest, ProgramIconIsSharedAndDrawsABubbleWithClearCorners) {
  HICON a = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128));
  HICON b = LoadIconW(nullptr, MAKEINTRESOURCEW(128));
  ASSERT_TRUE(a && a == b);
  EXPECT_TRUE(DestroyIcon(a));
  EXPECT_TRUE(DrawIcon(nullptr, 0, 0, a) == FALSE) << "no DC";

  // Drawn over the owner's white.
  HDC dc = GetDC(owner_);
  ASSERT_TRUE(DrawIconEx(dc, 0, 0, a, 64, 64, 0, nullptr, DI_NORMAL)) << "still drawable after DestroyIcon";
  ReleaseDC(owner_, dc);
  const uint32_t body = platform::gdi::ScreenPixel(8, 16);
  EXPECT_EQ(platform::gdi::ScreenPixel(1, 1), 0xFFFFFFu);
  EXPECT_GT(body & 0xFF, (body >> 16) + 60) << "the bubble is blue";
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(129)), nullptr);
}

TEST(Cursor, SetCursorReturnsThePreviousOneAndRefusesWhatIsNotACursor) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  ASSERT_TRUE(arrow && wait && arrow != wait);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), wait) << "system cursors are shared";
  // What SetCursor answered, then the cursor and whether it is the wait one.
  using Set = std::tuple<HCURSOR, HCURSOR, bool>;
  auto set = [](HCURSOR c) {
    HCURSOR before = SetCursor(c);
    return Set{before, GetCursor(), platform::ui::CursorIsWait()};
  };
  EXPECT_FALSE(std::get<2>(set(arrow)));
  EXPECT_EQ(set(wait), Set(arrow, wait, true));
  EXPECT_EQ(set(nullptr), Set(wait, nullptr, false));
  HCURSOR bogus = reinterpret_cast<HCURSOR>(static_cast<uintptr_t>(0x12345));
  EXPECT_EQ(set(bogus), Set(nullptr, nullptr, false)) << "a bad handle changes nothing";
  HMENU menu = CreateMenu();
  EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(menu)), nullptr) << "a menu is not a cursor";
  DestroyMenu(menu);
  EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  SetCursor(arrow);
}
