// The display: its surfaces, the frame shown once per tick, and the game window's boxes.
#include "gfx/display.h"

#include <algorithm>

platform::Surface* PrimarySurface;
platform::Surface* BackBuffer;
bool DisplayRunning;
std::vector<platform::Surface*> DisplaySurfaces;
platform::Window MainWindow;
bool LastFrameChanged;

std::uint32_t DisplayInit(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel) {
  if (DisplayRunning) return 1;  // started once per run; a second call changes nothing
  if (!platform::DisplayOpen(width, height, bitsPerPixel)) return 0;
  DisplayRunning = true;
  // Both are the board's size whatever mode was asked for: the window shows the board unscaled.
  PrimarySurface = CreateDisplaySurface(BoardPixels, BoardPixels);
  if (PrimarySurface == nullptr) return 0;
  BackBuffer = CreateDisplaySurface(BoardPixels, BoardPixels);
  if (BackBuffer == nullptr) return 0;
  return 1;
}

std::uint32_t DisplayShutdown() {
  for (platform::Surface* s : DisplaySurfaces) platform::ReleaseSurface(s);
  DisplaySurfaces.clear();
  DisplaySurfaces.shrink_to_fit();
  PrimarySurface = nullptr;
  BackBuffer = nullptr;
  if (DisplayRunning) platform::DisplayClose();
  DisplayRunning = false;
  return 1;
}

std::uint32_t WaitForVerticalBlank() {
  platform::WaitVerticalBlank();
  return 1;
}

void PresentFrame(platform::Window) {
  // The wait paces the game even when there is nothing to show.
  WaitForVerticalBlank();
  if (!DisplayRunning || PrimarySurface == nullptr || BackBuffer == nullptr) return;
  LastFrameChanged = PrimarySurface->pixels != BackBuffer->pixels;
  if (!platform::Blit(*PrimarySurface, platform::Rect{0, 0, BoardPixels, BoardPixels}, *BackBuffer,
                      nullptr, false)) {
    return;
  }
  platform::Present(*PrimarySurface);
}

void ShowMessage(const char* text) {
  platform::MessageBox(platform::FindWindow("WINXCLASS", "Yelko"), text, "");
}

platform::Surface* CreateDisplaySurface(int width, int height) {
  if (!DisplayRunning) return nullptr;
  platform::Surface* s = platform::CreateSurface(width, height);
  if (s != nullptr) DisplaySurfaces.push_back(s);
  return s;
}

void ReleaseDisplaySurface(platform::Surface* surface) {
  // Only surfaces of this display are freed, and each only once.
  auto it = std::find(DisplaySurfaces.begin(), DisplaySurfaces.end(), surface);
  if (surface == nullptr || it == DisplaySurfaces.end()) return;
  DisplaySurfaces.erase(it);
  if (surface == PrimarySurface) PrimarySurface = nullptr;
  if (surface == BackBuffer) BackBuffer = nullptr;
  platform::ReleaseSurface(surface);
}

void ResetDisplayState() {
  DisplayShutdown();
  LastFrameChanged = false;
  MainWindow = 0;
}
