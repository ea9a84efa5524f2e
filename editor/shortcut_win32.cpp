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
#include "placement/lookup.h"
#include "resources/resource.h"

namespace {

// A field of the editor window, always terminated.
void ReadField(HWND window, int controlId, char* text, int size) {
  text[0] = '\0';
  GetDlgItemTextA(window, controlId, text, size);
  text[size - 1] = '\0';
}

void ToWide(const char* text, WCHAR* wide) {
  wide[0] = L'\0';
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide, ShortcutTextSize);
  wide[ShortcutTextSize - 1] = L'\0';
}

// The link object of one Ok, for the plan's look at the shortcut Output names.
struct LinkObject {
  HWND window;
  IShellLinkA* link;
  IPersistFile* file;
};

// The folder holds ShortcutTextSize bytes, more than the MAX_PATH written.
void DesktopFolder(void* context, char* folder) {
  folder[0] = '\0';
  SHGetSpecialFolderPathA(static_cast<LinkObject*>(context)->window, folder, CSIDL_DESKTOP, FALSE);
}

PathKind KindOfPath(void*, const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return PathMissing;
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathFolder : PathFile;
}

// The loaded shortcut's arguments, whole, in the program's code page
// (OldArgumentsSize bytes). The wide interface reports them without the ANSI
// one's cut; a text that still can't be had whole is refused, with a report,
// so that an update never loses a character of it.
bool ReadOldArguments(IShellLinkA* link, const char* path, char* arguments) {
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
    MessageReport(CaptionFailure, "Could not read the shortcut %s", path);
    return false;
  }
  wide[OldArgumentsUnits - 1] = L'\0';
  if (lstrlenW(wide) >= OldArgumentsUnits - 1) {
    MessageReport(CaptionFailure, "Shortcut arguments too long (more than %d characters) in %s",
                  OldArgumentsUnits - 2, path);
    return false;
  }
  // A character the code page lacks is refused, never replaced; UTF-8 lacks
  // none but a broken surrogate pair.
  NarrowingRule rule = StrictNarrowing(GetACP());
  BOOL replaced = FALSE;
  if (!WideCharToMultiByte(CP_ACP, rule.flags, wide, -1, arguments, OldArgumentsSize, nullptr,
                           rule.reportsDefault ? &replaced : nullptr) ||
      replaced) {
    MessageReport(CaptionFailure, "Shortcut arguments of %s hold characters outside the code page",
                  path);
    return false;
  }
  return true;
}

// Loads the shortcut into the link object, which an update then saves back,
// so that everything else it holds stays as it was.
ShortcutLoad LoadShortcut(void* context, const char* path, OldShortcut* old) {
  auto* object = static_cast<LinkObject*>(context);
  WCHAR widePath[ShortcutTextSize];
  ToWide(path, widePath);
  if (FAILED(object->file->Load(widePath, STGM_READ))) return ShortcutNotLoadable;
  if (!ReadOldArguments(object->link, path, old->arguments)) return ShortcutLoadRefused;
  if (FAILED(object->link->GetPath(old->target, ShortcutTextSize, nullptr, 0)))
    old->target[0] = '\0';
  old->target[ShortcutTextSize - 1] = '\0';
  old->iconIndex = 0;
  if (FAILED(object->link->GetIconLocation(old->iconLocation, ShortcutTextSize, &old->iconIndex)))
    old->iconLocation[0] = '\0';
  old->iconLocation[ShortcutTextSize - 1] = '\0';
  return ShortcutLoaded;
}

// Writes the planned shortcut; true once it is saved and both texts head
// their lists.
bool CarryOut(HWND window, const LinkObject& object, const ShortcutPlan& plan) {
  char own[ShortcutTextSize] = "";
  GetWindowModuleFileNameA(window, own, ShortcutTextSize);
  own[ShortcutTextSize - 1] = '\0';
  if (FAILED(object.link->SetPath(own))) TraceLine("SetPath failed!\r\n");
  if (FAILED(object.link->SetArguments(plan.arguments))) TraceLine("SetArguments failed!\r\n");
  if (plan.setIcon && FAILED(object.link->SetIconLocation(plan.iconLocation, plan.iconIndex)))
    TraceLine("SetIconLocation failed!\r\n");
  if (plan.workingDirectory[0] && FAILED(object.link->SetWorkingDirectory(plan.workingDirectory)))
    TraceLine("SetWorkingDirectory failed!\r\n");
  WCHAR widePath[ShortcutTextSize];
  ToWide(plan.path, widePath);
  const HRESULT saved = object.file->Save(widePath, TRUE);
  if (FAILED(saved)) {
    char reason[ErrorTextSize];
    ErrorCodeText(static_cast<unsigned long>(saved), reason, sizeof reason);
    MessageReport(CaptionFailure, "Failed to save in %s\n%s", plan.path, reason);
    return false;
  }
  // The texts enter the lists only once the shortcut is written.
  StoreRecentList(window, IDC_INPUT, INPUT_LIST_KEY, plan.input);
  StoreRecentList(window, IDC_OUTPUT, OUTPUT_LIST_KEY, plan.path);
  MessageReport(CaptionSuccess, "Saved shortcut %s", plan.path);
  return true;
}

}  // namespace

BOOL WriteShortcut(HWND window) {
  // Both texts as their lists hold them: a cut path could name, and update,
  // another shortcut.
  char input[RecentTextSize], output[RecentTextSize];
  ReadField(window, IDC_INPUT, input, RecentTextSize);
  ReadField(window, IDC_OUTPUT, output, RecentTextSize);

  LinkObject object = {window, nullptr, nullptr};
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&object.link))) ||
      !object.link) {
    TraceLine("CoCreateInstance(CLSID_ShellLink failed\r\n");
    return FALSE;
  }
  if (FAILED(
          object.link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&object.file))) ||
      !object.file) {
    TraceLine("QueryInterface(IID_IPersistFile failed\r\n");
    object.link->Release();
    return FALSE;
  }
  // Everything is decided before anything is written; after a refusal or a
  // failure the editor stays open with the texts as typed.
  ShortcutPlan plan;
  const ShortcutPlanOps ops = {&object,      DesktopFolder, KindOfPath,
                               LoadShortcut, SameProgram,   ProgramFound};
  PlanShortcut(ops, input, output, &plan);
  bool saved = plan.kind != PlanRefused && CarryOut(window, object, plan);
  object.file->Release();
  object.link->Release();
  return saved ? TRUE : FALSE;
}
