#include "harness/shortcut_support.h"

#include "harness.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <fstream>
#include <sstream>

void DialogWatcher::Start(DWORD timeoutMs) {
  stop = false;
  thread = std::thread([this, timeoutMs] {
    DWORD start = GetTickCount();
    while (!stop && GetTickCount() - start < timeoutMs) {
      for (HWND dialog : harness::FindMessageBoxes(GetCurrentProcessId())) {
        bool seen = false;
        for (HWND h : handled) seen = seen || h == dialog;
        if (seen) continue;
        handled.push_back(dialog);
        std::string title = harness::WindowText(dialog);
        if (onDialog && title == dialogTitle) {
          Sleep(500);  // let the dialog finish its own set-up
          onDialog(dialog);
          continue;
        }
        HWND textControl = GetDlgItem(dialog, 0xFFFF);
        {
          std::lock_guard<std::mutex> guard(lock);
          boxes.push_back(
              {title, textControl ? harness::WindowText(textControl) : "(no text control)"});
        }
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
      }
      Sleep(50);
    }
  });
}

std::vector<SeenBox> DialogWatcher::Finish() {
  stop = true;
  if (thread.joinable()) thread.join();
  std::lock_guard<std::mutex> guard(lock);
  return boxes;
}

// Read through the wide interface, which gives every character whole.
LinkContents ReadLink(const std::string& path) {
  LinkContents contents;
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return contents;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[1024];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, 1024);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      WCHAR text[1024] = L"";
      contents.loaded = true;
      if (SUCCEEDED(link->GetPath(text, 1024, nullptr, SLGP_RAWPATH)))
        contents.target = harness::Narrow(text);
      text[0] = L'\0';
      if (SUCCEEDED(link->GetArguments(text, 1024))) contents.arguments = harness::Narrow(text);
      text[0] = L'\0';
      if (SUCCEEDED(link->GetIconLocation(text, 1024, &contents.iconIndex)))
        contents.iconLocation = harness::Narrow(text);
      text[0] = L'\0';
      if (SUCCEEDED(link->GetWorkingDirectory(text, 1024)))
        contents.workingDirectory = harness::Narrow(text);
    }
    file->Release();
  }
  link->Release();
  return contents;
}

bool MakeLink(const std::string& path, const std::string& target, const std::string& arguments,
              const std::string& iconLocation, int iconIndex, const std::string& workingDirectory) {
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return false;
  bool saved = false;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    if (!iconLocation.empty()) link->SetIconLocation(iconLocation.c_str(), iconIndex);
    link->SetWorkingDirectory(workingDirectory.c_str());
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    saved = SUCCEEDED(file->Save(wide, TRUE));
    file->Release();
  }
  link->Release();
  return saved;
}

std::string FieldText(HWND window, int controlId) {
  WCHAR text[2048] = L"";
  GetDlgItemTextW(window, controlId, text, 2048);
  return harness::Narrow(text);
}

std::string DesktopFolder() {
  char path[MAX_PATH] = "";
  SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, FALSE);
  return path;
}

std::string TempFolder() {
  char path[MAX_PATH] = "";
  GetTempPathA(sizeof path, path);
  return path;
}

std::string ModulePath() {
  char path[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void MakeStandInPrograms() {
  CreateDirectoryA("C:\\Apps", nullptr);
  for (const char* path : {"C:\\Apps\\view.exe", "C:\\windows\\zz.exe"})
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string RecentHead(const char* keyPath) {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    char value[4096] = "";
    DWORD size = sizeof value;
    if (RegGetValueA(root, keyPath, nullptr, RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS)
      return value;
  }
  return "(no value)";
}

bool SameText(const std::string& a, const std::string& b) {
  return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}
