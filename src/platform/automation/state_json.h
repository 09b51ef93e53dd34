// The state record as JSON, for the automation room and its tests.
#pragma once
#include <nlohmann/json.hpp>

namespace platform::automation {

// Every source's keys in one object; {} when the program has published nothing.
nlohmann::json CollectState();
// The screen sources' keys, written into `report`.
void CollectScreen(nlohmann::json& report);

}  // namespace platform::automation
