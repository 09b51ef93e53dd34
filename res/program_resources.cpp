// The program's own resources: strings, the program menu, the menu bar, the about box and the
// program icon. Registered before main runs, as resources of the program file itself.
#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/ui/resources.h"
#include "program_ids.h"

namespace {

using platform::ui::DialogItemTemplate;
using platform::ui::DialogTemplate;
using platform::ui::IconImage;
using platform::ui::MenuBarTemplate;
using platform::ui::MenuTemplate;
using platform::ui::MenuTemplateItem;
using platform::ui::ResourceSet;

constexpr int IDC_STATIC = -1;

MenuTemplateItem Item(const char16_t* text, UINT id) { return MenuTemplateItem{text, id, MF_STRING, {}}; }
MenuTemplateItem Separator() { return MenuTemplateItem{u"", 0, MF_SEPARATOR, {}}; }

MenuTemplate ProgramMenu() {
  MenuTemplateItem popup{u"메뉴", 0, MF_POPUP, {}};
  popup.popup = {
      Item(u"문자 잠그기", ID_LOCK_NOW),     Item(u"문자 잠금 사용", ID_USE_LOCK),  Separator(),
      Item(u"문자 새로고침", ID_REFRESH_MESSAGES),   Item(u"연락처 새로고침", ID_REFRESH_CONTACTS), Separator(),
      Item(u"8글자씩 보여주기", ID_SHORT_PREVIEW), Item(u"내림 차순 정렬", ID_SORT_DESCENDING),  Item(u"종료시 숨기기", ID_HIDE_ON_EXIT),
      Separator(),
      Item(u"이 프로그램은..", ID_ABOUT), Item(u"종료", ID_EXIT),
  };
  return MenuTemplate{{popup}};
}

DialogTemplate AboutBox() {
  DialogTemplate d;
  d.style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  d.exStyle = WS_EX_CAPTIONOKBTN;
  d.cx = 177;
  d.cy = 170;
  d.caption = u"Parlo은..";
  d.fontFace = u"Microsoft Sans Serif";
  d.pointSize = 9;

  DialogItemTemplate icon;
  icon.className = u"STATIC";
  icon.textResourceId = IDI_APP;
  icon.id = IDC_STATIC;
  icon.style = SS_ICON | WS_VISIBLE;
  icon.x = 11, icon.y = 17, icon.cx = 20, icon.cy = 20;

  DialogItemTemplate version;
  version.className = u"STATIC";
  version.text = u"Parlo v0.2.1c";
  version.id = IDC_STATIC;
  version.style = SS_LEFT | SS_NOPREFIX | WS_VISIBLE;
  version.x = 38, version.y = 10, version.cx = 70, version.cy = 8;

  DialogItemTemplate notice;
  notice.className = u"STATIC";
  notice.text =
      u"손가락으로 문자를 읽고 보내는 프로그램입니다.\r\n"
      u"Copyright (C) the Parlo developers.";
  notice.id = IDC_STATIC;
  notice.style = SS_LEFT | SS_NOPREFIX | WS_BORDER | WS_VISIBLE;
  notice.x = 38, notice.y = 25, notice.cx = 108, notice.cy = 55;

  d.items = {icon, version, notice};
  return d;
}

// A speech bubble with three dots: a blue rounded body and a tail at the lower left,
// edges smoothed by sampling each pixel 4 x 4 times.
IconImage ProgramIcon() {
  constexpr int kSize = 32, kSamples = 4;
  IconImage img;
  img.width = img.height = kSize;
  img.argb.assign(kSize * kSize, 0);
  auto inBody = [](double x, double y) {
    const double l = 2, t = 4, r = 30, b = 23, rad = 6;
    if (x < l || x > r || y < t || y > b) return false;
    double cx = std::clamp(x, l + rad, r - rad), cy = std::clamp(y, t + rad, b - rad);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= rad * rad;
  };
  auto inTail = [](double x, double y) {
    // Triangle (7,21) (15,21) (6,29).
    if (y < 21 || y > 29) return false;
    double f = (y - 21) / 8.0;
    double left = 7 - f * 1, right = 15 - f * 9;
    return x >= left && x <= right;
  };
  auto inDot = [](double x, double y) {
    for (double cx : {10.0, 16.0, 22.0})
      if ((x - cx) * (x - cx) + (y - 13.5) * (y - 13.5) <= 2.2 * 2.2) return true;
    return false;
  };
  for (int py = 0; py < kSize; ++py)
    for (int px = 0; px < kSize; ++px) {
      int cover = 0, dots = 0;
      for (int sy = 0; sy < kSamples; ++sy)
        for (int sx = 0; sx < kSamples; ++sx) {
          double x = px + (sx + 0.5) / kSamples, y = py + (sy + 0.5) / kSamples;
          if (inBody(x, y) || inTail(x, y)) {
            ++cover;
            if (inDot(x, y)) ++dots;
          }
        }
      if (!cover) continue;
      uint32_t alpha = static_cast<uint32_t>(cover * 255 / (kSamples * kSamples));
      // Body 0x2E7BD6 blended towards white where the dots are.
      double w = static_cast<double>(dots) / cover;
      auto ch = [w](int c) { return static_cast<uint32_t>(std::lround(c + (255 - c) * w)); };
      img.argb[py * kSize + px] = (alpha << 24) | (ch(0x2E) << 16) | (ch(0x7B) << 8) | ch(0xD6);
    }
  return img;
}

std::shared_ptr<ResourceSet> ProgramResources() {
  auto set = std::make_shared<ResourceSet>();
  set->strings[IDS_APP_NAME] = u"Parlo";
  set->strings[IDS_MENUBAR_RIGHT] = u"";
  set->strings[IDS_MENUBAR_LEFT] = u"";
  set->menus[IDM_PROGRAM_MENU] = ProgramMenu();
  set->menuBars[IDR_MENUBAR] = MenuBarTemplate{IDM_PROGRAM_MENU, {{IDS_MENUBAR_LEFT, IDS_MENUBAR_LEFT, -1},
                                                          {IDS_MENUBAR_RIGHT, IDS_MENUBAR_RIGHT, 0}}};
  set->dialogs[IDD_ABOUT] = AboutBox();
  set->icons[IDI_APP] = ProgramIcon();
  return set;
}

// Linked in as an object library, so this runs in every binary that links the resources.
const bool kRegistered = [] {
  platform::ui::SetProgramResources(ProgramResources());
  return true;
}();

}  // namespace
