// The headless backend: a deterministic machine for tests and replays. The game window is
// always active, the clock is virtual and moves 1000/60 ms per display tick, keys and clicks
// come from a script (or from the test), message boxes and dialogs are answered at once, and
// everything the game shows or plays is recorded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace headless {

// One line of a replay script.
struct ScriptEvent {
  // Close is the window's close box; the text format has no line for it. Answer and Clipboard
  // take effect when the script reaches them: the next text box's answer is queued
  // (QueueTextAnswers), or the clipboard set.
  enum class Kind { Frames, Click, Menu, Close, Answer, Clipboard, Drag };
  Kind kind = Kind::Frames;
  int count = 0;                   // Frames: how many
  std::vector<std::uint8_t> keys;  // Frames: scan codes held
  bool escape = false;             // Frames: Escape held
  bool enter = false;              // Frames: Enter held
  bool right = false;              // Click: right button
  bool shift = false;              // Click: with Shift held
  int x = 0;                       // Click, Drag: client position
  int y = 0;
  std::uint16_t command = 0;        // Menu: command id
  std::optional<std::string> text;  // Answer: the text OK'd, none for Cancel; Clipboard: its text
};

platform::Backend* GetBackend();
// The same machine, watched (yelko --replay SCRIPT --watch): what the game shows and plays goes to
// `window` (a desktop backend) too, at its pace and on its clock. While the script lasts it
// drives the game as in a replay (boxes answered at once, recorded, not shown); once it is used
// up the window's own keys, mouse, boxes and rests take over, and the game goes on until the
// window is closed. Reset() forgets the window.
platform::Backend* WatchIn(platform::Backend* window);

// Forgets everything: script, held keys, records, failures; the clock starts again.
void Reset();

// Plays the script from its start. Each Frames event holds its keys for that many display
// ticks. Clicks and menu commands that follow one another arrive together, as one message each,
// queued when the script reaches them (the main loop then handles them one per turn). When the
// script is used up, the loop is told to end (message 0xFFFFFFFF).
void SetScript(std::vector<ScriptEvent> script);
bool ScriptFinished();

// Without a script: the keys held from now on (scan codes), and the two asynchronous keys.
// Keys reach the game through the key latch the desktop backends use.
void HoldKeys(std::vector<std::uint8_t> scanCodes);
// A key pressed and let go before the next frame reads the keyboard.
void TapKey(std::uint8_t scanCode);
void HoldVirtualKey(int virtualKey, bool down);

// Text boxes (platform::AskForText) are answered from a queue, one answer each, in order: a
// text is typed and OK'd, none is Cancel. With the queue empty a box cannot be shown (false).
void QueueTextAnswers(std::vector<std::optional<std::string>> answers);
// The prompts of the text boxes asked, in order.
const std::vector<std::string>& TextPrompts();
// The clipboard, in memory: empty at the start.
void SetClipboard(std::string text);
const std::string& Clipboard();

// The virtual clock in milliseconds.
std::uint32_t Now();
void SetNow(std::uint32_t milliseconds);
// The same in microseconds, its real resolution (a frame is 16,667 of them).
std::uint64_t NowMicroseconds();
void SetNowMicroseconds(std::uint64_t microseconds);

// Failures to simulate.
struct Failures {
  bool display = false;
  bool keyboard = false;      // no keyboard device
  bool keyboardRead = false;  // the device exists but cannot be read
  bool mouse = false;
  bool audio = false;
};
void SetFailures(const Failures& failures);
// Searches on a thread of their own, as the desktop does (off: in slices, the same every run).
void UseThreads(bool on);

// What happened.
const std::vector<std::string>& Messages();       // ShowMessage texts, in order
const std::vector<std::string>& SoundsStarted();  // names of buffers started, in order
int BeepCount();
int DialogCount();
int FramesPresented();  // display ticks waited for
int LiveSoundBuffers();
platform::PcmFormat LastSoundFormat();
std::vector<std::uint8_t> LastSoundSamples();
// The requested display mode, as the game asked for it.
int RequestedWidth();
int RequestedHeight();
// Keeps a copy of every frame shown (off by default: it costs a copy per frame).
void KeepFrames(bool keep);
// The last frame shown while frames were kept, or null.
const platform::Surface* LastFrame();

}  // namespace headless
