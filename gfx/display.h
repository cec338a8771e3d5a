// The display: the 560 x 560 off-screen frame every picture is drawn into, and the step that
// shows a finished frame in the game window once per display tick.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/platform.h"
#include "platform/viewport.h"

using platform::BoardPixels;

// The window's board area, and the off-screen frame. Null before DisplayInit and after a
// failed one.
extern platform::Surface* PrimarySurface;
extern platform::Surface* BackBuffer;

// True from a successful DisplayInit to DisplayShutdown.
extern bool DisplayRunning;
// Every surface the running display made (PrimarySurface, BackBuffer, BOB frames), freed
// together at DisplayShutdown.
extern std::vector<platform::Surface*> DisplaySurfaces;

std::uint32_t DisplayInit(std::int32_t width, std::int32_t height, std::int32_t bitsPerPixel);
std::uint32_t DisplayShutdown();
std::uint32_t WaitForVerticalBlank();
// Waits for the display tick and shows the whole BackBuffer in the window.
void PresentFrame(platform::Window window);
// Whether the last frame presented differed from the one before it.
extern bool LastFrameChanged;

// The game window, which the frames are shown in and which owns the game's boxes.
extern platform::Window MainWindow;
// A modal box owned by the game window, with the text, an empty caption and an OK button.
void ShowMessage(const char* text);

// A surface of the running display (null when it is not running). The display owns every
// surface it made and frees them all at DisplayShutdown; ReleaseDisplaySurface frees one early.
platform::Surface* CreateDisplaySurface(int width, int height);
void ReleaseDisplaySurface(platform::Surface* surface);

// Frees every display surface and forgets the display.
void ResetDisplayState();
