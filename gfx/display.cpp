#include "gfx/display.h"

platform::Surface* PrimarySurface;
platform::Surface* BackBuffer;
DisplayMode RequestedDisplayMode;

void ResetDisplayState() {
  PrimarySurface = nullptr;
  BackBuffer = nullptr;
  RequestedDisplayMode = {};
}
