// The sizes asked of a window that keeps a size grid, and the one it keeps.
#include "placement/grid.h"

namespace {

int32_t Ask(const GridFit& fit, int i) {
  if (fit.cover && fit.kept[i] >= fit.wanted[i]) return fit.kept[i];
  // Past the system's coordinates the window takes nothing anyway.
  return static_cast<int32_t>(fit.first[i] +
                              (static_cast<int64_t>(fit.wanted[i]) - fit.first[i]) * fit.reach);
}

// Of two sizes taken, the nearer to wanted (the larger when both are as
// near), or for a fill the smaller of those that cover (the larger when
// neither does).
int32_t Pick(int32_t wanted, int32_t kept, int32_t taken, bool cover) {
  const int32_t low = kept < taken ? kept : taken, high = kept < taken ? taken : kept;
  if (cover) return low >= wanted ? low : high;
  return static_cast<int64_t>(wanted) - low < static_cast<int64_t>(high) - wanted ? low : high;
}

}  // namespace

bool GridAnswer(GridFit* fit, const int32_t taken[2]) {
  if (fit->reach > GridReachMost) return false;  // it took the size kept
  bool covered = true, same = true, exact = true;
  for (int i = 0; i < 2; ++i) {
    if (fit->reach == 1) fit->first[i] = fit->kept[i] = taken[i];
    fit->kept[i] = Pick(fit->wanted[i], fit->kept[i], taken[i], fit->cover);
    covered = covered && fit->kept[i] >= fit->wanted[i];
    same = same && fit->kept[i] == taken[i];
    exact = exact && taken[i] == fit->wanted[i];
  }
  if (fit->reach == 1 && exact) return false;
  const bool done = (fit->reach > 1 && (!fit->cover || covered)) || fit->reach == GridReachMost;
  fit->reach *= 2;
  if (done) fit->reach = GridReachMost * 2;
  for (int i = 0; i < 2; ++i) fit->ask[i] = done ? fit->kept[i] : Ask(*fit, i);
  return !(done && same);
}
