// What a backend supplies behind the platform interface. Only platform/ sees this: the game
// calls the free functions of platform.h, which keep the shared state (window, message queue,
// menu) and ask the installed backend for what differs between a desktop and a test run.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace platform {

class Backend {
 public:
  virtual ~Backend() = default;

  // Window system. OpenWindow shows the game window with its menu; PumpEvents turns whatever
  // the user did since the last call into queued messages (through PostMessage) and keeps the
  // window painted; MenuChanged tells that an item's enabled state changed.
  virtual bool OpenWindow(const char* title, const std::vector<MenuEntry>& menu) = 0;
  virtual void CloseWindow() = 0;
  virtual void PumpEvents() = 0;
  virtual bool HasFocus() = 0;
  virtual void MenuChanged() = 0;
  // The status line's text changed (platform::StatusText()).
  virtual void StatusChanged() {}
  virtual void MessageBox(const char* text, const char* caption) = 0;
  // Runs the dialog modally until platform::EndDialog is called for it (DialogEnded turns true).
  virtual void RunDialog(Window dialog, const DialogTemplate& content, DialogProcFn proc) = 0;
  // platform::AskForText; the text it returns is made one line (OneLineOfText) above this.
  virtual bool AskForText(const char* /*caption*/, const char* /*prompt*/, std::string* /*text*/) {
    return false;
  }
  virtual std::string ClipboardText() { return {}; }
  virtual bool SetClipboardText(const std::string&) { return false; }
  // platform::HasFileDialog and ChooseFile: the choice goes to platform::GiveFile.
  virtual bool HasFileDialog() { return false; }
  virtual bool ChooseFile(const char* /*caption*/) { return false; }
  virtual bool AsyncKeyDown(int virtualKey) = 0;
  virtual void Beep() = 0;

  // The player's saved values (platform.h). By default files in UserDataDirectory(); a
  // backend with a store of its own (the registry, the browser's storage) overrides both.
  virtual ReadOutcome ReadUserValue(const char* name, std::size_t limit,
                                    std::vector<std::uint8_t>* out);
  virtual bool WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                              std::string* why);
  // By default a ValueLock around ReadUserValue, the merge and WriteUserValue.
  virtual bool UpdateUserValue(const char* name, std::size_t limit, const ValueMerge& merge,
                               std::string* why);

  // By default the file in UserConfigDirectory(); the registry on Windows.
  virtual ReadOutcome ReadUserSetting(const char* name, std::size_t limit,
                                      std::vector<std::uint8_t>* out);
  virtual std::string UserSettingPlace(const char* name);

  // Keyboard and mouse devices.
  virtual bool KeyboardOpen() = 0;
  virtual bool KeyboardRead(std::uint8_t state[256]) = 0;
  virtual void KeyboardClose() = 0;
  virtual bool GamepadInUse() { return false; }
  // True when the game may search on a thread of its own beside its frames (the desktop); else
  // it searches in slices between frames (the browser, and the headless machine, whose replays
  // must come out the same every time).
  virtual bool BackgroundThreads() { return false; }
  virtual bool OnScreenButtons() { return false; }
  virtual bool MouseOpen() = 0;
  virtual void MouseClose() = 0;

  // Clock.
  virtual std::uint32_t Ticks() = 0;
  virtual void SpinPause() = 0;

  // Display.
  virtual bool DisplayOpen(int width, int height, int bitsPerPixel) = 0;
  virtual void DisplayClose() = 0;
  virtual void WaitVerticalBlank() = 0;
  virtual bool Present(const Surface& frame) = 0;
  virtual void SetWindowCaption(const std::string&) {}
  virtual void ToggleFullScreen() {}
  virtual void SetWholePixels(bool) {}
  virtual void WaitForInput(std::uint32_t) {}

  // Audio.
  virtual bool AudioOpen() = 0;
  virtual void AudioClose() = 0;
  virtual SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes,
                                         PcmFormat format, const char* name) = 0;
  virtual bool PlaySoundBuffer(SoundBuffer* buffer) = 0;
  virtual void StopSoundBuffer(SoundBuffer* buffer) = 0;
  virtual void ReleaseSoundBuffer(SoundBuffer* buffer) = 0;
};

// Installs the backend the free functions use (not owned). Also forgets every window, queued
// message and menu state, so that each run, and each test, starts from nothing.
void UseBackend(Backend* backend);
Backend& CurrentBackend();

// The text as one line a box may hold: without control characters (line breaks, tabs), cut to
// at most maxChars characters, never inside a UTF-8 sequence.
std::string OneLineOfText(std::string_view text, std::size_t maxChars = MaxAskedTextChars);

// True once EndDialog was called for this dialog; RunDialog loops until then.
bool DialogEnded(Window dialog);

// The menu of the game window, with the current enabled state of each line.
const std::vector<MenuEntry>& GameWindowMenu();

}  // namespace platform
