#include "platform/headless/headless.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/key_latch.h"

namespace headless {
namespace {

// A display tick is 1000/60 ms; the clock keeps microseconds so that sixty ticks are exactly
// one second.
constexpr std::uint64_t TickMicros = 1000000 / 60;
constexpr std::uint64_t StartMicros = 100000ull * 1000;  // the machine has run for 100 s

struct Sound final : platform::SoundBuffer {
  std::string name;
  std::vector<std::uint8_t> samples;
  platform::PcmFormat format;
  platform::SoundBuffer* shown = nullptr;  // the window's own, while a replay is watched
};

struct State {
  std::vector<ScriptEvent> script;
  bool scripted = false;
  std::size_t cursor = 0;
  int framesDone = 0;  // of the Frames event under the cursor
  bool endPosted = false;
  platform::Backend* window = nullptr;  // the window a replay is watched in

  std::vector<std::uint8_t> heldKeys;
  platform::KeyLatch latch;
  bool escape = false;
  bool enter = false;

  std::uint64_t micros = StartMicros;
  Failures failures;

  bool windowOpen = false;
  bool keyboardOpen = false;
  bool displayOpen = false;
  bool audioOpen = false;
  int requestedWidth = 0;
  int requestedHeight = 0;

  std::deque<std::optional<std::string>> textAnswers;
  std::vector<std::string> textPrompts;
  std::string clipboard;

  std::vector<std::string> messages;
  std::vector<std::string> soundsStarted;
  int beeps = 0;
  int dialogs = 0;
  int frames = 0;
  int liveSounds = 0;
  platform::PcmFormat lastFormat;
  std::vector<std::uint8_t> lastSamples;
  bool keepFrames = false;
  bool threads = false;
  bool haveFrame = false;
  platform::Surface lastFrame;
};

State& S() {
  static State state;
  return state;
}

// Skips Frames events of no frames, so the cursor rests on something that takes effect.
void SkipEmpty() {
  State& s = S();
  while (s.cursor < s.script.size() && s.script[s.cursor].kind == ScriptEvent::Kind::Frames &&
         s.framesDone >= s.script[s.cursor].count) {
    ++s.cursor;
    s.framesDone = 0;
  }
}

const ScriptEvent* CurrentFrames() {
  State& s = S();
  if (!s.scripted) return nullptr;
  SkipEmpty();
  if (s.cursor >= s.script.size()) return nullptr;
  const ScriptEvent& e = s.script[s.cursor];
  return e.kind == ScriptEvent::Kind::Frames ? &e : nullptr;
}

class HeadlessBackend : public platform::Backend {
 public:
  bool OpenWindow(const char*, const std::vector<platform::MenuEntry>&) override {
    S().windowOpen = true;
    return true;
  }
  void CloseWindow() override { S().windowOpen = false; }

  void PumpEvents() override {
    State& s = S();
    if (!s.scripted) return;
    SkipEmpty();
    const platform::Window w = platform::FindWindow("WINXCLASS", nullptr);
    for (; s.cursor < s.script.size(); ++s.cursor) {
      const ScriptEvent& e = s.script[s.cursor];
      if (e.kind == ScriptEvent::Kind::Frames) break;
      if (e.kind == ScriptEvent::Kind::Click) {
        platform::PostMessage(w, e.right ? platform::WM_RBUTTONDOWN : platform::WM_LBUTTONDOWN,
                              e.shift ? platform::MK_SHIFT : 0, platform::PackPoint(e.x, e.y));
      } else if (e.kind == ScriptEvent::Kind::Drag) {
        platform::PostMessage(w, platform::WM_MOUSEMOVE, platform::MK_LBUTTON,
                              platform::PackPoint(e.x, e.y));
      } else if (e.kind == ScriptEvent::Kind::Menu) {
        platform::PostMessage(w, platform::WM_COMMAND, e.command, 0);
      } else if (e.kind == ScriptEvent::Kind::Answer) {
        s.textAnswers.push_back(e.text);
      } else if (e.kind == ScriptEvent::Kind::Clipboard) {
        s.clipboard = e.text.value_or("");
      } else {
        platform::PostMessage(w, platform::WM_CLOSE, 0, 0);
      }
      s.framesDone = 0;
    }
    SkipEmpty();
    // A replay watched goes on in its window once the script is used up.
    if (s.cursor >= s.script.size() && !s.endPosted && s.window == nullptr) {
      s.endPosted = true;
      platform::PostMessage(w, 0xFFFFFFFFu, 0, 0);
    }
  }

  bool HasFocus() override { return S().windowOpen; }
  bool BackgroundThreads() override { return S().threads; }
  void MenuChanged() override {}
  void MessageBox(const char* text, const char*) override { S().messages.emplace_back(text); }

  void RunDialog(platform::Window dialog, const platform::DialogTemplate&,
                 platform::DialogProcFn proc) override {
    // Answered at once, as if OK were pressed.
    ++S().dialogs;
    proc(dialog, platform::WM_COMMAND, 1, 0);
  }

  bool AskForText(const char*, const char* prompt, std::string* text) override {
    State& s = S();
    if (s.textAnswers.empty()) return false;
    s.textPrompts.emplace_back(prompt);
    const std::optional<std::string> answer = std::move(s.textAnswers.front());
    s.textAnswers.pop_front();
    if (answer) *text = *answer;
    return answer.has_value();
  }
  std::string ClipboardText() override { return S().clipboard; }
  bool SetClipboardText(const std::string& text) override {
    S().clipboard = text;
    return true;
  }

  bool AsyncKeyDown(int virtualKey) override {
    if (const ScriptEvent* e = CurrentFrames()) {
      return (virtualKey == platform::VK_ESCAPE && e->escape) ||
             (virtualKey == platform::VK_RETURN && e->enter);
    }
    if (S().scripted) return false;
    return (virtualKey == platform::VK_ESCAPE && S().escape) ||
           (virtualKey == platform::VK_RETURN && S().enter);
  }

  void Beep() override { ++S().beeps; }

  bool KeyboardOpen() override {
    S().keyboardOpen = !S().failures.keyboard;
    return S().keyboardOpen;
  }
  bool KeyboardRead(std::uint8_t state[256]) override {
    if (!S().keyboardOpen || S().failures.keyboardRead) return false;
    std::memset(state, 0, 256);
    const std::vector<std::uint8_t>* keys = &S().heldKeys;
    if (S().scripted) {
      const ScriptEvent* e = CurrentFrames();
      static const std::vector<std::uint8_t> none;
      keys = e != nullptr ? &e->keys : &none;
    }
    // The keys held now go down and up through the latch, as a window's events would.
    bool wanted[256] = {};
    for (std::uint8_t k : *keys) wanted[k] = true;
    platform::KeyLatch& latch = S().latch;
    for (int k = 1; k < 256; ++k) {
      if (wanted[k] && latch.held[k] == 0) platform::KeyLatchDown(latch, std::uint8_t(k));
      if (!wanted[k] && latch.held[k] != 0) platform::KeyLatchUp(latch, std::uint8_t(k));
    }
    platform::KeyLatchSnapshot(latch, state);
    return true;
  }
  void KeyboardClose() override { S().keyboardOpen = false; }
  bool MouseOpen() override { return !S().failures.mouse; }
  void MouseClose() override {}

  std::uint32_t Ticks() override { return std::uint32_t(S().micros / 1000); }
  void SpinPause() override { S().micros += 1000; }

  bool DisplayOpen(int width, int height, int) override {
    S().requestedWidth = width;
    S().requestedHeight = height;
    S().displayOpen = !S().failures.display;
    return S().displayOpen;
  }
  void DisplayClose() override { S().displayOpen = false; }

  void WaitVerticalBlank() override {
    State& s = S();
    s.micros += TickMicros;
    ++s.frames;
    if (CurrentFrames() != nullptr) ++s.framesDone;
  }

  bool Present(const platform::Surface& frame) override {
    if (!S().displayOpen) return false;
    if (S().keepFrames) {
      S().lastFrame = frame;
      S().haveFrame = true;
    }
    return true;
  }

  bool AudioOpen() override {
    S().audioOpen = !S().failures.audio;
    return S().audioOpen;
  }
  void AudioClose() override { S().audioOpen = false; }

  platform::SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes,
                                           platform::PcmFormat format, const char* name) override {
    if (!S().audioOpen) return nullptr;
    auto* sound = new Sound;
    sound->name = name;
    sound->samples.assign(data, data + bytes);
    sound->format = format;
    S().lastFormat = format;
    S().lastSamples = sound->samples;
    ++S().liveSounds;
    return sound;
  }
  bool PlaySoundBuffer(platform::SoundBuffer* buffer) override {
    S().soundsStarted.push_back(static_cast<Sound*>(buffer)->name);
    return true;
  }
  void StopSoundBuffer(platform::SoundBuffer*) override {}
  void ReleaseSoundBuffer(platform::SoundBuffer* buffer) override {
    --S().liveSounds;
    delete static_cast<Sound*>(buffer);
  }
};

// A replay watched: the headless machine's script and records, shown and heard in a window.
// While the script lasts its keys, clicks and commands drive the game, boxes are answered at once
// and the game never rests, as in a replay, but at the window's pace and on its clock; once the
// script is used up, the window's own keys, mouse, boxes and rests take over.
class WatchBackend final : public HeadlessBackend {
 public:
  bool OpenWindow(const char* title, const std::vector<platform::MenuEntry>& menu) override {
    HeadlessBackend::OpenWindow(title, menu);
    return W().OpenWindow(title, menu);
  }
  void CloseWindow() override {
    W().CloseWindow();
    HeadlessBackend::CloseWindow();
  }
  void PumpEvents() override {
    HeadlessBackend::PumpEvents();
    W().PumpEvents();
  }
  bool HasFocus() override { return Scripted() ? HeadlessBackend::HasFocus() : W().HasFocus(); }
  bool BackgroundThreads() override {
    return Scripted() ? HeadlessBackend::BackgroundThreads() : W().BackgroundThreads();
  }
  bool OnScreenButtons() override { return !Scripted() && W().OnScreenButtons(); }
  bool GamepadInUse() override { return !Scripted() && W().GamepadInUse(); }
  void MenuChanged() override { W().MenuChanged(); }
  void StatusChanged() override { W().StatusChanged(); }
  void MessageBox(const char* text, const char* caption) override {
    HeadlessBackend::MessageBox(text, caption);
    if (!Scripted()) W().MessageBox(text, caption);
  }
  void RunDialog(platform::Window dialog, const platform::DialogTemplate& content,
                 platform::DialogProcFn proc) override {
    if (Scripted()) {
      HeadlessBackend::RunDialog(dialog, content, proc);
    } else {
      W().RunDialog(dialog, content, proc);
    }
  }
  bool AskForText(const char* caption, const char* prompt, std::string* text) override {
    return Scripted() ? HeadlessBackend::AskForText(caption, prompt, text)
                      : W().AskForText(caption, prompt, text);
  }
  std::string ClipboardText() override {
    return Scripted() ? HeadlessBackend::ClipboardText() : W().ClipboardText();
  }
  bool SetClipboardText(const std::string& text) override {
    return Scripted() ? HeadlessBackend::SetClipboardText(text) : W().SetClipboardText(text);
  }
  bool AsyncKeyDown(int virtualKey) override {
    return Scripted() ? HeadlessBackend::AsyncKeyDown(virtualKey) : W().AsyncKeyDown(virtualKey);
  }
  void Beep() override {
    HeadlessBackend::Beep();
    W().Beep();
  }

  platform::ReadOutcome ReadUserValue(const char* name, std::size_t limit,
                                      std::vector<std::uint8_t>* out) override {
    return W().ReadUserValue(name, limit, out);
  }
  bool WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                      std::string* why) override {
    return W().WriteUserValue(name, data, size, why);
  }
  bool UpdateUserValue(const char* name, std::size_t limit, const platform::ValueMerge& merge,
                       std::string* why) override {
    return W().UpdateUserValue(name, limit, merge, why);
  }

  bool KeyboardOpen() override { return HeadlessBackend::KeyboardOpen() && W().KeyboardOpen(); }
  bool KeyboardRead(std::uint8_t state[256]) override {
    // The window's keys are read all along, so that none pressed while the script played is
    // taken once it is over.
    const bool read = W().KeyboardRead(state);
    return Scripted() ? HeadlessBackend::KeyboardRead(state) : read;
  }
  void KeyboardClose() override {
    W().KeyboardClose();
    HeadlessBackend::KeyboardClose();
  }
  bool MouseOpen() override { return W().MouseOpen(); }
  void MouseClose() override { W().MouseClose(); }

  std::uint32_t Ticks() override { return W().Ticks(); }
  void SpinPause() override { W().SpinPause(); }

  bool DisplayOpen(int width, int height, int bits) override {
    return HeadlessBackend::DisplayOpen(width, height, bits) &&
           W().DisplayOpen(width, height, bits);
  }
  void DisplayClose() override {
    W().DisplayClose();
    HeadlessBackend::DisplayClose();
  }
  void WaitVerticalBlank() override {
    W().WaitVerticalBlank();
    HeadlessBackend::WaitVerticalBlank();
  }
  bool Present(const platform::Surface& frame) override {
    HeadlessBackend::Present(frame);
    return W().Present(frame);
  }
  void SetWindowCaption(const std::string& caption) override { W().SetWindowCaption(caption); }
  void ToggleFullScreen() override { W().ToggleFullScreen(); }
  void SetWholePixels(bool on) override { W().SetWholePixels(on); }
  void WaitForInput(std::uint32_t timeoutMs) override {
    if (!Scripted()) W().WaitForInput(timeoutMs);
  }

  bool AudioOpen() override { return HeadlessBackend::AudioOpen() && W().AudioOpen(); }
  void AudioClose() override {
    W().AudioClose();
    HeadlessBackend::AudioClose();
  }
  platform::SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes,
                                           platform::PcmFormat format, const char* name) override {
    auto* sound =
        static_cast<Sound*>(HeadlessBackend::CreateSoundBuffer(data, bytes, format, name));
    if (sound != nullptr) sound->shown = W().CreateSoundBuffer(data, bytes, format, name);
    return sound;
  }
  bool PlaySoundBuffer(platform::SoundBuffer* buffer) override {
    HeadlessBackend::PlaySoundBuffer(buffer);
    auto* shown = static_cast<Sound*>(buffer)->shown;
    return shown == nullptr || W().PlaySoundBuffer(shown);
  }
  void StopSoundBuffer(platform::SoundBuffer* buffer) override {
    if (auto* shown = static_cast<Sound*>(buffer)->shown) W().StopSoundBuffer(shown);
  }
  void ReleaseSoundBuffer(platform::SoundBuffer* buffer) override {
    if (auto* shown = static_cast<Sound*>(buffer)->shown) W().ReleaseSoundBuffer(shown);
    HeadlessBackend::ReleaseSoundBuffer(buffer);
  }

 private:
  static platform::Backend& W() { return *S().window; }
  // The script still plays.
  static bool Scripted() { return !ScriptFinished(); }
};

}  // namespace

platform::Backend* WatchIn(platform::Backend* window) {
  static WatchBackend backend;
  S().window = window;
  return &backend;
}

platform::Backend* GetBackend() {
  static HeadlessBackend backend;
  return &backend;
}

void Reset() {
  S() = State{};
}

void SetScript(std::vector<ScriptEvent> script) {
  State& s = S();
  s.script = std::move(script);
  s.scripted = true;
  s.cursor = 0;
  s.framesDone = 0;
  s.endPosted = false;
}

bool ScriptFinished() {
  SkipEmpty();
  return S().cursor >= S().script.size();
}

void HoldKeys(std::vector<std::uint8_t> scanCodes) {
  S().heldKeys = std::move(scanCodes);
}

void TapKey(std::uint8_t scanCode) {
  platform::KeyLatchDown(S().latch, scanCode);
  platform::KeyLatchUp(S().latch, scanCode);
}

void HoldVirtualKey(int virtualKey, bool down) {
  if (virtualKey == platform::VK_ESCAPE) S().escape = down;
  if (virtualKey == platform::VK_RETURN) S().enter = down;
}

void QueueTextAnswers(std::vector<std::optional<std::string>> answers) {
  for (auto& answer : answers) S().textAnswers.push_back(std::move(answer));
}
const std::vector<std::string>& TextPrompts() {
  return S().textPrompts;
}
void SetClipboard(std::string text) {
  S().clipboard = std::move(text);
}
const std::string& Clipboard() {
  return S().clipboard;
}

std::uint32_t Now() {
  return std::uint32_t(S().micros / 1000);
}
void SetNow(std::uint32_t milliseconds) {
  S().micros = std::uint64_t(milliseconds) * 1000;
}
std::uint64_t NowMicroseconds() {
  return S().micros;
}
void SetNowMicroseconds(std::uint64_t microseconds) {
  S().micros = microseconds;
}
void UseThreads(bool on) {
  S().threads = on;
}

void SetFailures(const Failures& failures) {
  S().failures = failures;
}

const std::vector<std::string>& Messages() {
  return S().messages;
}
const std::vector<std::string>& SoundsStarted() {
  return S().soundsStarted;
}
int BeepCount() {
  return S().beeps;
}
int DialogCount() {
  return S().dialogs;
}
int FramesPresented() {
  return S().frames;
}
int LiveSoundBuffers() {
  return S().liveSounds;
}
platform::PcmFormat LastSoundFormat() {
  return S().lastFormat;
}
std::vector<std::uint8_t> LastSoundSamples() {
  return S().lastSamples;
}
int RequestedWidth() {
  return S().requestedWidth;
}
int RequestedHeight() {
  return S().requestedHeight;
}
void KeepFrames(bool keep) {
  S().keepFrames = keep;
}
const platform::Surface* LastFrame() {
  return S().haveFrame ? &S().lastFrame : nullptr;
}

}  // namespace headless
