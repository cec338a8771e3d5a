// The How to play box, written from the keys as they are mapped now.
#include "app/help.h"

#include <cstdlib>
#include <cstring>

#include "app/settings.h"
#include "app/version.h"
#include "input/actions.h"

namespace {

// clang-format off
// The box's text; {name} stands for the keys of the action of that name (ActionName), {pad:name}
// for its gamepad button, {place} for where the keys file is.
constexpr const char* Text[] = {
    "Collect every ball. The red man walks on land and on the blue platforms;",
    "walk from a platform towards open water and it sails along with him.",
    "",
    "Playing",
    "    {left}, {up}, {right}, {down}: walk one cell (hold to keep walking)",
    "    {undo}: undo        {redo}: redo        {hint}: a hint        {restart}: restart",
    "    Shift+{hint}: show the solution (any key stops it)        {levels}: level select",
    "    {newpuzzle}: a new puzzle        Ctrl+C, Ctrl+V: copy a code, play a code or level",
    "    {editor}: the level editor        {help}: this help        Esc: quit",
    "    {fullscreen} or Alt+Enter: full screen    {mute}: sound on, off    F10 or Alt+F: menus",
    "",
    "In the editor",
    "    Left click or drag: land or water        Right click: Player, ball, platforms",
    "    Shift+right click: the object placed last",
    "    {cursor} (or an arrow): a cursor; {paint}: land or water, {place}: object, {erase}: none",
    "    {save}: save level.dat    {load}: load it    {check}: can it be solved?",
    "    {test}: save and try level.dat (Esc: back to the editor)",
    "    {play}: play the board as painted",
    "",
    "Gamepad: D-pad or left stick to walk, {pad:hint} hint, {pad:undo} undo, {pad:redo} redo,",
    "    {pad:restart} restart, {pad:newpuzzle} new puzzle, {pad:solution} solution, {pad:levels} levels ({pad:choose} plays),",
    "    {pad:editor} editor: {pad:paint} paint, {pad:place} object, {pad:erase} none, {pad:save} save, {pad:load} load, {pad:check} check, {pad:play} play",
    "Touch: swipe to walk; in the editor a tap or a drag paints, a long press places",
};
// clang-format on

// The keys file's place, the way players know their home folder ("~/.config/yelko/keys").
std::string KeysPlace() {
  std::string place = platform::UserSettingPlace(KeysSettingName);
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/' && place.rfind(std::string(home) + "/", 0) == 0) {
    std::string shown(1, '~');
    shown.append(place, std::strlen(home));
    place = shown;
  }
  return place;
}

std::string Filled(const std::string& line) {
  std::string out;
  for (std::size_t at = 0; at < line.size();) {
    const std::size_t open = line.find('{', at);
    const std::size_t close = line.find('}', open);
    if (open == std::string::npos || close == std::string::npos) {
      out += line.substr(at);
      break;
    }
    out += line.substr(at, open - at);
    std::string name = line.substr(open + 1, close - open - 1);
    const bool pad = name.rfind("pad:", 0) == 0;
    if (pad) name.erase(0, 4);
    for (unsigned a = 0; a < unsigned(Action::Count); ++a) {
      if (name != ActionName(Action(a))) continue;
      const std::string button = ActionKeyName(Action(a), true);
      out += pad ? (button.empty() ? "-" : button) : ActionKeyNames(Action(a));
    }
    at = close + 1;
  }
  return out;
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
  std::vector<std::string> lines;
  for (const char* line : Text) lines.push_back(Filled(line));
  if (const std::string place = KeysFileUsed() ? KeysPlace() : ""; !place.empty()) {
    lines.push_back("");
    lines.push_back("Choose your own keys in " + place + ":");
    lines.push_back("one line an action, such as \"undo = Z, Backspace\" (see the README).");
  }
  return lines;
}

void ShowHowToPlay(platform::Window window) {
  const std::string caption = std::string("How to play Yelko ") + GameVersion();
  platform::DialogBox(window, {caption.c_str(), HowToPlayLines()}, HelpDialogProc);
}
