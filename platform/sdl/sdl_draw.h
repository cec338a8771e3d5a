// What the desktop backend draws itself: the menu bar, the status line, open menus and modal
// boxes, around and over the game's frame, and the scene that puts them together.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/sharp_scale.h"
#include "platform/viewport.h"

namespace platform::sdl {

// Colours, 0xRRGGBB.
inline constexpr std::uint32_t ColorFace = 0xF0F0F0;  // menu bar, menus, boxes
inline constexpr std::uint32_t ColorBorder = 0x8C8C8C;
inline constexpr std::uint32_t ColorText = 0x000000;
inline constexpr std::uint32_t ColorGrayText = 0x9A9A9A;
inline constexpr std::uint32_t ColorHighlight = 0x3476D2;  // the item under the cursor
inline constexpr std::uint32_t ColorHighlightText = 0xFFFFFF;
inline constexpr std::uint32_t ColorCaption = 0x2B579A;
inline constexpr std::uint32_t ColorCaptionText = 0xFFFFFF;
inline constexpr std::uint32_t ColorBackground = 0x202020;  // around the board

struct MenuBar;

// The window and what is needed to paint it. All sizes are in the window's drawable pixels,
// which on a screen with a scale factor are more than its points (`ratio` of them to a point);
// the menu bar and the status line are drawn with a font of the scaled size, so they keep their
// size in points and stay sharp.
struct Screen {
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  TTF_Font* font = nullptr;  // null: no text is drawn, everything else works
  int lineHeight = 15;       // of the font, or a stand-in without one
  int barHeight = 20;
  int statusHeight = 20;
  int width = 0;  // drawable size of the whole window
  int height = 0;
  float ratio = 1;    // drawable pixels per point
  float uiScale = 1;  // the menu bar's, status line's and boxes' size against their 1x size
  const MenuBar* bar = nullptr;
  // The last frame the game presented, 0x00RRGGBB, kept so that the board can be painted
  // again under a closed menu or an exposed window.
  std::vector<std::uint32_t> frame;
  SDL_Texture* board = nullptr;  // BoardPixels square, streamed each frame
  // The board at a size that is no whole multiple of it (platform/sharp_scale.h), and the rows
  // of the kept frame it does not show yet.
  bool wholePixels = false;  // the player wants whole multiples only
  SharpScaler sharp;
  SDL_Texture* sharpTexture = nullptr;
  int sharpFirst = 0;
  int sharpLast = BoardPixels - 1;
  SDL_Texture* barTexture = nullptr;
  SDL_Texture* statusTexture = nullptr;
  SDL_Texture* overlayTexture = nullptr;
  SDL_Surface* overlay = nullptr;  // menus and boxes, drawn over the scene
  std::string statusShown;         // the text in statusTexture
  bool chromeDirty = true;         // the bar or the status line must be drawn again
};

// A length of the menus and boxes at 1x, at their size now.
inline int Scaled(const Screen& screen, int pixels) {
  return int(float(pixels) * screen.uiScale + 0.5f);
}

// Opens a sans-serif font found through fontconfig ("DejaVu Sans", then "sans-serif") at the
// given pixel size. Null when none can be found or opened.
TTF_Font* OpenUiFont(int pixelSize);
// Frees what fontconfig keeps once no font is needed any more.
void CloseUiFonts();

// Menu texts mark their mnemonic with '&' ("&File"); "&&" is a literal '&'.
std::string StripMnemonic(const std::string& text);
// The mnemonic letter, lower case, or 0.
char MnemonicOf(const std::string& text);

int TextWidth(const Screen& screen, const std::string& text);  // without the '&' marks
void FillRect(SDL_Surface* surface, int x, int y, int w, int h, std::uint32_t rgb);
void DrawOutline(SDL_Surface* surface, int x, int y, int w, int h, std::uint32_t rgb);
// Draws the text with its top-left corner at (x, y); with `mnemonic`, the '&' marks are taken
// out and the marked letter underlined.
void DrawText(const Screen& screen, SDL_Surface* surface, int x, int y, const std::string& text,
              std::uint32_t rgb, bool mnemonic);

// Where the board lies in the window: between the menu bar and the status line, as large as
// fits, centred (platform/viewport.h).
Viewport BoardView(const Screen& screen);
// Turns a mouse event's position from points into drawable pixels.
void ScaleMouse(const Screen& screen, SDL_Event& event);
// A drop no one takes (text, or a file while a box or menu is open) is let go: its text is the
// taker's to free.
inline void IgnoreDrop(const SDL_Event& event) {
  if (event.type == SDL_DROPFILE || event.type == SDL_DROPTEXT) SDL_free(event.drop.file);
}
// A cleared (transparent) surface of the window's size for a menu or a box to be drawn on, and
// the way to show it over the scene. Null when there is no window.
SDL_Surface* BeginOverlay(Screen& screen);
void ShowOverlay(Screen& screen);
// Frees the overlay once the menu or box is closed (at full screen it is a large surface).
void EndOverlay(Screen& screen);
// Draws the whole window (background, board, menu bar, status line, and the overlay when
// `withOverlay`) and shows it.
void RenderScene(Screen& screen, bool withOverlay);
// Streams rows first..last of the kept frame into the board's texture (none when last < first)
// and draws the scene. False when it cannot.
bool ShowFrame(Screen& screen, int first, int last);
// Frees what RenderScene made (before the renderer goes).
void ReleaseScene(Screen& screen);

}  // namespace platform::sdl
