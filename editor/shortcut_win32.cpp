#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "diag/diag.h"
#include "editor/recent.h"
#include "editor/shortcut.h"
#include "editor/shortcut_args.h"
#include "resources/resource.h"

namespace {

// A field of the editor window, always terminated.
void ReadField(HWND window, int controlId, char* text) {
  text[0] = '\0';
  GetDlgItemTextA(window, controlId, text, ShortcutTextSize);
  text[ShortcutTextSize - 1] = '\0';
}

void ReadOwnPath(HWND window, char* path) {
  path[0] = '\0';
  GetWindowModuleFileNameA(window, path, ShortcutTextSize);
  path[ShortcutTextSize - 1] = '\0';
}

void ToWide(const char* text, WCHAR* wide) {
  wide[0] = L'\0';
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, ShortcutTextSize);
  wide[ShortcutTextSize - 1] = L'\0';
}

// No shortcut could be loaded from the Output text: a new one on the desktop.
// Returns whether the editor stays open (never).
BOOL NewShortcutSteps(HWND window, IShellLinkA* link, IPersistFile* file) {
  char path[ShortcutTextSize];
  char input[ShortcutTextSize];
  char desktop[ShortcutTextSize] = "";
  WCHAR widePath[ShortcutTextSize];

  ReadOwnPath(window, path);
  if (FAILED(link->SetPath(path))) TraceLine("SetPath failed!\r\n");
  ReadField(window, IDC_INPUT, input);
  if (FAILED(link->SetArguments(input))) TraceLine("SetArguments failed!\r\n");

  // The desktop folder is read before the names are derived, so that a name
  // too long for its field is refused before anything is set or shown.
  SHGetSpecialFolderPathA(window, desktop, CSIDL_DESKTOP, FALSE);
  desktop[ShortcutTextSize - 1] = '\0';
  NewShortcutNames names;
  if (DeriveNewShortcut(input, desktop, &names) != ShortcutTextMade) return FALSE;

  if (FAILED(link->SetIconLocation(names.iconLocation, 0)))
    TraceLine("SetIconLocation failed!\r\n");
  if (FAILED(link->SetWorkingDirectory(names.workingDirectory)))
    TraceLine("SetWorkingDirectory failed!\r\n");

  // The new path heads the Output list even when saving fails.
  SetDlgItemTextA(window, IDC_OUTPUT, names.shortcutPath);
  StoreRecentList(window, IDC_OUTPUT, OUTPUT_LIST_KEY);

  ToWide(names.shortcutPath, widePath);
  if (SUCCEEDED(file->Save(widePath, TRUE)))
    MessageReport(CaptionSuccess, "Saved shortcut %s", names.shortcutPath);
  else
    MessageReport(CaptionFailure, "Failed to save in %s", names.shortcutPath);
  return FALSE;
}

// The Output text named a shortcut, now loaded: new coordinates or a
// placement in front of its arguments. Returns whether the editor stays open,
// which it does after a refused command line so the user can correct it.
BOOL UpdateSteps(HWND window, IShellLinkA* link, IPersistFile* file, const WCHAR* widePath) {
  char path[ShortcutTextSize];
  char input[ShortcutTextSize];
  char arguments[ShortcutTextSize];

  std::memset(path, 0, sizeof path);
  if (FAILED(link->GetArguments(path, ShortcutTextSize))) {
    TraceLine("GetArguments failed!\r\n");
    return FALSE;
  }
  path[ShortcutTextSize - 1] = '\0';
  ReadField(window, IDC_INPUT, input);
  switch (ComposeUpdatedArguments(input, path, arguments)) {
    case ShortcutTextMade:
      break;
    case ShortcutInvalidCommand:
      return TRUE;
    case ShortcutTextTooLong:
      return FALSE;
  }
  if (FAILED(link->SetArguments(arguments))) TraceLine("SetArguments failed!\r\n");
  ReadOwnPath(window, path);
  if (FAILED(link->SetPath(path))) TraceLine("SetPath failed!\r\n");

  ReadField(window, IDC_OUTPUT, path);
  if (SUCCEEDED(file->Save(widePath, TRUE)))
    MessageReport(CaptionSuccess, "Saved shortcut %s", path);
  else
    MessageReport(CaptionFailure, "Failed to save in %s", path);
  return FALSE;
}

}  // namespace

BOOL WriteShortcut(HWND window) {
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))) ||
      !link) {
    TraceLine("CoCreateInstance(CLSID_ShellLink failed\r\n");
    return FALSE;
  }
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) || !file) {
    TraceLine("QueryInterface(IID_IPersistFile failed\r\n");
    link->Release();
    return FALSE;
  }

  char output[ShortcutTextSize];
  WCHAR widePath[ShortcutTextSize];
  ReadField(window, IDC_OUTPUT, output);
  ToWide(output, widePath);
  BOOL keepOpen = SUCCEEDED(file->Load(widePath, STGM_READ))
                      ? UpdateSteps(window, link, file, widePath)
                      : NewShortcutSteps(window, link, file);

  // Every way ends here: the interfaces live for this run only.
  file->Release();
  link->Release();
  return keepOpen;
}
