// The command lines the program is given: parlo's own options, the command line the system
// splits for a new process, and the start command line the program reads for its first view.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_bytes.h"
#include "platform/automation/launch_options.h"
#include "platform/device/processes/command_line.h"
#include "shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string line = parlo_fuzz::Utf16(data, size);

  // Exactly the buffer the program hands in, so a write past it is caught.
  auto number = std::make_unique<WCHAR[]>(kNumberChars);
  ViewMode mode = ParseCommandLine(line.c_str(), number.get());
  if (mode != VM_LIST && mode != VM_COMPOSE && mode != VM_THREAD_FIRST && mode != VM_CONTACTS &&
      mode != VM_COMPOSE_TO_NUMBER)
    std::abort();
  if (mode == VM_COMPOSE_TO_NUMBER && std::char_traits<char16_t>::length(number.get()) >= kNumberChars) std::abort();

  for (const std::u16string& arg : platform::device::SplitCommandLine(line))
    if (arg.find(u'\0') != std::u16string::npos && line.find(u'\0') == std::u16string::npos) std::abort();

  // parlo's arguments: the input cut at zero bytes, as argv is.
  std::vector<std::string> args;
  std::string bytes(reinterpret_cast<const char*>(data), size);
  for (size_t start = 0; start <= bytes.size();) {
    size_t end = bytes.find('\0', start);
    if (end == std::string::npos) end = bytes.size();
    args.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  std::string error;
  auto options = platform::automation::ParseLaunchOptions(args, &error);
  if (!options && error.empty()) std::abort();  // a refusal always says why
  return 0;
}
