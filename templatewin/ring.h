// Which control of the chain receives the focus, over the chain's navigable
// flags in creation order.
#pragma once

// Index of the node that gets the focus when moving forward (along the
// creation order, wrapping) or backward from current: the first navigable one
// visited, else the last one visited; current itself in a chain of one.
int RingFocusForward(const int* navigable, int count, int current);
int RingFocusBackward(const int* navigable, int count, int current);
