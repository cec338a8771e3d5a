#include "platform/sdl/sdl_box.h"

#include <algorithm>

namespace platform::sdl {
namespace {

constexpr int Pad = 14;
constexpr int ButtonWidth = 80;

struct Box {
  SDL_Rect panel{};
  SDL_Rect caption{};
  SDL_Rect close{};
  SDL_Rect ok{};
  int lineHeight = 0;
};

bool Inside(const SDL_Rect& r, int x, int y) {
  return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

Box Layout(const Screen& screen, const std::vector<std::string>& lines) {
  Box b;
  b.lineHeight = screen.lineHeight + 2;
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, TextWidth(screen, line));
  const int captionHeight = screen.lineHeight + 10;
  const int buttonHeight = screen.lineHeight + 10;
  // Centred over the board's area, between the menu bar and the status line.
  const int areaHeight = screen.height - screen.barHeight - screen.statusHeight;
  b.panel.w = std::min(screen.width - 8, std::max(220, widest + 2 * Pad));
  b.panel.h =
      std::min(std::max(areaHeight, 120) - 8,
               captionHeight + Pad + int(lines.size()) * b.lineHeight + Pad + buttonHeight + Pad);
  b.panel.x = (screen.width - b.panel.w) / 2;
  b.panel.y = screen.barHeight + std::max(0, (areaHeight - b.panel.h) / 2);
  b.caption = {b.panel.x + 1, b.panel.y + 1, b.panel.w - 2, captionHeight};
  b.close = {b.caption.x + b.caption.w - captionHeight, b.caption.y, captionHeight, captionHeight};
  b.ok = {b.panel.x + (b.panel.w - ButtonWidth) / 2, b.panel.y + b.panel.h - Pad - buttonHeight,
          ButtonWidth, buttonHeight};
  return b;
}

void DrawCross(SDL_Surface* surface, const SDL_Rect& r, std::uint32_t rgb) {
  const int size = r.h / 3;
  const int x0 = r.x + (r.w - size) / 2;
  const int y0 = r.y + (r.h - size) / 2;
  for (int i = 0; i < size; ++i) {
    FillRect(surface, x0 + i, y0 + i, 2, 1, rgb);
    FillRect(surface, x0 + size - 1 - i, y0 + i, 2, 1, rgb);
  }
}

void Draw(Screen& screen, const Box& b, const std::string& caption,
          const std::vector<std::string>& lines, bool okPressed) {
  SDL_Surface* s = BeginOverlay(screen);
  if (s == nullptr) return;
  FillRect(s, b.panel.x, b.panel.y, b.panel.w, b.panel.h, ColorFace);
  DrawOutline(s, b.panel.x, b.panel.y, b.panel.w, b.panel.h, ColorBorder);
  FillRect(s, b.caption.x, b.caption.y, b.caption.w, b.caption.h, ColorCaption);
  DrawText(screen, s, b.caption.x + 8, b.caption.y + 5, caption, ColorCaptionText, false);
  DrawCross(s, b.close, ColorCaptionText);
  int y = b.caption.y + b.caption.h + Pad;
  for (const std::string& line : lines) {
    DrawText(screen, s, b.panel.x + Pad, y, line, ColorText, false);
    y += b.lineHeight;
  }
  FillRect(s, b.ok.x, b.ok.y, b.ok.w, b.ok.h, okPressed ? 0xCCE4F7 : 0xE1E1E1);
  DrawOutline(s, b.ok.x, b.ok.y, b.ok.w, b.ok.h, ColorHighlight);  // the default button
  DrawOutline(s, b.ok.x + 1, b.ok.y + 1, b.ok.w - 2, b.ok.h - 2, ColorHighlight);
  DrawText(screen, s, b.ok.x + (b.ok.w - TextWidth(screen, "OK")) / 2, b.ok.y + 5, "OK", ColorText,
           false);
  ShowOverlay(screen);
}

// The system's box, for when we have no font to draw text with. 0 when it cannot be shown.
int SystemBox(const Screen& screen, const std::string& caption,
              const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  const SDL_MessageBoxButtonData ok{
      SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, BoxOk,
      "OK"};
  const SDL_MessageBoxData data{
      SDL_MESSAGEBOX_INFORMATION, screen.window, caption.c_str(), text.c_str(), 1, &ok, nullptr};
  int button = -1;
  if (SDL_ShowMessageBox(&data, &button) != 0) return 0;
  return button == BoxOk ? BoxOk : BoxCancel;
}

}  // namespace

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (;;) {
    const std::size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    if (end == std::string::npos) return lines;
    from = end + 1;
  }
}

int RunBox(Screen& screen, const std::string& caption, const std::vector<std::string>& lines,
           bool* closeRequested) {
  if (screen.font == nullptr) {
    if (const int answer = SystemBox(screen, caption, lines)) return answer;
  }
  enum class Pressed { None, Ok, Close } pressed = Pressed::None;
  int answer = 0;
  BeginOverlay(screen);  // reads the window's size for the layout
  Box box = Layout(screen, lines);
  Draw(screen, box, caption, lines, false);
  while (answer == 0) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 100) == 0) continue;
    ScaleMouse(screen, e);
    switch (e.type) {
      case SDL_QUIT:
        *closeRequested = true;
        answer = BoxCancel;
        break;
      case SDL_KEYDOWN:
        if (e.key.keysym.sym == SDLK_RETURN || e.key.keysym.sym == SDLK_KP_ENTER ||
            e.key.keysym.sym == SDLK_SPACE) {
          answer = BoxOk;
        } else if (e.key.keysym.sym == SDLK_ESCAPE) {
          answer = BoxCancel;
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        if (Inside(box.ok, e.button.x, e.button.y)) pressed = Pressed::Ok;
        if (Inside(box.close, e.button.x, e.button.y)) pressed = Pressed::Close;
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        // A button acts when released over itself, as desktop buttons do.
        if (pressed == Pressed::Ok && Inside(box.ok, e.button.x, e.button.y)) answer = BoxOk;
        if (pressed == Pressed::Close && Inside(box.close, e.button.x, e.button.y)) {
          answer = BoxCancel;
        }
        pressed = Pressed::None;
        break;
      default:
        break;
    }
    if (answer == 0) {
      BeginOverlay(screen);  // the window may have been resized meanwhile
      box = Layout(screen, lines);
      Draw(screen, box, caption, lines, pressed == Pressed::Ok);
    }
  }
  return answer;
}

}  // namespace platform::sdl
