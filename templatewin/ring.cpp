#include "templatewin/ring.h"

namespace {

int RingFocus(const int* navigable, int count, int current, int step) {
  if (count <= 1) return current;
  int index = current;
  // One circuit over the other nodes; the last one visited wins when none is navigable.
  for (int visited = 0; visited < count - 1; ++visited) {
    index = (index + step + count) % count;
    if (navigable[index]) return index;
  }
  return index;
}

}  // namespace

int RingFocusForward(const int* navigable, int count, int current) {
  return RingFocus(navigable, count, current, 1);
}

int RingFocusBackward(const int* navigable, int count, int current) {
  return RingFocus(navigable, count, current, -1);
}
