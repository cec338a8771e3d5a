// The How to play box, written from the keys as they are mapped now.
#include "app/help.h"

#include <cstdlib>
#include <cstring>

#include "app/settings.h"
#include "input/actions.h"

namespace {

std::string Keys(Action action) {
  return ActionKeyNames(action);
}

std::string Pad(Action action) {
  const std::string name = ActionKeyName(action, true);
  return name.empty() ? "-" : name;
}

std::int64_t HelpDialogProc(platform::Window dialog, std::uint32_t message, std::uint64_t wParam,
                            std::int64_t) {
  if (message == platform::WM_INITDIALOG) return 1;
  if (message == platform::WM_COMMAND && ((wParam & 0xFFFF) == 1 || (wParam & 0xFFFF) == 2)) {
    platform::EndDialog(dialog, 1);
  }
  return 0;
}

}  // namespace

std::vector<std::string> HowToPlayLines() {
  const std::string walk = Keys(Action::Left) + ", " + Keys(Action::Up) + ", " +
                           Keys(Action::Right) + ", " + Keys(Action::Down);
  std::vector<std::string> lines = {
      "Collect every ball on the board. The red man walks on land and on the",
      "blue platforms; walk from a platform towards open water and it sails",
      "along with him, if every cell it moves onto is open water.",
      "",
      "Playing",
      "    " + walk + ": walk one cell (hold to keep walking)",
      "    " + Keys(Action::Undo) + ": undo a move        " + Keys(Action::Redo) + ": redo",
      "    " + Keys(Action::Hint) + ": a hint        " + Keys(Action::Restart) +
          ": restart, or after a solve the next level",
      "    " + Keys(Action::Editor) + ": the level editor        Esc: quit",
      "    " + Keys(Action::FullScreen) + " or Alt+Enter: full screen        " +
          Keys(Action::Mute) + ": sound off and on",
      "    " + Keys(Action::Help) + ": this help        Alt+F, Alt+V, Alt+H or F10: the menus",
      "",
      "In the editor",
      "    Left click: land or water        Right click: Player, ball, platforms",
      "    " + Keys(Action::Save) + ": save level.dat        " + Keys(Action::Load) +
          ": load it        " + Keys(Action::Check) + ": can it be solved?",
      "    " + Keys(Action::Play) + ": back to play",
      "",
      "Gamepad: D-pad or left stick to walk, " + Pad(Action::Hint) + " hint, " + Pad(Action::Undo) +
          " undo, " + Pad(Action::Redo) + " redo, " + Pad(Action::Restart) + " restart",
      "Touch screen (in a browser): swipe to walk, keep the finger down to keep",
      "walking; in the editor a tap is a left click, a long press a right click",
  };
  std::string place = platform::UserSettingPlace(KeysSettingName);
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/' && place.rfind(std::string(home) + "/", 0) == 0) {
    place = "~" + place.substr(std::strlen(home));  // as players know their folder
  }
  if (!place.empty()) {
    lines.push_back("");
    lines.push_back("Choose your own keys in " + place + ":");
    lines.push_back("one line an action, such as \"undo = Z, Backspace\" (see the README).");
  }
  return lines;
}

void ShowHowToPlay(platform::Window window) {
  platform::DialogTemplate box{"How to play", HowToPlayLines()};
  platform::DialogBox(window, box, HelpDialogProc);
}
