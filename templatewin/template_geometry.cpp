#include "templatewin/template_geometry.h"

// C++ integer division truncates toward zero, as the layout requires.
int DialogUnitsToPixelsX(int value, int baseUnitX) { return value * baseUnitX / 4; }

int DialogUnitsToPixelsY(int value, int baseUnitY) { return value * baseUnitY / 8; }

int WidenBaseUnitX(int cx, int baseUnitX, int parentWidth, int widen) {
  if (widen && DialogUnitsToPixelsX(cx, baseUnitX) < parentWidth / 2 - 50) return baseUnitX * 2;
  return baseUnitX;
}

FrameGeometry ComputeFrame(int cx, int cy, int baseUnitX, int baseUnitY, int parentRight,
                           int parentBottom, const FrameMetrics& metrics) {
  FrameGeometry g;
  g.contentWidth = DialogUnitsToPixelsX(cx, baseUnitX);
  g.contentHeight = DialogUnitsToPixelsY(cy, baseUnitY);
  // The content, not the outer size, is centred.
  g.x = (parentRight - g.contentWidth) / 2;
  g.y = (parentBottom - g.contentHeight) / 2;
  g.outerWidth = g.contentWidth + 2 * metrics.cxDlgFrame;
  g.outerHeight = g.contentHeight + 2 * (metrics.cyEdge + metrics.cyDlgFrame) + metrics.cyFrame +
                  metrics.cyCaption;
  return g;
}
