#include <windows.h>

#include <delayimp.h>

#include "editor/editor.h"
#include "placement/move.h"
#include "placement/run.h"
#include "placement/usage.h"

// An empty command line opens the shortcut editor; a request for the usage or
// the version is answered; anything else is a placement command. The branch's
// result is the exit value.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  if (commandLine == nullptr || commandLine[0] == '\0') return RunEditor(instance, showCommand);
  if (ShowUsageIfAsked(commandLine) || !FillMonitorExists(commandLine)) return 0;
  return RunPlacement(commandLine);
}

// The process starts here, without the C runtime's start-up: the program has no
// static constructors, no threads that use the runtime and no use of the runtime's streams, and
// msvcrt readies itself. As that start-up did, WinMain gets the command line
// after the program's own name (quoted or not) and the blanks after it, and the
// show command the starter asked for.
extern "C" void ProgramStart() {
  const unsigned char* line = reinterpret_cast<const unsigned char*>(GetCommandLineA());
  if (*line == '"') {
    while (*++line != '\0' && *line != '"') {
    }
    if (*line == '"') ++line;
  } else {
    while (*line > ' ') ++line;
  }
  while (*line != '\0' && *line <= ' ') ++line;
  STARTUPINFOA startup;
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
  ExitProcess(WinMain(GetModuleHandleA(nullptr), nullptr,
                      reinterpret_cast<LPSTR>(const_cast<unsigned char*>(line)), show));
}

// The editor's system DLLs (common dialogs, shell, COM) are loaded at their
// first call, so that a placement run never loads them. This is the loader
// the delayed imports call: it loads the DLL once and puts the function in
// the import's slot. The toolchain's own took a kilobyte and a half more,
// with unwind tables, for unloading and binding this program never does. A
// DLL or function of the system that is not there ends the program, as the
// toolchain's would.
extern "C" IMAGE_DOS_HEADER __ImageBase;
extern "C" FARPROC WINAPI __delayLoadHelper2(PCImgDelayDescr imports, FARPROC* slot) {
  const char* base = reinterpret_cast<const char*>(&__ImageBase);
  HMODULE* module = reinterpret_cast<HMODULE*>(const_cast<char*>(base) + imports->rvaHmod);
  if (*module == nullptr) *module = LoadLibraryA(base + imports->rvaDLLName);
  const FARPROC* slots = reinterpret_cast<const FARPROC*>(base + imports->rvaIAT);
  const IMAGE_THUNK_DATA* names =
      reinterpret_cast<const IMAGE_THUNK_DATA*>(base + imports->rvaINT) + (slot - slots);
  const char* name =
      IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)
          ? MAKEINTRESOURCEA(IMAGE_ORDINAL(names->u1.Ordinal))
          : reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
  FARPROC function = *module != nullptr ? GetProcAddress(*module, name) : nullptr;
  if (function == nullptr) ExitProcess(ERROR_PROC_NOT_FOUND);
  *slot = function;
  return function;
}
