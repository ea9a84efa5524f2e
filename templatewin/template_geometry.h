// Dialog units to pixels, the widening rule and the frame's place and size.
#pragma once

// x and widths: value * baseUnitX / 4; y and heights: value * baseUnitY / 8;
// signed, truncating toward zero.
int DialogUnitsToPixelsX(int value, int baseUnitX);
int DialogUnitsToPixelsY(int value, int baseUnitY);

// The horizontal base unit after widening: doubled when widen is set and the
// content width is less than half the parent's width minus 50.
int WidenBaseUnitX(int cx, int baseUnitX, int parentWidth, int widen);

struct FrameGeometry {
  int x, y;                         // centred content within the parent's client area
  int contentWidth, contentHeight;  // in pixels
  int outerWidth, outerHeight;      // with the dialog frame, edges and caption
};

struct FrameMetrics {
  int cxDlgFrame, cyEdge, cyDlgFrame, cyFrame, cyCaption;
};

FrameGeometry ComputeFrame(int cx, int cy, int baseUnitX, int baseUnitY, int parentRight,
                           int parentBottom, const FrameMetrics& metrics);
