#include "platform/sdl/sdl_box.h"

#include <algorithm>

#include "platform/backend.h"

namespace platform::sdl {
namespace {

constexpr int Pad = 14;
constexpr int ButtonWidth = 80;
constexpr int FieldWidth = 360;  // a text box's field, wide enough for a short code

struct Box {
  SDL_Rect panel{};
  SDL_Rect caption{};
  SDL_Rect close{};
  std::vector<SDL_Rect> buttons;
  SDL_Rect field{};  // a text box's one-line field (none: empty)
  int lineHeight = 0;
};

bool Inside(const SDL_Rect& r, int x, int y) {
  return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

// The button held down in a box: an index into its buttons, or one of these.
constexpr int NotPressed = -1, ClosePressed = -2;

// A left press or release in a box: a button acts when released over itself, as desktop buttons
// do, the close box as Cancel. The answer (0: none yet); *pressed follows the button held.
int Clicked(const SDL_Event& e, const Box& box, const std::vector<DialogButton>& buttons,
            int* pressed) {
  if (e.button.button != SDL_BUTTON_LEFT) return 0;
  const int x = e.button.x, y = e.button.y;
  if (e.type == SDL_MOUSEBUTTONDOWN) {
    for (std::size_t i = 0; i < box.buttons.size(); ++i) {
      if (Inside(box.buttons[i], x, y)) *pressed = int(i);
    }
    if (Inside(box.close, x, y)) *pressed = ClosePressed;
    return 0;
  }
  int answer = 0;
  if (*pressed >= 0 && Inside(box.buttons[std::size_t(*pressed)], x, y)) {
    answer = buttons[std::size_t(*pressed)].id;
  }
  if (*pressed == ClosePressed && Inside(box.close, x, y)) answer = BoxCancel;
  *pressed = NotPressed;
  return answer;
}

Box Layout(const Screen& screen, const std::vector<std::string>& lines,
           const std::vector<DialogButton>& buttons, bool low, bool withField = false) {
  Box b;
  const int pad = Scaled(screen, Pad);
  b.lineHeight = screen.lineHeight + Scaled(screen, 2);
  const int fieldHeight = withField ? screen.lineHeight + Scaled(screen, 8) : 0;
  int widest = withField ? Scaled(screen, FieldWidth) : 0;
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
  b.panel.h = std::min(std::max(areaHeight, 120) - 8,
                       captionHeight + pad + int(lines.size()) * b.lineHeight +
                           (withField ? pad / 2 + fieldHeight : 0) + pad + buttonHeight + pad);
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
  if (withField) {
    b.field = {b.panel.x + pad,
               b.caption.y + b.caption.h + pad + int(lines.size()) * b.lineHeight + pad / 2,
               b.panel.w - 2 * pad, fieldHeight};
  }
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

// The width of the text as it is drawn (TextWidth takes '&' for a mnemonic's mark).
int PlainWidth(const Screen& screen, const std::string& text) {
  int w = 0;
  int h = 0;
  if (text.empty() || TTF_SizeUTF8(screen.font, text.c_str(), &w, &h) != 0) return 0;
  return w;
}

// Where the part of the field's text that fits begins: its end is always shown, as the caret
// stands there.
std::size_t VisibleFrom(const Screen& screen, const std::string& text, int width) {
  std::size_t low = 0;             // a start that may not fit
  std::size_t high = text.size();  // one that does
  while (low < high) {
    std::size_t mid = low + (high - low) / 2;
    while (mid < high && (static_cast<unsigned char>(text[mid]) & 0xC0) == 0x80) ++mid;
    if (mid == high) break;
    if (PlainWidth(screen, text.substr(mid)) <= width) {
      high = mid;
    } else {
      low = mid + 1;
    }
  }
  return high;
}

void DrawField(Screen& screen, SDL_Surface* s, const SDL_Rect& r, const std::string& text) {
  FillRect(s, r.x, r.y, r.w, r.h, 0xFFFFFF);
  DrawOutline(s, r.x, r.y, r.w, r.h, ColorHighlight);
  const int inset = Scaled(screen, 5);
  const int inner = r.w - 2 * inset - Scaled(screen, 2);
  const std::string shown = text.substr(VisibleFrom(screen, text, inner));
  const int top = r.y + (r.h - screen.lineHeight) / 2;
  SDL_Rect clip{r.x + 1, r.y + 1, r.w - 2, r.h - 2};
  SDL_SetClipRect(s, &clip);
  DrawText(screen, s, r.x + inset, top, shown, ColorText, false);
  SDL_SetClipRect(s, nullptr);
  // The caret, after the last character.
  FillRect(s, r.x + inset + PlainWidth(screen, shown), top, std::max(1, Scaled(screen, 1)),
           screen.lineHeight, ColorText);
}

void Draw(Screen& screen, const Box& b, const std::string& caption,
          const std::vector<std::string>& lines, const std::vector<DialogButton>& buttons,
          int pressed, const std::string* field = nullptr) {
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
  if (field != nullptr) DrawField(screen, s, b.field, *field);
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
  int pressed = NotPressed;
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
      case SDL_MOUSEBUTTONUP:
        answer = Clicked(e, box, buttons, &pressed);
        break;
      default:
        IgnoreDrop(e);
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

bool RunTextBox(Screen& screen, const std::string& caption, const std::string& prompt,
                std::string* text, bool* closeRequested) {
  if (screen.font == nullptr || screen.window == nullptr) return false;
  const std::vector<std::string> lines = SplitLines(prompt);
  const std::vector<DialogButton> buttons{{"OK", BoxOk}, {"Cancel", BoxCancel}};
  std::string typed;
  // Adds typed or pasted text, as much of it as the field still takes.
  const auto add = [&typed](const char* more) {
    const std::string line = OneLineOfText(more);
    typed = OneLineOfText(typed + line);
  };
  const bool wasTyping = SDL_IsTextInputActive() == SDL_TRUE;
  SDL_StartTextInput();
  int pressed = NotPressed;
  int answer = 0;
  BeginOverlay(screen);
  Box box = Layout(screen, lines, buttons, false, true);
  Draw(screen, box, caption, lines, buttons, pressed, &typed);
  while (answer == 0) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 100) == 0) continue;
    ScaleMouse(screen, e);
    switch (e.type) {
      case SDL_QUIT:
        *closeRequested = true;
        answer = BoxCancel;
        break;
      case SDL_TEXTINPUT:
        add(e.text.text);
        break;
      case SDL_KEYDOWN: {
        const SDL_Keycode sym = e.key.keysym.sym;
        const bool ctrl = (e.key.keysym.mod & KMOD_CTRL) != 0;
        if (sym == SDLK_RETURN || sym == SDLK_KP_ENTER) {
          answer = BoxOk;
        } else if (sym == SDLK_ESCAPE) {
          answer = BoxCancel;
        } else if (sym == SDLK_BACKSPACE && !typed.empty()) {
          // One character, however many bytes it takes.
          std::size_t end = typed.size() - 1;
          while (end > 0 && (static_cast<unsigned char>(typed[end]) & 0xC0) == 0x80) --end;
          typed.erase(ctrl ? 0 : end);
        } else if ((ctrl && sym == SDLK_v) ||
                   (sym == SDLK_INSERT && (e.key.keysym.mod & KMOD_SHIFT) != 0)) {
          if (char* pasted = SDL_GetClipboardText()) {
            add(pasted);
            SDL_free(pasted);
          }
        }
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        answer = Clicked(e, box, buttons, &pressed);
        break;
      default:
        IgnoreDrop(e);
        break;
    }
    if (answer == 0) {
      BeginOverlay(screen);
      box = Layout(screen, lines, buttons, false, true);
      Draw(screen, box, caption, lines, buttons, pressed, &typed);
    }
  }
  if (!wasTyping) SDL_StopTextInput();
  if (answer != BoxOk) return false;
  *text = typed;
  return true;
}

}  // namespace platform::sdl
