// Running a program under Wine's call trace (WINEDEBUG=+relay) with the trace in a file.
// Wine writes its trace to the Unix standard error, and a Windows program started from another
// keeps its parent's (here the test's, a pipe to ctest) whatever hStdError says. A Unix program
// started from Windows gets the environment block and hStdOutput as its own: a shell, which sends
// its standard error there too, starts the program through Wine's loader, so that its trace, and
// that of every process it starts, goes to the file.
#include <fstream>
#include <iterator>

#include "harness.h"

namespace harness {

RelayInclude::RelayInclude(const std::string& functions) {
  if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Debug", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key_, nullptr) != ERROR_SUCCESS) {
    key_ = nullptr;
    return;
  }
  RegSetValueExA(key_, "RelayInclude", 0, REG_SZ, reinterpret_cast<const BYTE*>(functions.c_str()),
                 static_cast<DWORD>(functions.size() + 1));
}

RelayInclude::~RelayInclude() {
  if (!key_) return;
  RegDeleteValueA(key_, "RelayInclude");
  RegCloseKey(key_);
}

DWORD RunTraced(const std::string& exe, const std::string& args, const std::string& traceFile,
                DWORD timeoutMs) {
  char loader[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("WINELOADER", loader, sizeof loader);
  if (n == 0 || n >= sizeof loader) return ERROR_FILE_NOT_FOUND;
  // This process's environment with WINEDEBUG=+relay in place of its own.
  std::string environment = "WINEDEBUG=+relay";
  environment += '\0';
  char* block = GetEnvironmentStringsA();
  for (const char* entry = block; *entry; entry += strlen(entry) + 1) {
    if (_strnicmp(entry, "WINEDEBUG=", 10) != 0) environment.append(entry, strlen(entry) + 1);
  }
  FreeEnvironmentStringsA(block);
  environment += '\0';

  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE trace = CreateFileA(traceFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherited, CREATE_ALWAYS, 0, nullptr);
  if (trace == INVALID_HANDLE_VALUE) return GetLastError();
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = INVALID_HANDLE_VALUE;
  si.hStdOutput = trace;
  si.hStdError = trace;
  // No process handle comes back for a Unix program: the shell ends the file with the exit value.
  std::string command = std::string(R"(sh -c "\"$@\" 2>&1; echo exit $?" sh ")") + loader +
                        "\" \"" + exe + "\" " + args;
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof pi);
  BOOL started = CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, TRUE, 0,
                                &environment[0], nullptr, &si, &pi);
  DWORD result = started ? STILL_ACTIVE : GetLastError();
  CloseHandle(trace);
  if (!started) return result;
  // The programs it started may go on adding lines after it.
  WaitUntil(
      [&] {
        std::ifstream file(traceFile, std::ios::binary);
        std::string text = "\n";
        text.append(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        const size_t at = text.find("\nexit ");
        if (at == std::string::npos || text.find('\n', at + 1) == std::string::npos) return false;
        result = static_cast<DWORD>(strtoul(text.c_str() + at + 6, nullptr, 10));
        return true;
      },
      timeoutMs);
  return result;
}

}  // namespace harness
