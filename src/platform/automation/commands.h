// The automation commands themselves, run on the UI thread.
#pragma once
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "windows.h"

namespace platform::automation {

struct CommandResult {
  nlohmann::json answer;
  bool quit = false;  // answered later, with the exit code
};

// Words of a command line: split at runs of spaces; the rest of the line stays one word for
// commands that take text (type, compose, screenshot).
std::vector<std::string> SplitCommand(const std::string& line);

CommandResult RunCommand(const std::string& line);

// The `screen` answer (screen_report.cpp).
nlohmann::json ScreenReport();
// Top-level windows of this program, front first.
std::vector<HWND> TopLevelWindows();
// Virtual key for a key name ("up", "enter", "f3", ...); 0 when unknown.
UINT KeyCodeForName(const std::string& name);

// A plain decimal number within [min, max] (decimal.cpp).
bool ParseDecimal(const std::string& text, long min, long max, long* out);
// What an error answer may repeat of the command: a short prefix, quoted.
std::string ShortEcho(const std::string& text);

}  // namespace platform::automation
