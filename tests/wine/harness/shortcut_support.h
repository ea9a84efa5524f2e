// Helpers of the shortcut tests: a stand-in editor window with the two fields,
// a watcher that reads and dismisses the dialogs this process shows, and .lnk
// files made and read back through the shell's link object.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "harness/winquery.h"

using SeenBox = harness::MessageBoxInfo;

// Watches this process's top-level dialogs (class "#32770") from a thread of
// its own while the test's thread sits in their modal loops. Message boxes are
// recorded and dismissed with OK; a dialog whose title is handled by
// onDialog is passed to it instead (it must close the dialog itself).
struct DialogWatcher {
  std::function<void(HWND)> onDialog;
  std::string dialogTitle;
  std::vector<SeenBox> boxes;
  std::mutex lock;
  std::atomic<bool> stop{false};
  std::thread thread;
  std::vector<HWND> handled;

  void Start(DWORD timeoutMs = 30000);
  // Stops the thread; returns the boxes seen.
  std::vector<SeenBox> Finish();
};

struct LinkContents {
  bool loaded = false;
  std::string target, arguments, iconLocation, workingDirectory;
  int iconIndex = -1;
};

LinkContents ReadLink(const std::string& path);
bool MakeLink(const std::string& path, const std::string& target, const std::string& arguments,
              const std::string& iconLocation, int iconIndex, const std::string& workingDirectory);

std::string FieldText(HWND window, int controlId);
std::string DesktopFolder();
std::string TempFolder();  // with its trailing backslash
std::string ModulePath();
std::string FileBytes(const std::string& path);
bool FileExists(const std::string& path);
// Empty files at the program paths the shortcut tests name, which a shortcut
// is refused for when they are not there.
void MakeStandInPrograms();
// The default value of a recent-list key, HKLM first, then HKCU.
std::string RecentHead(const char* keyPath);
bool SameText(const std::string& a, const std::string& b);  // case-insensitive
