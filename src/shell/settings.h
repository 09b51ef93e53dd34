// The one record of user options and start-up values, kept under HKCU "SOFTWARE\Ostrand\Parlo".
#pragma once
#include <windows.h>

class Settings {
 public:
  // The first call creates the record, applies the defaults and loads the registry.
  static Settings& Instance();
  // Saves the flags and frees the record; does nothing when it does not exist.
  static void Destroy();
  static bool Exists();

  // Flags, in declaration order; bytes holding 0 or 1.
  bool use_lock = false;
  bool use_original_view = false;
  bool find_company_name = false;
  bool find_call_number = false;
  bool find_name = false;
  bool view_sort = false;
  bool close = true;
  // Box a contact picture is scaled into, in device pixels; never stored.
  int photo_width = 0;
  int photo_height = 0;
  WCHAR store_path[260] = {};
  WCHAR password[260] = {};
  WCHAR start_number[260] = {};

 private:
  Settings();
  void Load();
  void Save() const;
};
