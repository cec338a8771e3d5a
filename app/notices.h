// What the player must be told that is no box of the game's own: a save that failed, a saved
// value that cannot be read. Each topic is said once, on the status line (and on standard
// error), until it goes right again.
#pragma once

#include <cstdint>
#include <string>

enum class NoticeTopic : std::uint8_t { Progress, Records, Level, Storage, Settings, Keys, Count };

// Says the text for the topic, unless the topic already says exactly that.
void Notify(NoticeTopic topic, const std::string& text);
// The topic went right: a later failure is said again.
void ClearNotice(NoticeTopic topic);
// The newest notice still standing, or "".
std::string CurrentNotice();

void ResetNoticeState();
