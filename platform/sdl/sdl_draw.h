// What the desktop backend draws itself: the menu bar, open menus and modal boxes, in the
// window's own surface around and over the game's frame.
#pragma once

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform::sdl {

inline constexpr int ClientWidth = 560;
inline constexpr int ClientHeight = 560;

// Colours, 0xRRGGBB.
inline constexpr std::uint32_t ColorFace = 0xF0F0F0;  // menu bar, menus, boxes
inline constexpr std::uint32_t ColorBorder = 0x8C8C8C;
inline constexpr std::uint32_t ColorText = 0x000000;
inline constexpr std::uint32_t ColorGrayText = 0x9A9A9A;
inline constexpr std::uint32_t ColorHighlight = 0x3476D2;  // the item under the cursor
inline constexpr std::uint32_t ColorHighlightText = 0xFFFFFF;
inline constexpr std::uint32_t ColorCaption = 0x2B579A;
inline constexpr std::uint32_t ColorCaptionText = 0xFFFFFF;

// The window and what is needed to paint it. The frame is the last one the game presented,
// kept so that the board can be painted again under a closed menu or an exposed window.
struct Screen {
  SDL_Window* window = nullptr;
  TTF_Font* font = nullptr;  // null: no text is drawn, everything else works
  int lineHeight = 15;       // of the font, or a stand-in without one
  int barHeight = 20;
  std::vector<std::uint32_t> frame;  // ClientWidth x ClientHeight, 0x00RRGGBB
};

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
// Copies the kept frame into the board area below the menu bar.
void DrawFrame(const Screen& screen, SDL_Surface* surface);

}  // namespace platform::sdl
