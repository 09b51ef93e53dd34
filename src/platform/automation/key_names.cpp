#include <cctype>
#include <map>

#include "platform/automation/commands.h"

namespace platform::automation {

UINT KeyCodeForName(const std::string& raw) {
  std::string name;
  for (char c : raw) name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  static const std::map<std::string, UINT> kKeys = {
      {"up", VK_UP},         {"down", VK_DOWN},       {"left", VK_LEFT},      {"right", VK_RIGHT},
      {"enter", VK_RETURN},  {"return", VK_RETURN},   {"back", VK_ESCAPE},    {"escape", VK_ESCAPE},
      {"backspace", VK_BACK}, {"tab", VK_TAB},        {"space", VK_SPACE},    {"home", VK_HOME},
      {"end", VK_END},       {"delete", VK_DELETE},   {"talk", VK_F3},        {"hangup", VK_F4},
      {"soft1", VK_F1},      {"soft2", VK_F2},        {"pageup", VK_PRIOR},   {"pagedown", VK_NEXT},
      {"shift", VK_SHIFT},   {"control", VK_CONTROL}, {"hangul", VK_HANGUL},
  };
  if (auto it = kKeys.find(name); it != kKeys.end()) return it->second;
  long n = 0;
  if (name.size() >= 2 && name[0] == 'f' && ParseDecimal(name.substr(1), 1, 24, &n))
    return static_cast<UINT>(VK_F1 + n - 1);
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0]))) {
    return static_cast<UINT>(std::toupper(static_cast<unsigned char>(name[0])));
  }
  return 0;
}

}  // namespace platform::automation
