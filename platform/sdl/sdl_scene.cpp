#include <algorithm>

#include "platform/platform.h"
#include "platform/sdl/sdl_draw.h"
#include "platform/sdl/sdl_menu.h"

namespace platform::sdl {
namespace {

constexpr int StatusPad = 8;

// The status picture's side: the line's height less a margin; 0 without a picture.
int PictureSide(const Screen& screen) {
  return StatusPicture().width > 0 ? std::max(1, screen.statusHeight - Scaled(screen, 4)) : 0;
}

// The status line's text: the whole of it, or the first shorter form that fits the window.
std::string StatusToShow(const Screen& screen) {
  const int side = PictureSide(screen);
  const int room =
      screen.width - 2 * Scaled(screen, StatusPad) - (side > 0 ? side + Scaled(screen, 6) : 0);
  if (TextWidth(screen, StatusText()) <= room) return StatusText();
  for (const std::string& shorter : StatusShorterTexts()) {
    if (TextWidth(screen, shorter) <= room) return shorter;
  }
  const std::vector<std::string>& all = StatusShorterTexts();
  return all.empty() ? StatusText() : all.back();
}

void SetColor(SDL_Renderer* renderer, std::uint32_t rgb) {
  SDL_SetRenderDrawColor(renderer, std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8),
                         std::uint8_t(rgb), 255);
}

// The window's drawable size and its ratio to the size in points, read anew: the window may
// have been resized or moved to a screen of another scale.
void UpdateSize(Screen& screen) {
  int w = 0;
  int h = 0;
  if (screen.renderer == nullptr || SDL_GetRendererOutputSize(screen.renderer, &w, &h) != 0) {
    return;
  }
  if (w != screen.width || h != screen.height) {
    screen.width = w;
    screen.height = h;
    screen.chromeDirty = true;
  }
  int pw = 0;
  int ph = 0;
  SDL_GetWindowSize(screen.window, &pw, &ph);
  screen.ratio = pw > 0 ? float(w) / float(pw) : 1.0f;
}

SDL_Texture* Replace(Screen& screen, SDL_Texture* old, SDL_Surface* surface) {
  if (old != nullptr) SDL_DestroyTexture(old);
  if (surface == nullptr) return nullptr;
  SDL_Texture* t = SDL_CreateTextureFromSurface(screen.renderer, surface);
  SDL_FreeSurface(surface);
  if (t != nullptr) SDL_SetTextureBlendMode(t, SDL_BLENDMODE_NONE);
  return t;
}

SDL_Surface* NewSurface(int w, int h) {
  return SDL_CreateRGBSurfaceWithFormat(0, std::max(1, w), std::max(1, h), 32,
                                        SDL_PIXELFORMAT_ARGB8888);
}

// The menu bar and the status line, drawn once each time they change rather than every frame.
void DrawChrome(Screen& screen) {
  screen.chromeDirty = false;
  SDL_Surface* bar = NewSurface(screen.width, screen.barHeight);
  if (bar != nullptr && screen.bar != nullptr) DrawMenuBar(*screen.bar, screen, bar, -1);
  screen.barTexture = Replace(screen, screen.barTexture, bar);

  screen.statusShown = StatusText();
  SDL_Surface* status = NewSurface(screen.width, screen.statusHeight);
  if (status != nullptr) {
    FillRect(status, 0, 0, status->w, status->h, ColorFace);
    FillRect(status, 0, 0, status->w, 1, ColorBorder);
    // The picture, scaled by nearest pixel to the line's height, then the text after it.
    const Surface& picture = StatusPicture();
    const int side = PictureSide(screen);
    const int top = (screen.statusHeight - side + 1) / 2;
    const int left = Scaled(screen, StatusPad);
    if (side > 0 && SDL_LockSurface(status) == 0) {
      for (int y = 0; y < side && top + y < status->h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(status->pixels) +
                                                     std::ptrdiff_t(top + y) * status->pitch);
        const int sy = y * picture.height / side;
        for (int x = 0; x < side && left + x < status->w; ++x) {
          const int sx = x * picture.width / side;
          row[left + x] = 0xFF000000u | picture.pixels[std::size_t(sy * picture.width + sx)];
        }
      }
      SDL_UnlockSurface(status);
    }
    DrawText(screen, status, left + (side > 0 ? side + Scaled(screen, 6) : 0),
             (screen.statusHeight - screen.lineHeight) / 2, StatusToShow(screen), ColorText, false);
  }
  screen.statusTexture = Replace(screen, screen.statusTexture, status);
}

bool UploadBoard(Screen& screen, int first = 0, int last = BoardPixels - 1) {
  if (screen.frame.size() != std::size_t(BoardPixels) * BoardPixels) return false;
  if (screen.board == nullptr) {
    first = 0;  // a new texture takes the whole frame
    last = BoardPixels - 1;
    // 0x00RRGGBB words, as the game draws them: no conversion on the way in.
    screen.board = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_RGB888,
                                     SDL_TEXTUREACCESS_STREAMING, BoardPixels, BoardPixels);
    if (screen.board == nullptr) return false;
    SDL_SetTextureBlendMode(screen.board, SDL_BLENDMODE_NONE);
  }
  if (last < first) return true;
  const SDL_Rect rows{0, first, BoardPixels, last - first + 1};
  return SDL_UpdateTexture(screen.board, &rows, &screen.frame[std::size_t(first) * BoardPixels],
                           BoardPixels * 4) == 0;
}

// The board at a size that is no whole multiple of it: the sharp picture brought up to date
// with the kept frame, at the board's size now. False when it cannot be made.
bool UpdateSharp(Screen& screen, int side) {
  if (screen.sharpTexture != nullptr && screen.sharp.side != side) {
    SDL_DestroyTexture(screen.sharpTexture);
    screen.sharpTexture = nullptr;
  }
  if (screen.sharpTexture == nullptr) {
    screen.sharpTexture = SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_RGB888,
                                            SDL_TEXTUREACCESS_STREAMING, side, side);
    if (screen.sharpTexture == nullptr) return false;
    SDL_SetTextureBlendMode(screen.sharpTexture, SDL_BLENDMODE_NONE);
    PrepareSharpScaler(screen.sharp, BoardPixels, side);
    screen.sharpFirst = 0;
    screen.sharpLast = BoardPixels - 1;
  }
  int first = 0;
  int last = -1;
  SharpScale(screen.sharp, screen.frame.data(), screen.sharpFirst, screen.sharpLast, &first, &last);
  screen.sharpFirst = BoardPixels;
  screen.sharpLast = -1;
  if (last < first) return true;
  const SDL_Rect rows{0, first, side, last - first + 1};
  return SDL_UpdateTexture(screen.sharpTexture, &rows,
                           &screen.sharp.out[std::size_t(first) * std::size_t(side)],
                           side * 4) == 0;
}

}  // namespace

Viewport BoardView(const Screen& screen) {
  Viewport view = FitBoard(screen.width, screen.height - screen.barHeight - screen.statusHeight,
                           BoardPixels, screen.wholePixels);
  view.y += screen.barHeight;
  return view;
}

void ScaleMouse(const Screen& screen, SDL_Event& event) {
  if (screen.ratio == 1.0f) return;
  const auto scale = [&](Sint32& v) { v = Sint32(float(v) * screen.ratio); };
  if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
    scale(event.button.x);
    scale(event.button.y);
  } else if (event.type == SDL_MOUSEMOTION) {
    scale(event.motion.x);
    scale(event.motion.y);
  }
}

SDL_Surface* BeginOverlay(Screen& screen) {
  if (screen.renderer == nullptr) return nullptr;
  UpdateSize(screen);
  if (screen.overlay == nullptr || screen.overlay->w != screen.width ||
      screen.overlay->h != screen.height) {
    if (screen.overlay != nullptr) SDL_FreeSurface(screen.overlay);
    screen.overlay = NewSurface(screen.width, screen.height);
    if (screen.overlay == nullptr) return nullptr;
  }
  SDL_FillRect(screen.overlay, nullptr, 0);
  return screen.overlay;
}

void ShowOverlay(Screen& screen) {
  RenderScene(screen, true);
}

void EndOverlay(Screen& screen) {
  if (screen.overlayTexture != nullptr) SDL_DestroyTexture(screen.overlayTexture);
  screen.overlayTexture = nullptr;
  if (screen.overlay != nullptr) SDL_FreeSurface(screen.overlay);
  screen.overlay = nullptr;
}

void RenderScene(Screen& screen, bool withOverlay) {
  if (screen.renderer == nullptr) return;
  UpdateSize(screen);
  if (screen.chromeDirty || screen.statusShown != StatusText()) DrawChrome(screen);
  if (screen.board == nullptr) UploadBoard(screen);

  const Viewport view = BoardView(screen);
  const SDL_Rect board{view.x, view.y, view.width, view.height};
  // Around the board only: at an exact fit there is nothing to clear.
  if (view.x > 0 || view.y > screen.barHeight || view.width < screen.width ||
      view.y + view.height < screen.height - screen.statusHeight) {
    SetColor(screen.renderer, ColorBackground);
    SDL_RenderClear(screen.renderer);
  }
  if (view.smooth && view.width >= BoardPixels &&
      screen.frame.size() == std::size_t(BoardPixels) * BoardPixels &&
      UpdateSharp(screen, view.width)) {
    SDL_RenderCopy(screen.renderer, screen.sharpTexture, nullptr, &board);
  } else if (screen.board != nullptr && view.width > 0) {
    // Whole multiples pixel for pixel; below 1x (or without the sharp picture) smoothly.
    SDL_SetTextureScaleMode(screen.board, view.smooth ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
    SDL_RenderCopy(screen.renderer, screen.board, nullptr, &board);
  }
  const SDL_Rect barRect{0, 0, screen.width, screen.barHeight};
  if (screen.barTexture != nullptr)
    SDL_RenderCopy(screen.renderer, screen.barTexture, nullptr, &barRect);
  const SDL_Rect statusRect{0, screen.height - screen.statusHeight, screen.width,
                            screen.statusHeight};
  if (screen.statusTexture != nullptr) {
    SDL_RenderCopy(screen.renderer, screen.statusTexture, nullptr, &statusRect);
  }
  if (withOverlay && screen.overlay != nullptr) {
    int tw = 0;
    int th = 0;
    if (screen.overlayTexture != nullptr) {
      SDL_QueryTexture(screen.overlayTexture, nullptr, nullptr, &tw, &th);
    }
    if (tw != screen.overlay->w || th != screen.overlay->h) {
      if (screen.overlayTexture != nullptr) SDL_DestroyTexture(screen.overlayTexture);
      screen.overlayTexture =
          SDL_CreateTexture(screen.renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING,
                            screen.overlay->w, screen.overlay->h);
      if (screen.overlayTexture != nullptr) {
        SDL_SetTextureBlendMode(screen.overlayTexture, SDL_BLENDMODE_BLEND);
      }
    }
    if (screen.overlayTexture != nullptr &&
        SDL_UpdateTexture(screen.overlayTexture, nullptr, screen.overlay->pixels,
                          screen.overlay->pitch) == 0) {
      SDL_RenderCopy(screen.renderer, screen.overlayTexture, nullptr, nullptr);
    }
  }
  SDL_RenderPresent(screen.renderer);
}

bool ShowFrame(Screen& screen, int first, int last) {
  if (!UploadBoard(screen, first, last)) return false;
  if (last >= first) {
    screen.sharpFirst = std::min(screen.sharpFirst, first);
    screen.sharpLast = std::max(screen.sharpLast, last);
  }
  RenderScene(screen, false);
  return true;
}

void ReleaseScene(Screen& screen) {
  for (SDL_Texture** t :
       {&screen.board, &screen.barTexture, &screen.statusTexture, &screen.sharpTexture}) {
    if (*t != nullptr) SDL_DestroyTexture(*t);
    *t = nullptr;
  }
  EndOverlay(screen);
  screen.chromeDirty = true;
}

}  // namespace platform::sdl
