// The display: the 560 x 560 off-screen frame every picture is drawn into, and the step that
// shows a finished frame in the game window once per display tick.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/platform.h"

inline constexpr int BoardPixels = 560;

// The window's board area, and the off-screen frame. Null before DisplayInit and after a
// failed one.
extern platform::Surface* PrimarySurface;
extern platform::Surface* BackBuffer;

// The display mode asked for at start-up (recorded; the desktop is never switched).
struct DisplayMode {
  int width;
  int height;
  int bitsPerPixel;
};
extern DisplayMode RequestedDisplayMode;

// True from a successful DisplayInit to DisplayShutdown.
extern bool DisplayRunning;
// Every surface the running display made (PrimarySurface, BackBuffer, BOB frames), freed
// together at DisplayShutdown.
extern std::vector<platform::Surface*> DisplaySurfaces;
// The error log; nothing opens it, so it stays null.
extern std::FILE* ErrorLog;

std::uint32_t DisplayInit(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
std::uint32_t DisplayShutdown();
std::uint32_t WaitForVerticalBlank();
// Waits for the display tick and shows the whole BackBuffer in the window.
void PresentFrame(platform::Window window);
// Writes one line of at most 79 characters to ErrorLog. Nothing opens the log, so this writes
// nothing and returns 0.
std::uint32_t WriteErrorLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A surface of the running display (null when it is not running). The display owns every
// surface it made and frees them all at DisplayShutdown; ReleaseDisplaySurface frees one early.
platform::Surface* CreateDisplaySurface(int width, int height);
void ReleaseDisplaySurface(platform::Surface* surface);

// Frees every display surface and forgets the display.
void ResetDisplayState();
