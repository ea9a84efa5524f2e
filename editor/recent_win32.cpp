// The recent-entry lists bound to the real registry and drop-down lists.
#include <windows.h>

#include "editor/recent.h"
#include "editor/recent_list.h"

static HKEY RootKey(RecentRoot root) {
  return root == RecentRootMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

static long OpenKey(void*, RecentRoot root, const char* keyPath, void** key) {
  HKEY handle = nullptr;
  LONG code = RegOpenKeyExA(RootKey(root), keyPath, 0, KEY_ALL_ACCESS, &handle);
  *key = handle;
  return code;
}

static long CreateKey(void*, RecentRoot root, const char* keyPath, void** key) {
  HKEY handle = nullptr;
  char noClass[] = "";
  LONG code = RegCreateKeyExA(RootKey(root), keyPath, 0, noClass, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &handle, nullptr);
  *key = handle;
  return code;
}

static long QueryValue(void*, void* key, const char* name, char* buffer, unsigned long* size) {
  DWORD length = *size;
  DWORD type = REG_NONE;
  LONG code = RegQueryValueExA(static_cast<HKEY>(key), name, nullptr, &type,
                               reinterpret_cast<BYTE*>(buffer), &length);
  // Only text belongs in the lists: a number or binary data that another
  // program wrote under the key counts as an absent slot.
  if (code == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) code = ERROR_FILE_NOT_FOUND;
  *size = length;
  return code;
}

static long SetValue(void*, void* key, const char* name, const char* text, unsigned long length) {
  return RegSetValueExA(static_cast<HKEY>(key), name, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text), length);
}

static long DeleteValue(void*, void* key, const char* name) {
  return RegDeleteValueA(static_cast<HKEY>(key), name);
}

static void CloseKey(void*, void* key) { RegCloseKey(static_cast<HKEY>(key)); }

static const RecentRegistryOps registryOps = {nullptr,  OpenKey,     CreateKey, QueryValue,
                                              SetValue, DeleteValue, CloseKey};

struct ListControl {
  HWND window;
  int controlId;
};

static void ResetList(void* context) {
  auto* list = static_cast<ListControl*>(context);
  SendMessageA(GetDlgItem(list->window, list->controlId), CB_RESETCONTENT, 0, 0);
}

static int AddText(void* context, const char* text) {
  auto* list = static_cast<ListControl*>(context);
  LRESULT index = SendMessageA(GetDlgItem(list->window, list->controlId), CB_ADDSTRING, 0,
                               reinterpret_cast<LPARAM>(text));
  return index == CB_ERR || index == CB_ERRSPACE ? -1 : static_cast<int>(index);
}

static void SelectFirst(void* context) {
  auto* list = static_cast<ListControl*>(context);
  SendMessageA(GetDlgItem(list->window, list->controlId), CB_SETCURSEL, 0, 0);
}

BOOL FillRecentList(HWND window, int controlId, const char* keyPath) {
  ListControl list = {window, controlId};
  RecentControlOps control = {&list, ResetList, AddText, SelectFirst};
  return FillRecentListWith(&registryOps, &control, keyPath) ? TRUE : FALSE;
}

BOOL StoreRecentList(HWND window, int controlId, const char* keyPath, const char* text) {
  ListControl list = {window, controlId};
  RecentControlOps control = {&list, ResetList, AddText, SelectFirst};
  return StoreRecentListWith(&registryOps, &control, keyPath, text) ? TRUE : FALSE;
}
