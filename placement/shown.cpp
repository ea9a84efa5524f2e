// The main windows noted before a start, and the scans that look past them.
#include "placement/shown.h"

#include "diag/diag.h"

namespace {

struct ShownPass {
  const WindowOps* ops;
  WindowState* state;
  uint32_t processId;
  const ShownWindows* shown;
  ShownWindows* noting;
};

// The window's slot among those noted; ShownSlots when it was not.
uint32_t SlotOf(const ShownWindows& shown, WindowRef window) {
  for (uint32_t i = 0; i < shown.count && i < ShownSlots; ++i)
    if (shown.windows[i] == window) return i;
  return ShownSlots;
}

bool WasShown(const ShownWindows& shown, WindowRef window) {
  return SlotOf(shown, window) < ShownSlots;
}

void NoteIfMain(WindowRef window, void* context) {
  ShownPass* pass = static_cast<ShownPass*>(context);
  ShownWindows* noting = pass->noting;
  if (noting->count >= ShownSlots || !IsMainWindow(*pass->ops, window)) return;
  noting->titles[noting->count] = pass->ops->titleHash(window);
  noting->windows[noting->count++] = window;
}

void ConsiderIfRetitled(WindowRef window, void* context) {
  const ShownPass* pass = static_cast<const ShownPass*>(context);
  const uint32_t slot = SlotOf(*pass->shown, window);
  if (slot == ShownSlots || pass->ops->ownerProcess(window) != pass->processId ||
      pass->shown->titles[slot] == pass->ops->titleHash(window) ||
      !IsMainWindow(*pass->ops, window))
    return;
  TraceLine("window %x changed its title\r\n", static_cast<unsigned>(window));
  ScanWindow(*pass->ops, pass->state, window, pass->processId);
}

void ConsiderIfNew(WindowRef window, void* context) {
  const ShownPass* pass = static_cast<const ShownPass*>(context);
  if (pass->ops->ownerProcess(window) != pass->processId || WasShown(*pass->shown, window) ||
      !IsMainWindow(*pass->ops, window))
    return;
  ScanWindow(*pass->ops, pass->state, window, pass->processId);
}

}  // namespace

void RecordShownWindows(const WindowOps& ops, ShownWindows* shown) {
  shown->count = 0;
  shown->foreground = ops.foregroundWindow();
  ShownPass pass = {&ops, nullptr, 0, shown, shown};
  ops.enumWindows(0, NoteIfMain, &pass);
}

bool ScanNewWindows(const WindowOps& ops, WindowState* state, uint32_t processId,
                    const ShownWindows& shown) {
  ShownPass pass = {&ops, state, processId, &shown, nullptr};
  ops.enumWindows(0, ConsiderIfNew, &pass);
  return state->targetWindow != 0;
}

bool ScanForeground(const WindowOps& ops, WindowState* state, uint32_t processId,
                    const ShownWindows& shown) {
  WindowRef front = ops.foregroundWindow();
  if (front != 0 && front != shown.foreground && ops.ownerProcess(front) == processId &&
      IsMainWindow(ops, front)) {
    TraceLine("window %x was brought to the front\r\n", static_cast<unsigned>(front));
    ScanWindow(ops, state, front, processId);
    return state->targetWindow != 0;
  }
  ShownPass pass = {&ops, state, processId, &shown, nullptr};
  ops.enumWindows(processId, ConsiderIfRetitled, &pass);
  return state->targetWindow != 0;
}
