#include "platform/sdl/sdl_menu.h"

#include <algorithm>

#include "platform/backend.h"

namespace platform::sdl {
namespace {

constexpr int TitlePad = 8;
constexpr int ItemPadLeft = 24;
constexpr int ItemPadRight = 28;  // room for a submenu's arrow
constexpr int MinPanelWidth = 120;
constexpr int ShortcutGap = 24;  // between an item's text and its key

int ItemHeight(const Screen& screen) {
  return screen.lineHeight + Scaled(screen, 8);
}

// An open list of items on the screen: a menu under its title, or a submenu beside its item.
struct Panel {
  const std::vector<MenuItem>* items = nullptr;
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;

  bool Contains(int px, int py) const { return px >= x && px < x + w && py >= y && py < y + h; }
};

int WindowWidth(const Screen& screen) {
  return screen.width;
}

bool IsChecked(const MenuItem& item) {
  const std::vector<MenuEntry>& live = GameWindowMenu();
  return item.entry < live.size() && live[item.entry].checked;
}

void DrawCheck(const Screen& screen, SDL_Surface* surface, int x, int midY, std::uint32_t rgb) {
  // A tick: two strokes, two pixels thick at 1x.
  const int u = std::max(1, Scaled(screen, 1));
  for (int i = 0; i < 3 * u; ++i) FillRect(surface, x + i, midY + i - u, 1, 2 * u, rgb);
  for (int i = 0; i < 6 * u; ++i) FillRect(surface, x + 3 * u + i, midY + u - i, 1, 2 * u, rgb);
}

Panel PanelFor(const Screen& screen, const std::vector<MenuItem>& items, int x, int y) {
  Panel p;
  p.items = &items;
  int widest = 0;
  int widestKey = 0;
  for (const MenuItem& item : items) {
    widest = std::max(widest, TextWidth(screen, item.text));
    if (!item.shortcut.empty()) widestKey = std::max(widestKey, TextWidth(screen, item.shortcut));
  }
  const int keys = widestKey > 0 ? Scaled(screen, ShortcutGap) + widestKey : 0;
  p.w = std::max(Scaled(screen, MinPanelWidth),
                 widest + keys + Scaled(screen, ItemPadLeft + ItemPadRight));
  p.h = int(items.size()) * ItemHeight(screen) + 4;
  p.x = std::max(0, std::min(x, WindowWidth(screen) - p.w));
  p.y = y;
  return p;
}

Panel MenuPanel(const MenuBar& bar, const Screen& screen, int title) {
  const MenuTitle& t = bar.titles[std::size_t(title)];
  return PanelFor(screen, t.item.children, t.x, screen.barHeight);
}

// The submenu of the menu panel's item, beside it on the right, or on the left when there is
// no room.
Panel SubPanel(const Screen& screen, const Panel& menu, int item) {
  const std::vector<MenuItem>& items = (*menu.items)[std::size_t(item)].children;
  const int y = menu.y + item * ItemHeight(screen);
  Panel p = PanelFor(screen, items, menu.x + menu.w - 3, y);
  if (menu.x + menu.w - 3 + p.w > WindowWidth(screen)) p.x = std::max(0, menu.x - p.w + 3);
  return p;
}

int ItemAt(const Screen& screen, const Panel& panel, int x, int y) {
  if (!panel.Contains(x, y) || y < panel.y + 2) return -1;
  const int i = (y - panel.y - 2) / ItemHeight(screen);
  return i < int(panel.items->size()) ? i : -1;
}

void DrawArrow(const Screen& screen, SDL_Surface* surface, int right, int midY, std::uint32_t rgb) {
  const int u = std::max(1, Scaled(screen, 1));
  for (int i = 0; i < 4 * u; ++i) {
    FillRect(surface, right - 12 * u + i, midY - 3 * u + i, 1, 7 * u - 2 * i, rgb);
  }
}

void DrawPanel(const Screen& screen, SDL_Surface* surface, const Panel& panel, int highlighted) {
  FillRect(surface, panel.x, panel.y, panel.w, panel.h, ColorFace);
  DrawOutline(surface, panel.x, panel.y, panel.w, panel.h, ColorBorder);
  const int ih = ItemHeight(screen);
  for (int i = 0; i < int(panel.items->size()); ++i) {
    const MenuItem& item = (*panel.items)[std::size_t(i)];
    const int y = panel.y + 2 + i * ih;
    const int textY = y + (ih - screen.lineHeight) / 2;
    std::uint32_t text = IsEnabled(item) ? ColorText : ColorGrayText;
    if (i == highlighted) {
      FillRect(surface, panel.x + 2, y, panel.w - 4, ih, ColorHighlight);
      if (IsEnabled(item)) text = ColorHighlightText;
    }
    DrawText(screen, surface, panel.x + Scaled(screen, ItemPadLeft), textY, item.text, text, true);
    if (!item.shortcut.empty()) {
      DrawText(screen, surface,
               panel.x + panel.w - Scaled(screen, ItemPadRight) - TextWidth(screen, item.shortcut),
               textY, item.shortcut, text, false);
    }
    if (!item.children.empty()) DrawArrow(screen, surface, panel.x + panel.w, y + ih / 2, text);
    if (IsChecked(item)) DrawCheck(screen, surface, panel.x + Scaled(screen, 8), y + ih / 2, text);
  }
}

// The state of an open menu: which title is open, which item is highlighted, and whether the
// highlighted item's submenu is open (and which of its items is highlighted).
struct OpenMenu {
  int title = 0;
  int item = -1;
  bool subOpen = false;
  int subItem = -1;
};

void Redraw(const MenuBar& bar, Screen& screen, const OpenMenu& m) {
  SDL_Surface* surface = BeginOverlay(screen);
  if (surface == nullptr) return;
  DrawMenuBar(bar, screen, surface, m.title);
  const Panel menu = MenuPanel(bar, screen, m.title);
  DrawPanel(screen, surface, menu, m.item);
  if (m.subOpen && m.item >= 0)
    DrawPanel(screen, surface, SubPanel(screen, menu, m.item), m.subItem);
  ShowOverlay(screen);
}

int Step(int index, int count, int delta) {
  if (count == 0) return -1;
  if (index < 0) return delta > 0 ? 0 : count - 1;
  return (index + delta + count) % count;
}

// The next title that can open, in the direction given.
int NextTitle(const MenuBar& bar, int title, int delta) {
  const int n = int(bar.titles.size());
  for (int i = 1; i <= n; ++i) {
    const int t = ((title + delta * i) % n + n) % n;
    if (IsEnabled(bar.titles[std::size_t(t)].item)) return t;
  }
  return title;
}

}  // namespace

MenuBar BuildMenuBar(const std::vector<MenuEntry>& entries) {
  MenuBar bar;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const MenuEntry& e = entries[i];
    MenuItem item;
    item.text = e.text != nullptr ? e.text : "";
    item.shortcut = e.shortcut != nullptr ? e.shortcut : "";
    item.id = e.id;
    item.entry = i;
    item.initiallyEnabled = e.enabled;
    if (e.depth == 0) {
      bar.titles.push_back({std::move(item), 0, 0});
    } else if (e.depth == 1 && !bar.titles.empty()) {
      bar.titles.back().item.children.push_back(std::move(item));
    } else if (e.depth == 2 && !bar.titles.empty() && !bar.titles.back().item.children.empty() &&
               bar.titles.back().item.children.back().id == 0) {
      bar.titles.back().item.children.back().children.push_back(std::move(item));
    }
  }
  return bar;
}

void LayoutMenuBar(MenuBar& bar, const Screen& screen) {
  int x = 2;
  for (MenuTitle& t : bar.titles) {
    t.x = x;
    t.width = TextWidth(screen, t.item.text) + 2 * Scaled(screen, TitlePad);
    x += t.width;
  }
}

void DrawMenuBar(const MenuBar& bar, const Screen& screen, SDL_Surface* surface, int openTitle) {
  FillRect(surface, 0, 0, surface->w, screen.barHeight, ColorFace);
  const int textY = (screen.barHeight - screen.lineHeight) / 2;
  for (int i = 0; i < int(bar.titles.size()); ++i) {
    const MenuTitle& t = bar.titles[std::size_t(i)];
    std::uint32_t text = IsEnabled(t.item) ? ColorText : ColorGrayText;
    if (i == openTitle) {
      FillRect(surface, t.x, 0, t.width, screen.barHeight, ColorHighlight);
      text = ColorHighlightText;
    }
    DrawText(screen, surface, t.x + Scaled(screen, TitlePad), textY, t.item.text, text, true);
  }
}

int TitleAt(const MenuBar& bar, const Screen& screen, int x, int y) {
  if (y < 0 || y >= screen.barHeight) return -1;
  for (int i = 0; i < int(bar.titles.size()); ++i) {
    const MenuTitle& t = bar.titles[std::size_t(i)];
    if (x >= t.x && x < t.x + t.width) return i;
  }
  return -1;
}

int TitleByMnemonic(const MenuBar& bar, char letter) {
  for (int i = 0; i < int(bar.titles.size()); ++i) {
    if (letter != 0 && MnemonicOf(bar.titles[std::size_t(i)].item.text) == letter) return i;
  }
  return -1;
}

bool IsEnabled(const MenuItem& item) {
  const std::vector<MenuEntry>& live = GameWindowMenu();
  return item.entry < live.size() ? live[item.entry].enabled : item.initiallyEnabled;
}

std::uint16_t RunMenu(const MenuBar& bar, Screen& screen, int title, bool fromKeyboard,
                      bool* closeRequested) {
  if (title < 0 || title >= int(bar.titles.size()) || screen.window == nullptr ||
      !IsEnabled(bar.titles[std::size_t(title)].item)) {
    return 0;
  }
  OpenMenu m;
  m.title = title;
  const auto items = [&]() -> const std::vector<MenuItem>& {
    return bar.titles[std::size_t(m.title)].item.children;
  };
  if (fromKeyboard && !items().empty()) m.item = 0;

  bool open = true;
  std::uint16_t chosen = 0;
  // Chooses a leaf item, or opens a submenu; grayed lines do nothing.
  const auto activate = [&](const MenuItem& item, bool inSubmenu, int index) {
    if (!IsEnabled(item)) return;
    if (!inSubmenu && !item.children.empty()) {
      m.item = index;
      m.subOpen = true;
      m.subItem = 0;
    } else if (item.id != 0) {
      chosen = item.id;
      open = false;
    }
  };
  const auto switchTo = [&](int t, bool keyboard) {
    m = OpenMenu{};
    m.title = t;
    if (keyboard && !items().empty()) m.item = 0;
  };

  Redraw(bar, screen, m);
  while (open) {
    SDL_Event e;
    if (SDL_WaitEventTimeout(&e, 100) == 0) continue;
    ScaleMouse(screen, e);
    const Panel menu = MenuPanel(bar, screen, m.title);
    const bool subShown = m.subOpen && m.item >= 0 && m.item < int(items().size());
    const Panel sub = subShown ? SubPanel(screen, menu, m.item) : Panel{};
    switch (e.type) {
      case SDL_QUIT:
        *closeRequested = true;
        open = false;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST ||
            e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
          open = false;
        }
        break;
      case SDL_KEYDOWN: {
        const SDL_Keycode key = e.key.keysym.sym;
        const std::vector<MenuItem>& list = subShown ? *sub.items : items();
        int& cursor = subShown ? m.subItem : m.item;
        if (key == SDLK_ESCAPE) {
          if (subShown) {
            m.subOpen = false;
            m.subItem = -1;
          } else {
            open = false;
          }
        } else if (key == SDLK_UP || key == SDLK_DOWN) {
          cursor = Step(cursor, int(list.size()), key == SDLK_DOWN ? 1 : -1);
        } else if (key == SDLK_RIGHT) {
          if (!subShown && m.item >= 0 && !items()[std::size_t(m.item)].children.empty() &&
              IsEnabled(items()[std::size_t(m.item)])) {
            m.subOpen = true;
            m.subItem = 0;
          } else {
            switchTo(NextTitle(bar, m.title, 1), true);
          }
        } else if (key == SDLK_LEFT) {
          if (subShown) {
            m.subOpen = false;
            m.subItem = -1;
          } else {
            switchTo(NextTitle(bar, m.title, -1), true);
          }
        } else if (key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_SPACE) {
          if (cursor >= 0) activate(list[std::size_t(cursor)], subShown, cursor);
        } else if (key == SDLK_LALT || key == SDLK_RALT || key == SDLK_F10) {
          open = false;
        } else if (key >= SDLK_a && key <= SDLK_z) {
          for (int i = 0; i < int(list.size()); ++i) {
            if (MnemonicOf(list[std::size_t(i)].text) == char(key)) {
              cursor = i;
              activate(list[std::size_t(i)], subShown, i);
              break;
            }
          }
        }
        break;
      }
      case SDL_MOUSEMOTION: {
        const int x = e.motion.x;
        const int y = e.motion.y;
        const int t = TitleAt(bar, screen, x, y);
        if (t >= 0 && t != m.title && IsEnabled(bar.titles[std::size_t(t)].item)) {
          switchTo(t, false);
        } else if (subShown && sub.Contains(x, y)) {
          m.subItem = ItemAt(screen, sub, x, y);
        } else if (menu.Contains(x, y)) {
          m.item = ItemAt(screen, menu, x, y);
          m.subOpen = m.item >= 0 && !items()[std::size_t(m.item)].children.empty() &&
                      IsEnabled(items()[std::size_t(m.item)]);
          m.subItem = -1;
        } else if (!subShown) {
          m.item = -1;
        }
        break;
      }
      case SDL_MOUSEBUTTONDOWN: {
        const int x = e.button.x;
        const int y = e.button.y;
        if (y < screen.barHeight) {
          const int t = TitleAt(bar, screen, x, y);
          if (t == m.title || t < 0 || !IsEnabled(bar.titles[std::size_t(t)].item)) {
            open = false;
          } else {
            switchTo(t, false);
          }
        } else if (!(subShown && sub.Contains(x, y)) && !menu.Contains(x, y)) {
          open = false;  // a click elsewhere closes the menu and goes no further
        }
        break;
      }
      case SDL_MOUSEBUTTONUP: {
        const int x = e.button.x;
        const int y = e.button.y;
        if (subShown && sub.Contains(x, y)) {
          const int i = ItemAt(screen, sub, x, y);
          if (i >= 0) activate((*sub.items)[std::size_t(i)], true, i);
        } else if (menu.Contains(x, y)) {
          const int i = ItemAt(screen, menu, x, y);
          if (i >= 0) activate(items()[std::size_t(i)], false, i);
        }
        break;
      }
      default:
        IgnoreDrop(e);
        break;
    }
    if (open) Redraw(bar, screen, m);
  }
  return chosen;
}

}  // namespace platform::sdl
