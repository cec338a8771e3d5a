// The window's menu bar, drawn by us, and the modal loop of an open menu.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/sdl/sdl_draw.h"

namespace platform::sdl {

struct MenuItem {
  std::string text;
  std::string shortcut;  // the key that does the same, drawn at the right
  std::uint16_t id = 0;
  std::size_t entry = 0;  // index in the window's menu list, which holds the enabled state
  bool initiallyEnabled = true;
  std::vector<MenuItem> children;  // the items of a submenu (id 0)
};

struct MenuTitle {
  MenuItem item;  // its children are the menu's items
  int x = 0;      // place on the bar
  int width = 0;
};

struct MenuBar {
  std::vector<MenuTitle> titles;
};

// Builds the bar from the window's menu list (depth 0 titles, 1 items, 2 submenu items). Lines
// out of order (an item before any title, a submenu item not under a submenu) are left out.
MenuBar BuildMenuBar(const std::vector<MenuEntry>& entries);
void LayoutMenuBar(MenuBar& bar, const Screen& screen);
// Draws the bar, with `openTitle` (-1: none) shown as open.
void DrawMenuBar(const MenuBar& bar, const Screen& screen, SDL_Surface* surface, int openTitle);
// The title at a window position, or -1.
int TitleAt(const MenuBar& bar, const Screen& screen, int x, int y);
// The title whose mnemonic is the letter (lower case), or -1.
int TitleByMnemonic(const MenuBar& bar, char letter);
// Whether the line is enabled now (the window's menu list is asked, as the game changes it).
bool IsEnabled(const MenuItem& item);

// Opens the title's menu and runs it modally: mouse and keys go to the menu until an item is
// chosen or the menu is closed. Returns the chosen command, or 0. Sets *closeRequested when the
// window's close box was pressed meanwhile.
std::uint16_t RunMenu(const MenuBar& bar, Screen& screen, int title, bool fromKeyboard,
                      bool* closeRequested);

}  // namespace platform::sdl
