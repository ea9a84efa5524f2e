#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "diag/diag.h"
#include "editor/recent.h"
#include "editor/recent_list.h"
#include "editor/shortcut.h"
#include "editor/shortcut_args.h"
#include "resources/resource.h"

namespace {

// A field of the editor window, always terminated.
void ReadField(HWND window, int controlId, char* text, int size = ShortcutTextSize) {
  text[0] = '\0';
  GetDlgItemTextA(window, controlId, text, size);
  text[size - 1] = '\0';
}

// The Input text as its list holds it, so that a text too long for a shortcut
// is refused instead of cut.
void ReadInput(HWND window, char* text) { ReadField(window, IDC_INPUT, text, RecentTextSize); }

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

// Whether a file (or folder) of that name exists: a new shortcut never
// replaces it.
bool PathTaken(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// No shortcut could be loaded from the Output text: a new one on the desktop.
// Returns whether the editor stays open (after a refused command line).
BOOL NewShortcutSteps(HWND window, IShellLinkA* link, IPersistFile* file) {
  char path[ShortcutTextSize];
  char input[RecentTextSize];
  char desktop[ShortcutTextSize] = "";
  WCHAR widePath[ShortcutTextSize];

  ReadOwnPath(window, path);
  if (FAILED(link->SetPath(path))) TraceLine("SetPath failed!\r\n");
  ReadInput(window, input);
  if (CheckNewArguments(input) != ShortcutTextMade) return FALSE;
  if (FAILED(link->SetArguments(input))) TraceLine("SetArguments failed!\r\n");

  // The desktop folder is read before the names are derived, so that a name
  // too long for its field is refused before anything is set or shown.
  SHGetSpecialFolderPathA(window, desktop, CSIDL_DESKTOP, FALSE);
  desktop[ShortcutTextSize - 1] = '\0';
  NewShortcutNames names;
  ShortcutTextResult derived = DeriveNewShortcut(input, desktop, PathTaken, &names);
  if (derived != ShortcutTextMade) return derived == ShortcutInvalidCommand;

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

// The loaded shortcut's arguments, whole, in the program's code page
// (OldArgumentsSize bytes). The wide interface reports them without the ANSI
// one's cut; a text that still can't be had whole is refused, with a report,
// so that an update never loses a character of it.
bool ReadOldArguments(HWND window, IShellLinkA* link, char* arguments) {
  IShellLinkW* wideLink = nullptr;
  if (FAILED(link->QueryInterface(IID_IShellLinkW, reinterpret_cast<void**>(&wideLink))) ||
      !wideLink) {
    TraceLine("QueryInterface(IID_IShellLinkW failed\r\n");
    return false;
  }
  WCHAR wide[OldArgumentsUnits];
  std::memset(wide, 0, sizeof wide);
  HRESULT read = wideLink->GetArguments(wide, OldArgumentsUnits);
  wideLink->Release();
  if (FAILED(read)) {
    TraceLine("GetArguments failed!\r\n");
    return false;
  }
  wide[OldArgumentsUnits - 1] = L'\0';
  char output[ShortcutTextSize];
  if (lstrlenW(wide) >= OldArgumentsUnits - 1) {
    ReadField(window, IDC_OUTPUT, output);
    MessageReport(CaptionFailure, "Shortcut arguments too long (more than %d characters) in %s",
                  OldArgumentsUnits - 2, output);
    return false;
  }
  // A character the code page lacks is refused, never replaced; UTF-8 lacks
  // none but a broken surrogate pair.
  NarrowingRule rule = StrictNarrowing(GetACP());
  BOOL replaced = FALSE;
  if (!WideCharToMultiByte(CP_ACP, rule.flags, wide, -1, arguments, OldArgumentsSize, nullptr,
                           rule.reportsDefault ? &replaced : nullptr) ||
      replaced) {
    ReadField(window, IDC_OUTPUT, output);
    MessageReport(CaptionFailure, "Shortcut arguments of %s hold characters outside the code page",
                  output);
    return false;
  }
  return true;
}

// The loaded shortcut's own target (ShortcutTextSize bytes); empty when it has
// none or it cannot be read.
void ReadOldTarget(IShellLinkA* link, char* target) {
  target[0] = '\0';
  if (FAILED(link->GetPath(target, ShortcutTextSize, nullptr, 0))) target[0] = '\0';
  target[ShortcutTextSize - 1] = '\0';
}

// The Output text named a shortcut, now loaded: new coordinates or a
// placement in front of its arguments. Returns whether the editor stays open,
// which it does after a refused command line or program so the user can
// correct it.
BOOL UpdateSteps(HWND window, IShellLinkA* link, IPersistFile* file, const WCHAR* widePath) {
  char path[ShortcutTextSize];
  char oldArguments[OldArgumentsSize];
  char input[RecentTextSize];
  char arguments[ShortcutTextSize];
  char oldTarget[ShortcutTextSize];

  if (!ReadOldArguments(window, link, oldArguments)) return FALSE;
  ReadOldTarget(link, oldTarget);
  ReadInput(window, input);
  switch (ComposeUpdatedArguments(input, oldArguments, oldTarget, arguments)) {
    case ShortcutTextMade:
      break;
    case ShortcutInvalidCommand:
    case ShortcutOtherProgram:
      return TRUE;
    case ShortcutTextTooLong:
    case ShortcutNoFreeName:
      return FALSE;
  }
  if (FAILED(link->SetArguments(arguments))) TraceLine("SetArguments failed!\r\n");
  ReadOwnPath(window, path);
  if (FAILED(link->SetPath(path))) TraceLine("SetPath failed!\r\n");

  ReadField(window, IDC_OUTPUT, path);
  RemoveSurroundingQuotes(path);
  if (SUCCEEDED(file->Save(widePath, TRUE)))
    MessageReport(CaptionSuccess, "Saved shortcut %s", path);
  else
    MessageReport(CaptionFailure, "Failed to save in %s", path);
  return FALSE;
}

}  // namespace

BOOL WriteShortcut(HWND window) {
  // Read as its list holds it: a cut path could name, and update, another
  // shortcut.
  char output[RecentTextSize];
  ReadField(window, IDC_OUTPUT, output, RecentTextSize);
  RemoveSurroundingQuotes(output);
  if (CheckShortcutPath(output) != ShortcutTextMade) return FALSE;
  // What the placement run would refuse is never written; the editor stays
  // open so the user can correct it.
  char input[RecentTextSize];
  ReadInput(window, input);
  if (CheckPlacementInput(input) != ShortcutTextMade) return TRUE;

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

  WCHAR widePath[ShortcutTextSize];
  ToWide(output, widePath);
  BOOL keepOpen = SUCCEEDED(file->Load(widePath, STGM_READ))
                      ? UpdateSteps(window, link, file, widePath)
                      : NewShortcutSteps(window, link, file);

  // Every way ends here: the interfaces live for this run only.
  file->Release();
  link->Release();
  return keepOpen;
}
