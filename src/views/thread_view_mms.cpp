#include "views/thread_view_mms.h"

namespace parlo {

void MmsCommandLine(const WCHAR* first, const WCHAR* second, WCHAR (&out)[kMmsCommandLineChars]) {
  // A longer text is cut silently, as every bounded copy of the program is.
  StringCchPrintfW(out, kMmsCommandLineChars, u"\"%s\" \"%s\"", first ? first : u"", second ? second : u"");
}

bool LaunchMmsComposer(const WCHAR* first, const WCHAR* second, HANDLE* process) {
  WCHAR commandLine[kMmsCommandLineChars];
  MmsCommandLine(first, second, commandLine);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(u"\\windows\\MMSC.exe", commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                      &info))
    return false;
  if (info.hThread) CloseHandle(info.hThread);
  if (process) *process = info.hProcess;
  else CloseHandle(info.hProcess);
  return true;
}

}  // namespace parlo
