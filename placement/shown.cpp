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

bool WasShown(const ShownWindows& shown, WindowRef window) {
  for (uint32_t i = 0; i < shown.count && i < ShownSlots; ++i)
    if (shown.windows[i] == window) return true;
  return false;
}

void NoteIfMain(WindowRef window, void* context) {
  ShownPass* pass = static_cast<ShownPass*>(context);
  if (pass->noting->count < ShownSlots && IsMainWindow(*pass->ops, window))
    pass->noting->windows[pass->noting->count++] = window;
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
  if (front == 0 || front == shown.foreground || ops.ownerProcess(front) != processId ||
      !IsMainWindow(ops, front))
    return false;
  TraceLine("window %x was brought to the front\r\n", static_cast<unsigned>(front));
  ScanWindow(ops, state, front, processId);
  return state->targetWindow != 0;
}
