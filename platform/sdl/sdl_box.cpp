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
  std::vector<SDL_Rect> buttons;
  int lineHeight = 0;
};

bool Inside(const SDL_Rect& r, int x, int y) {
  return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

Box Layout(const Screen& screen, const std::vector<std::string>& lines,
           const std::vector<DialogButton>& buttons, bool low) {
  Box b;
  const int pad = Scaled(screen, Pad);
  b.lineHeight = screen.lineHeight + Scaled(screen, 2);
  int widest = 0;
  for (const std::string& line : lines) widest = std::max(widest, TextWidth(screen, line));
  const int captionHeight = screen.lineHeight + Scaled(screen, 10);
  const int buttonHeight = screen.lineHeight + Scaled(screen, 10);
  std::vector<int> widths;
  int row = 0;
  for (const DialogButton& button : buttons) {
    widths.push_back(std::max(Scaled(screen, ButtonWidth),
                              TextWidth(screen, button.text) + Scaled(screen, 2 * Pad)));
    row += widths.back() + (row > 0 ? pad / 2 : 0);
  }
  // Centred over the board's area, between the menu bar and the status line.
  const int areaHeight = screen.height - screen.barHeight - screen.statusHeight;
  b.panel.w =
      std::min(screen.width - 8, std::max({Scaled(screen, 220), widest + 2 * pad, row + 2 * pad}));
  b.panel.h =
      std::min(std::max(areaHeight, 120) - 8,
               captionHeight + pad + int(lines.size()) * b.lineHeight + pad + buttonHeight + pad);
  b.panel.x = (screen.width - b.panel.w) / 2;
  b.panel.y = screen.barHeight + std::max(0, (areaHeight - b.panel.h) / 2);
  if (low) {
    // Under the banner of a solved level (board rows 100 to 300), or as low as it fits.
    const Viewport board = BoardView(screen);
    const int top = board.y + board.height * 300 / BoardPixels;
    const int bottom = screen.height - screen.statusHeight - 4;
    b.panel.y = std::max(b.panel.y, std::min(top, bottom - b.panel.h));
  }
  b.caption = {b.panel.x + 1, b.panel.y + 1, b.panel.w - 2, captionHeight};
  b.close = {b.caption.x + b.caption.w - captionHeight, b.caption.y, captionHeight, captionHeight};
  int x = b.panel.x + (b.panel.w - row) / 2;
  for (int w : widths) {
    b.buttons.push_back({x, b.panel.y + b.panel.h - pad - buttonHeight, w, buttonHeight});
    x += w + pad / 2;
  }
  return b;
}

void DrawCross(SDL_Surface* surface, const SDL_Rect& r, std::uint32_t rgb) {
  const int size = r.h / 3;
  const int x0 = r.x + (r.w - size) / 2;
  const int y0 = r.y + (r.h - size) / 2;
  const int thick = std::max(2, size / 6);
  for (int i = 0; i < size; ++i) {
    FillRect(surface, x0 + i, y0 + i, thick, 1, rgb);
    FillRect(surface, x0 + size - 1 - i, y0 + i, thick, 1, rgb);
  }
}

void Draw(Screen& screen, const Box& b, const std::string& caption,
          const std::vector<std::string>& lines, const std::vector<DialogButton>& buttons,
          int pressed) {
  SDL_Surface* s = BeginOverlay(screen);
  if (s == nullptr) return;
  const int pad = Scaled(screen, Pad);
  const int textDown = (b.caption.h - screen.lineHeight) / 2;
  FillRect(s, b.panel.x, b.panel.y, b.panel.w, b.panel.h, ColorFace);
  DrawOutline(s, b.panel.x, b.panel.y, b.panel.w, b.panel.h, ColorBorder);
  FillRect(s, b.caption.x, b.caption.y, b.caption.w, b.caption.h, ColorCaption);
  DrawText(screen, s, b.caption.x + Scaled(screen, 8), b.caption.y + textDown, caption,
           ColorCaptionText, false);
  DrawCross(s, b.close, ColorCaptionText);
  int y = b.caption.y + b.caption.h + pad;
  for (const std::string& line : lines) {
    DrawText(screen, s, b.panel.x + pad, y, line, ColorText, false);
    y += b.lineHeight;
  }
  for (std::size_t i = 0; i < b.buttons.size(); ++i) {
    const SDL_Rect& r = b.buttons[i];
    FillRect(s, r.x, r.y, r.w, r.h, int(i) == pressed ? 0xCCE4F7 : 0xE1E1E1);
    DrawOutline(s, r.x, r.y, r.w, r.h, i == 0 ? ColorHighlight : ColorBorder);
    if (i == 0) DrawOutline(s, r.x + 1, r.y + 1, r.w - 2, r.h - 2, ColorHighlight);  // default
    DrawText(screen, s, r.x + (r.w - TextWidth(screen, buttons[i].text)) / 2, r.y + textDown,
             buttons[i].text, ColorText, false);
  }
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
           const std::vector<DialogButton>& given, bool* closeRequested, bool low) {
  if (screen.font == nullptr) {
    if (const int answer = SystemBox(screen, caption, lines)) return answer;
  }
  const std::vector<DialogButton> buttons =
      given.empty() ? std::vector<DialogButton>{{"OK", BoxOk}} : given;
  constexpr int None = -1, Close = -2;
  int pressed = None;
  int answer = 0;
  BeginOverlay(screen);  // reads the window's size for the layout
  Box box = Layout(screen, lines, buttons, low);
  Draw(screen, box, caption, lines, buttons, pressed);
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
          answer = buttons.front().id;
        } else if (e.key.keysym.sym == SDLK_ESCAPE) {
          answer = BoxCancel;
        }
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        for (std::size_t i = 0; i < box.buttons.size(); ++i) {
          if (Inside(box.buttons[i], e.button.x, e.button.y)) pressed = int(i);
        }
        if (Inside(box.close, e.button.x, e.button.y)) pressed = Close;
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button != SDL_BUTTON_LEFT) break;
        // A button acts when released over itself, as desktop buttons do.
        if (pressed >= 0 && Inside(box.buttons[std::size_t(pressed)], e.button.x, e.button.y)) {
          answer = buttons[std::size_t(pressed)].id;
        }
        if (pressed == Close && Inside(box.close, e.button.x, e.button.y)) answer = BoxCancel;
        pressed = None;
        break;
      default:
        break;
    }
    if (answer == 0) {
      BeginOverlay(screen);  // the window may have been resized meanwhile
      box = Layout(screen, lines, buttons, low);
      Draw(screen, box, caption, lines, buttons, pressed);
    }
  }
  return answer;
}

}  // namespace platform::sdl
