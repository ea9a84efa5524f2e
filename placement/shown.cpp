#include "placement/shown.h"

namespace {

WindowRef shown[ShownSlots];
uint32_t shownCount = 0;

struct ShownPass {
  const WindowOps* ops;
  uint32_t processId;
};

void NoteIfVisible(WindowRef window, void* context) {
  const WindowOps* ops = static_cast<const WindowOps*>(context);
  uint32_t style = 0, exStyle = 0;
  if (shownCount < ShownSlots && ops->windowStyles(window, &style, &exStyle) &&
      (style & StyleVisible) != 0)
    shown[shownCount++] = window;
}

void ConsiderIfNew(WindowRef window, void* context) {
  const ShownPass* pass = static_cast<const ShownPass*>(context);
  for (uint32_t i = 0; i < shownCount; ++i)
    if (shown[i] == window) return;
  ConsiderWindow(*pass->ops, window, pass->processId);
}

}  // namespace

void RecordShownWindows(const WindowOps& ops) {
  shownCount = 0;
  ops.enumWindows(NoteIfVisible, const_cast<WindowOps*>(&ops));
}

bool ScanNewWindows(const WindowOps& ops, uint32_t processId) {
  ShownPass pass = {&ops, processId};
  ops.enumWindows(ConsiderIfNew, &pass);
  return TargetWindow != 0;
}
