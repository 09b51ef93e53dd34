// The one record of user options and start-up values, kept under HKCU "SOFTWARE\Ostrand\Parlo".
#pragma once
#include <windows.h>

// Where the phone keeps its messages, until the settings name another volume.
inline constexpr WCHAR kDefaultStorePath[] = u"\\MITs Store\\MMS\\mms.edb";
inline constexpr WCHAR kSettingsKey[] = u"SOFTWARE\\Ostrand\\Parlo";

class Settings {
 public:
  // Defaults only; nothing is read until Load.
  Settings();

  // Reads the registry: a new key gets the defaults written, an existing one is read.
  void Load();
  // Writes the seven flags back.
  void Save() const;
  // True when the key holds all seven flags; one whose writing was cut short lacks some.
  static bool Stored();

  // Flags, in declaration order; bytes holding 0 or 1. The registry names stay as the phone
  // stores them, so three of them read the other way round from their menu items.
  bool use_lock = false;
  bool use_original_view = false;  // whole texts; the menu's "8글자씩 보여주기" is its opposite
  bool find_company_name = false;
  bool find_call_number = false;
  bool find_name = false;
  bool view_sort = false;  // oldest first; the menu's "내림 차순 정렬" is its opposite
  bool close = true;       // exit really closes; the menu's "종료시 숨기기" is its opposite
  // Box a contact picture is scaled into, in device pixels; set from the screen, never stored.
  int photo_width = 0;
  int photo_height = 0;
  WCHAR store_path[260] = {};
  WCHAR password[260] = {};
  WCHAR start_number[260] = {};
};
