#include "platform/web/web_backend.h"

#include <emscripten.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/files.h"
#include "platform/key_latch.h"
#include "platform/keys.h"
#include "platform/pacing.h"

// The page's side of each service; YelkoPage is defined in page.js.
// clang-format off
EM_JS(void, JsOpenWindow, (), { YelkoPage.openWindow(); });
EM_JS(void, JsSetMenu, (const char* json), { YelkoPage.setMenu(JSON.parse(UTF8ToString(json))); });
EM_JS(void, JsSetStatus, (const char* text), { YelkoPage.setStatus(UTF8ToString(text)); });
EM_ASYNC_JS(int, JsBox, (const char* caption, const char* text), {
  return await YelkoPage.box(UTF8ToString(caption), UTF8ToString(text));
});
EM_ASYNC_JS(void, JsNextFrame, (double deadlineMs), { await YelkoPage.nextFrame(deadlineMs); });
EM_JS(void, JsPresent, (const void* rgba, int width, int height), {
  YelkoPage.present(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
});
EM_ASYNC_JS(int, JsSync, (), { return await YelkoPage.sync(); });
EM_JS(void, JsStorageFailed, (), { YelkoPage.storageFailed(); });
EM_JS(void, JsEnded, (), { YelkoPage.ended(); });
EM_JS(int, JsAudioOpen, (), { return YelkoPage.audioOpen(); });
EM_JS(void, JsAudioClose, (), { YelkoPage.audioClose(); });
EM_JS(int, JsCreateSound, (const void* data, unsigned bytes, int rate, int channels, int bits,
                           const char* name), {
  return YelkoPage.createSound(HEAPU8.slice(data, data + bytes), rate, channels, bits,
                               UTF8ToString(name));
});
EM_JS(int, JsPlaySound, (int id), { return YelkoPage.playSound(id); });
EM_JS(void, JsStopSound, (int id), { YelkoPage.stopSound(id); });
EM_JS(void, JsReleaseSound, (int id), { YelkoPage.releaseSound(id); });
EM_JS(void, JsBeep, (), { YelkoPage.beep(); });
EM_JS(int, JsOnScreenButtons, (), { return document.getElementById('touchkeys').hidden ? 0 : 1; });
// clang-format on

namespace platform::web {
namespace {

constexpr const char* GameClass = "WINXCLASS";
constexpr const char* GameDir = "/game";
constexpr const char* StoreDir = "/persist";
constexpr const char* EditorLevel = "level.dat";
// The editor's level is 300 bytes; a file far larger is not one of ours.
constexpr std::size_t MaxEditorLevelBytes = 64 * 1024;
constexpr std::size_t MaxUserValueBytes = 64 * 1024;

std::uint64_t NowMicros() {
  return std::uint64_t(emscripten_get_now() * 1000.0);
}

// JSON text of a string (the menu's labels).
void AppendJsonString(std::string& out, const char* s) {
  out += '"';
  for (; *s != '\0'; ++s) {
    const unsigned char c = static_cast<unsigned char>(*s);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      out += ' ';
    } else {
      out += char(c);
    }
  }
  out += '"';
}

// A value's name becomes a file name in the store: nothing that could leave it.
bool SafeValueName(const char* name) {
  return name[0] != '\0' && name[0] != '.' && std::strchr(name, '/') == nullptr;
}

struct FileIdentity {
  ino_t inode = 0;
  off_t size = -1;
  long long modified = 0;
  bool operator==(const FileIdentity&) const = default;
};

FileIdentity Identify(const char* path) {
  struct stat st {};
  if (::stat(path, &st) != 0) return {};
  return {st.st_ino, st.st_size,
          static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

class WebSound final : public SoundBuffer {
 public:
  explicit WebSound(int id) : id(id) {}
  int id;
};

class WebBackend final : public Backend {
 public:
  WebBackend() {
    // The editor works on "level.dat" in the working directory; the copy in the store is the
    // one kept across visits. A saved level replaces the one packaged with the page (none is).
    std::vector<std::uint8_t> kept;
    const std::string stored = std::string(StoreDir) + "/" + EditorLevel;
    if (ReadWholeFile(stored.c_str(), MaxEditorLevelBytes, &kept)) {
      ReplaceFileAtomically(EditorLevel, kept.data(), kept.size());
    }
    editorLevel_ = Identify(EditorLevel);
  }

  // ---- Window system

  bool OpenWindow(const char*, const std::vector<MenuEntry>& menu) override {
    if (open_) return false;
    open_ = true;
    JsOpenWindow();
    SendMenu(menu);
    return true;
  }

  void CloseWindow() override {
    open_ = false;
    keyboardOpen_ = false;
  }

  // The page's events arrive on their own (see the exported functions below) while the game
  // waits for a frame or a box.
  void PumpEvents() override {}
  bool HasFocus() override { return open_; }
  void MenuChanged() override { SendMenu(GameWindowMenu()); }
  void StatusChanged() override { JsSetStatus(StatusText().c_str()); }

  void MessageBox(const char* text, const char* caption) override {
    JsBox(caption, text);
    AfterModal();
  }

  void RunDialog(Window dialog, const DialogTemplate& content, DialogProcFn proc) override {
    std::string text;
    for (const std::string& line : content.lines) text += line + "\n";
    while (!DialogEnded(dialog)) {
      const int answer = JsBox(content.caption != nullptr ? content.caption : "", text.c_str());
      proc(dialog, WM_COMMAND, std::uint64_t(answer), 0);
    }
    AfterModal();
  }

  bool AsyncKeyDown(int virtualKey) override {
    if (virtualKey == VK_ESCAPE) return KeyLatchAsk(latch_, DIK_ESCAPE);
    if (virtualKey == VK_RETURN) {
      const bool enter = KeyLatchAsk(latch_, DIK_RETURN);
      return KeyLatchAsk(latch_, DIK_NUMPADENTER) || enter;
    }
    return false;
  }

  void Beep() override { JsBeep(); }

  // ---- Saved values: files in the store, written to the browser's storage after each change.

  ReadOutcome ReadUserValue(const char* name, std::size_t limit,
                            std::vector<std::uint8_t>* out) override {
    if (!SafeValueName(name)) return {ReadStatus::Absent, "it has no name"};
    return ReadWholeFile((std::string(StoreDir) + "/" + name).c_str(), limit, out);
  }

  bool WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                      std::string* why) override {
    if (!SafeValueName(name) || size > MaxUserValueBytes) return false;
    const std::string path = std::string(StoreDir) + "/" + name;
    return ReplaceFileAtomically(path.c_str(), data, size, why) && Sync();
  }

  // ---- Keyboard and mouse

  bool KeyboardOpen() override {
    keyboardOpen_ = open_;
    return keyboardOpen_;
  }

  bool KeyboardRead(std::uint8_t state[256]) override {
    if (!keyboardOpen_) return false;
    KeyLatchSnapshot(latch_, state);
    return true;
  }

  void KeyboardClose() override { keyboardOpen_ = false; }
  bool OnScreenButtons() override { return JsOnScreenButtons() != 0; }
  bool MouseOpen() override { return open_; }
  void MouseClose() override {}

  // ---- Clock

  std::uint32_t Ticks() override { return std::uint32_t(std::uint64_t(emscripten_get_now())); }
  // A busy wait gives the page its turn, so that it keeps painting and hearing events.
  void SpinPause() override { emscripten_sleep(1); }

  // ---- Display

  bool DisplayOpen(int, int, int) override {
    displayOpen_ = true;
    return true;
  }

  void DisplayClose() override { displayOpen_ = false; }

  // The game's own 60 Hz clock decides the frame; the page shows it at the display refresh
  // that follows, so a 120 Hz screen runs the game at the same speed as a 60 Hz one.
  void WaitVerticalBlank() override {
    const std::uint64_t deadline = NextFrameDeadline(pacer_, NowMicros());
    JsNextFrame(double(deadline) / 1000.0);
    KeepEditorLevel();
  }

  bool Present(const Surface& frame) override {
    if (!displayOpen_ || !open_ || frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < std::size_t(frame.width) * std::size_t(frame.height)) {
      return false;
    }
    // 0x00RRGGBB words to the canvas's bytes red, green, blue, alpha.
    rgba_.resize(frame.pixels.size());
    for (std::size_t i = 0; i < rgba_.size(); ++i) {
      const std::uint32_t p = frame.pixels[i];
      rgba_[i] = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
    }
    JsPresent(rgba_.data(), frame.width, frame.height);
    return true;
  }

  // ---- Audio

  bool AudioOpen() override { return JsAudioOpen() != 0; }
  void AudioClose() override { JsAudioClose(); }

  SoundBuffer* CreateSoundBuffer(const std::uint8_t* data, std::uint32_t bytes, PcmFormat format,
                                 const char* name) override {
    const std::uint32_t frameBytes = std::uint32_t(format.channels) * (format.bits / 8u);
    if ((format.bits != 8 && format.bits != 16) || format.channels < 1 || format.channels > 2 ||
        format.rate < 3000 || format.rate > 192000 || bytes < frameBytes) {
      return nullptr;
    }
    const int id = JsCreateSound(data, bytes - bytes % frameBytes, int(format.rate),
                                 format.channels, format.bits, name);
    return id > 0 ? new WebSound(id) : nullptr;
  }

  bool PlaySoundBuffer(SoundBuffer* buffer) override {
    return JsPlaySound(static_cast<WebSound*>(buffer)->id) != 0;
  }
  void StopSoundBuffer(SoundBuffer* buffer) override {
    JsStopSound(static_cast<WebSound*>(buffer)->id);
  }
  void ReleaseSoundBuffer(SoundBuffer* buffer) override {
    JsReleaseSound(static_cast<WebSound*>(buffer)->id);
    delete static_cast<WebSound*>(buffer);
  }

  // ---- What the page reports

  void Key(int scanCode, bool down) {
    if (scanCode <= 0 || scanCode > 255) return;
    if (down) {
      KeyLatchDown(latch_, std::uint8_t(scanCode));
    } else {
      KeyLatchUp(latch_, std::uint8_t(scanCode));
    }
  }

  void LoseFocus() { KeyLatchClear(latch_); }

  void Click(bool right, bool doubleClick, int x, int y) {
    if (!open_ || x < 0 || y < 0 || x >= 560 || y >= 560) return;
    std::uint32_t id = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    if (doubleClick) id = right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
    Post(id, 0, PackPoint(x, y));
  }

  void Command(int id) {
    if (open_ && id > 0 && id <= 0xFFFF) Post(WM_COMMAND, std::uint64_t(id), 0);
  }

 private:
  static void Post(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam) {
    const Window w = FindWindow(GameClass, nullptr);
    if (w != 0) PostMessage(w, id, wParam, lParam);
  }

  void SendMenu(const std::vector<MenuEntry>& menu) {
    std::string json = "[";
    for (const MenuEntry& e : menu) {
      if (json.size() > 1) json += ',';
      json += '[';
      AppendJsonString(json, e.text != nullptr ? e.text : "");
      json += ',' + std::to_string(e.id) + ',' + std::to_string(e.depth) + ',' +
              (e.enabled ? "true" : "false") + ',' + (e.checked ? "true" : "false") + ']';
    }
    json += ']';
    JsSetMenu(json.c_str());
  }

  // The key that answered a box (Escape, Enter) is not also a key of the game: the page holds
  // back keys held when the box closed until they are released; what was latched meanwhile is
  // dropped here.
  void AfterModal() { KeyLatchAfterModal(latch_); }

  // Writes the store to the browser's storage. A failure is told once; the game goes on.
  bool Sync() {
    if (JsSync() != 0) return true;
    if (!storageWarned_) {
      storageWarned_ = true;
      JsStorageFailed();
    }
    return false;
  }

  // The editor saves "level.dat" in the working directory; a new one is copied to the store.
  void KeepEditorLevel() {
    const FileIdentity now = Identify(EditorLevel);
    if (now == editorLevel_) return;
    editorLevel_ = now;
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(EditorLevel, MaxEditorLevelBytes, &bytes)) return;
    const std::string stored = std::string(StoreDir) + "/" + EditorLevel;
    if (ReplaceFileAtomically(stored.c_str(), bytes.data(), bytes.size())) {
      Sync();
    } else if (!storageWarned_) {
      storageWarned_ = true;
      JsStorageFailed();
    }
  }

  KeyLatch latch_;
  FramePacer pacer_;
  std::vector<std::uint32_t> rgba_;
  FileIdentity editorLevel_;
  bool open_ = false;
  bool keyboardOpen_ = false;
  bool displayOpen_ = false;
  bool storageWarned_ = false;
};

WebBackend* Current = nullptr;

}  // namespace

Backend* CreateBackend(std::string* error) {
  if (::chdir(GameDir) != 0) {
    if (error != nullptr) *error = "the page's data files are missing";
    return nullptr;
  }
  Current = new WebBackend();
  return Current;
}

void DestroyBackend(Backend* backend) {
  if (backend == nullptr) return;
  if (backend == Current) Current = nullptr;
  delete static_cast<WebBackend*>(backend);
  JsEnded();
}

}  // namespace platform::web

// Called by page.js as the player acts. Board coordinates are the canvas's own pixels.
extern "C" {

EMSCRIPTEN_KEEPALIVE void yelko_web_key(int scanCode, int down) {
  if (platform::web::Current != nullptr) platform::web::Current->Key(scanCode, down != 0);
}

EMSCRIPTEN_KEEPALIVE void yelko_web_blur() {
  if (platform::web::Current != nullptr) platform::web::Current->LoseFocus();
}

EMSCRIPTEN_KEEPALIVE void yelko_web_click(int right, int doubleClick, int x, int y) {
  if (platform::web::Current != nullptr) {
    platform::web::Current->Click(right != 0, doubleClick != 0, x, y);
  }
}

EMSCRIPTEN_KEEPALIVE void yelko_web_command(int id) {
  if (platform::web::Current != nullptr) platform::web::Current->Command(id);
}

}  // extern "C"
