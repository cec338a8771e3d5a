// The player's settings: read at the start, changed from the keys and the View menu, saved.
#include "app/settings.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/notices.h"
#include "app/shell.h"
#include "gfx/display.h"
#include "input/keymap.h"
#include "midend/puzzle.h"
#include "sound/sound.h"

namespace {

constexpr const char* MutedName = "Muted";
constexpr const char* WholePixelsName = "WholePixels";
// Saved as "off", so that a player who never chose is warned.
constexpr const char* StuckWarningOffName = "StuckWarningOff";

bool WholePixels;
bool KeysFileLooked;
bool KeysNoticeStands;
std::uint32_t KeysNoticeSince;

// The switches whose saved value exists but cannot be read: kept as they are, never written over.
std::vector<std::string> Unreadable;

// A saved on/off setting: absent, unreadable or not one byte of 0 or 1 reads as off.
bool ReadSwitch(const char* name) {
  std::vector<std::uint8_t> bytes;
  const platform::ReadOutcome read = platform::ReadUserValue(name, 1, &bytes);
  if (read.status == platform::ReadStatus::Unreadable) {
    Unreadable.push_back(name);
    Notify(NoticeTopic::Settings, std::string("Your settings cannot be read (") + name + ": " +
                                      read.why + "); changes to it are not saved");
  }
  return read && bytes.size() == 1 && bytes[0] == 1;
}

void SaveSwitch(const char* name, bool on) {
  if (std::find(Unreadable.begin(), Unreadable.end(), name) != Unreadable.end()) return;
  const std::uint8_t byte = on ? 1 : 0;
  std::string why;
  if (platform::WriteUserValue(name, &byte, 1, &why)) {
    ClearNotice(NoticeTopic::Settings);
  } else {
    Notify(NoticeTopic::Settings, "Could not save your settings: " + why);
  }
}

void LoadKeys() {
  std::vector<std::uint8_t> bytes;
  const platform::ReadOutcome read =
      platform::ReadUserSetting(KeysSettingName, MaxKeysFileBytes, &bytes);
  std::vector<std::string> problems;
  if (read.status == platform::ReadStatus::Unreadable) {
    problems.push_back("it cannot be read (" + read.why + ")");
  } else if (read) {
    problems = ApplyKeysText(std::string(bytes.begin(), bytes.end()));
  }
  if (problems.empty()) return;
  for (std::size_t i = 1; i < problems.size(); ++i) {
    std::fprintf(stderr, "yelko: the keys file, %s: left out\n", problems[i].c_str());
  }
  std::string said = "The keys file, " + problems[0] + ": left out";
  if (problems.size() > 1) said += " (and " + std::to_string(problems.size() - 1) + " more)";
  Notify(NoticeTopic::Keys, said);
  KeysNoticeStands = true;
  KeysNoticeSince = platform::Ticks();
}

}  // namespace

void LoadPlayerSettings(bool keysFile) {
  KeysFileLooked = keysFile;
  if (keysFile) LoadKeys();
  SetSoundMuted(ReadSwitch(MutedName));
  WholePixels = ReadSwitch(WholePixelsName);
  platform::SetWholePixels(WholePixels);
  WarnWhenStuck = !ReadSwitch(StuckWarningOffName);
}

bool KeysFileUsed() {
  return KeysFileLooked;
}

std::uint32_t KeysNoticeLeft() {
  if (!KeysNoticeStands) return 0;
  const std::uint32_t stood = platform::Ticks() - KeysNoticeSince;
  if (stood < KeysNoticeMs) return KeysNoticeMs - stood;
  ClearNotice(NoticeTopic::Keys);
  KeysNoticeStands = false;
  return 0;
}

void ToggleMute() {
  SetSoundMuted(!SoundMuted);
  SaveSwitch(MutedName, SoundMuted);
  ShowSettingsInMenu(MainWindow);
}

void ToggleWholePixels() {
  WholePixels = !WholePixels;
  platform::SetWholePixels(WholePixels);
  SaveSwitch(WholePixelsName, WholePixels);
  ShowSettingsInMenu(MainWindow);
}

void ToggleStuckWarning() {
  WarnWhenStuck = !WarnWhenStuck;
  SaveSwitch(StuckWarningOffName, !WarnWhenStuck);
  ShowSettingsInMenu(MainWindow);
}

void ShowSettingsInMenu(platform::Window window) {
  platform::CheckMenuItem(window, CmdWarnStuck, WarnWhenStuck);
  platform::CheckMenuItem(window, CmdMute, SoundMuted);
  platform::CheckMenuItem(window, CmdWholePixels, WholePixels);
}

void ResetSettingsState() {
  WholePixels = KeysFileLooked = KeysNoticeStands = false;
  Unreadable.clear();
  KeysNoticeSince = 0;
}
