#include "platform/sdl/sdl_draw.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cctype>

namespace platform::sdl {
namespace {

TTF_Font* OpenMatch(const char* name, int pixelSize) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(name));
  if (pattern == nullptr) return nullptr;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  TTF_Font* font = nullptr;
  FcChar8* file = nullptr;
  if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    font = TTF_OpenFont(reinterpret_cast<const char*>(file), pixelSize);
  }
  if (match != nullptr) FcPatternDestroy(match);
  FcPatternDestroy(pattern);
  return font;
}

std::uint32_t Map(SDL_Surface* surface, std::uint32_t rgb) {
  return SDL_MapRGB(surface->format, std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8),
                    std::uint8_t(rgb));
}

// The text without marks, and where the marked letter lies in it (npos: none).
std::string Unmark(const std::string& text, std::size_t* marked) {
  std::string out;
  *marked = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) {
      ++i;
      if (text[i] != '&' && *marked == std::string::npos) *marked = out.size();
    }
    out += text[i];
  }
  return out;
}

}  // namespace

TTF_Font* OpenUiFont(int pixelSize) {
  if (!FcInit()) return nullptr;
  TTF_Font* font = OpenMatch("DejaVu Sans", pixelSize);
  if (font == nullptr) font = OpenMatch("sans-serif", pixelSize);
  return font;
}

void CloseUiFonts() {
  FcFini();
}

std::string StripMnemonic(const std::string& text) {
  std::size_t marked;
  return Unmark(text, &marked);
}

char MnemonicOf(const std::string& text) {
  std::size_t marked;
  const std::string plain = Unmark(text, &marked);
  if (marked == std::string::npos) return 0;
  return char(std::tolower(static_cast<unsigned char>(plain[marked])));
}

int TextWidth(const Screen& screen, const std::string& text) {
  const std::string plain = StripMnemonic(text);
  if (screen.font == nullptr) return int(plain.size()) * 7;
  int w = 0;
  int h = 0;
  if (plain.empty() || TTF_SizeUTF8(screen.font, plain.c_str(), &w, &h) != 0) return 0;
  return w;
}

void FillRect(SDL_Surface* surface, int x, int y, int w, int h, std::uint32_t rgb) {
  if (w <= 0 || h <= 0) return;
  SDL_Rect r{x, y, w, h};
  SDL_FillRect(surface, &r, Map(surface, rgb));
}

void DrawOutline(SDL_Surface* surface, int x, int y, int w, int h, std::uint32_t rgb) {
  FillRect(surface, x, y, w, 1, rgb);
  FillRect(surface, x, y + h - 1, w, 1, rgb);
  FillRect(surface, x, y, 1, h, rgb);
  FillRect(surface, x + w - 1, y, 1, h, rgb);
}

void DrawText(const Screen& screen, SDL_Surface* surface, int x, int y, const std::string& text,
              std::uint32_t rgb, bool mnemonic) {
  if (screen.font == nullptr || text.empty()) return;
  std::size_t marked = std::string::npos;
  const std::string plain = mnemonic ? Unmark(text, &marked) : text;
  if (plain.empty()) return;
  const SDL_Color color{std::uint8_t(rgb >> 16), std::uint8_t(rgb >> 8), std::uint8_t(rgb), 255};
  SDL_Surface* rendered = TTF_RenderUTF8_Blended(screen.font, plain.c_str(), color);
  if (rendered == nullptr) return;
  SDL_Rect at{x, y, rendered->w, rendered->h};
  SDL_BlitSurface(rendered, nullptr, surface, &at);
  SDL_FreeSurface(rendered);
  if (marked != std::string::npos) {
    int before = 0;
    int letter = 0;
    int h = 0;
    if (marked > 0) TTF_SizeUTF8(screen.font, plain.substr(0, marked).c_str(), &before, &h);
    TTF_SizeUTF8(screen.font, plain.substr(marked, 1).c_str(), &letter, &h);
    FillRect(surface, x + before, y + TTF_FontAscent(screen.font) + 2, letter, 1, rgb);
  }
}

}  // namespace platform::sdl
