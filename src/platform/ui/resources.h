// Resources of a module, held as plain data: the program's own are compiled into it; a data
// file loaded with LoadLibraryExW registers its own set under its module handle.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "windows.h"

namespace platform::ui {

struct MenuTemplateItem {
  std::u16string text;
  UINT id = 0;
  UINT flags = MF_STRING;  // MF_SEPARATOR, MF_POPUP, MF_CHECKED, MF_GRAYED
  std::vector<MenuTemplateItem> popup;
};

struct MenuTemplate {
  std::vector<MenuTemplateItem> items;
};

// A control of a dialog template. Positions and sizes are in dialog units.
struct DialogItemTemplate {
  std::u16string className;  // "STATIC", "BUTTON", "EDIT"
  std::u16string text;
  WORD textResourceId = 0;  // an icon control names its icon by ordinal instead of text
  int id = -1;
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::u16string caption;
  std::u16string fontFace;
  WORD pointSize = 0;
  std::vector<DialogItemTemplate> items;
};

// One button of a menu-bar resource (the shell's SHMENUBAR data).
struct MenuBarButton {
  UINT command = 0;
  UINT stringId = 0;     // label; an empty or missing string falls back to the pop-up's name
  int popupIndex = -1;   // pop-up of the bar's menu opened by a drop-down button, else -1
};

struct MenuBarTemplate {
  WORD menuId = 0;
  std::vector<MenuBarButton> buttons;
};

// Premultiplied-free 0xAARRGGBB pixels, top row first.
struct IconImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;
};

struct ResourceSet {
  std::map<WORD, std::u16string> strings;
  std::map<WORD, MenuTemplate> menus;
  std::map<WORD, DialogTemplate> dialogs;
  std::map<WORD, MenuBarTemplate> menuBars;
  std::map<WORD, IconImage> icons;
};

// The program's own resources, answered for any instance handle that has no set of its own.
void SetProgramResources(std::shared_ptr<const ResourceSet> set);
// A data-file module's resources; an empty pointer removes them.
void SetModuleResources(HMODULE module, std::shared_ptr<const ResourceSet> set);
// The set for `instance` (never null; empty when nothing was registered).
std::shared_ptr<const ResourceSet> ResourcesFor(HINSTANCE instance);

// Resource names are ordinals here; a string name resolves to nothing.
bool ResourceOrdinal(LPCWSTR name, WORD* id);

}  // namespace platform::ui
