// The editor's system libraries (the file dialog, the shell, COM) are loaded
// on first use, so that a placement run that needs none of them never loads
// them. The program's calls go through import slots that name a stub: the
// stub loads the library from the system folder, finds the function once and
// makes the call. The linker's delay loading does the same, but brings a
// helper with unwind tables that cost the program two kilobytes.
#include <windows.h>

#include <commdlg.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include "diag/diag.h"

namespace {

// A system library or function that is not there is no state to go on from.
FARPROC Resolve(const char* library, const char* name) {
  HMODULE module = LoadLibraryExA(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  FARPROC procedure = module != nullptr ? GetProcAddress(module, name) : nullptr;
  if (procedure == nullptr) {
    MessageReport(CaptionError, "%s of %s could not be loaded.", name, library);
    ExitProcess(0);
  }
  return procedure;
}

}  // namespace

// Declares the stub of one function and its slot, which the calls of the
// system's headers read as __imp_<name>. The slot stays read-only (the
// program then needs no data section of its own); the stub keeps what it
// found.
#define LATE_IMPORT(library, result, name, parameters, arguments)                                  \
  extern "C" result(WINAPI* const __imp_##name) parameters;                                        \
  namespace {                                                                                      \
  result WINAPI Late##name parameters {                                                            \
    static FARPROC found;                                                                          \
    if (found == nullptr) found = Resolve(library, #name);                                         \
    return reinterpret_cast<result(WINAPI*) parameters>(reinterpret_cast<void*>(found)) arguments; \
  }                                                                                                \
  }                                                                                                \
  result(WINAPI* const __imp_##name) parameters = Late##name;

LATE_IMPORT("comdlg32.dll", BOOL, GetSaveFileNameA, (OPENFILENAMEA * info), (info))
LATE_IMPORT("shell32.dll", BOOL, ShellExecuteExA, (SHELLEXECUTEINFOA * info), (info))
LATE_IMPORT("shell32.dll", BOOL, SHGetSpecialFolderPathA,
            (HWND window, LPSTR path, int folder, BOOL create), (window, path, folder, create))
LATE_IMPORT("ole32.dll", HRESULT, CoInitialize, (LPVOID reserved), (reserved))
LATE_IMPORT("ole32.dll", void, CoUninitialize, (), ())
LATE_IMPORT("ole32.dll", HRESULT, CoCreateInstance,
            (REFCLSID type, LPUNKNOWN outer, DWORD context, REFIID iid, LPVOID* object),
            (type, outer, context, iid, object))
