// The characters of the phone's US key layout, for TranslateMessage.
#include "platform/wm/input.h"
#include "winuser.h"

namespace platform::wm {

WCHAR CharForKey(UINT vk, bool shift) {
  if (vk >= 'A' && vk <= 'Z') return static_cast<WCHAR>(shift ? vk : vk + 32);
  if (vk >= '0' && vk <= '9') return shift ? u")!@#$%^&*("[vk - '0'] : static_cast<WCHAR>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<WCHAR>('0' + vk - VK_NUMPAD0);
  struct Pair {
    UINT vk;
    WCHAR plain, shifted;
  };
  static constexpr Pair kKeys[] = {
      {VK_SPACE, u' ', u' '},      {VK_RETURN, u'\r', u'\r'},    {VK_BACK, 8, 8},
      {VK_TAB, u'\t', u'\t'},      {VK_ESCAPE, 27, 27},          {VK_OEM_1, u';', u':'},
      {VK_OEM_PLUS, u'=', u'+'},   {VK_OEM_COMMA, u',', u'<'},   {VK_OEM_MINUS, u'-', u'_'},
      {VK_OEM_PERIOD, u'.', u'>'}, {VK_OEM_2, u'/', u'?'},       {VK_OEM_3, u'`', u'~'},
      {VK_OEM_4, u'[', u'{'},      {VK_OEM_5, u'\\', u'|'},      {VK_OEM_6, u']', u'}'},
      {VK_OEM_7, u'\'', u'"'},
  };
  for (const Pair& k : kKeys)
    if (k.vk == vk) return shift ? k.shifted : k.plain;
  return 0;
}

}  // namespace platform::wm
