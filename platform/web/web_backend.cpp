// The browser backend: each service of platform.h answered by the page's JavaScript.
#include "platform/web/web_backend.h"

#include <emscripten.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/files.h"
#include "platform/key_latch.h"
#include "platform/keys.h"
#include "platform/pacing.h"
#include "platform/viewport.h"

// The page's side of each service; YelkoPage is defined in page.js.
// clang-format off
EM_JS(void, JsOpenWindow, (), { YelkoPage.openWindow(); });
EM_JS(void, JsSetMenu, (const char* json), { YelkoPage.setMenu(JSON.parse(UTF8ToString(json))); });
EM_JS(void, JsSetStatus, (const char* text), { YelkoPage.setStatus(UTF8ToString(text)); });
EM_JS(void, JsSetStatusPicture, (const void* rgba, int width, int height), {
  YelkoPage.setStatusPicture(
      width > 0 ? new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4) : null, width,
      height);
});
EM_ASYNC_JS(int, JsBox, (const char* caption, const char* text), {
  return await YelkoPage.box(UTF8ToString(caption), UTF8ToString(text));
});
EM_ASYNC_JS(void, JsNextFrame, (double deadlineMs, int rest), {
  await YelkoPage.nextFrame(deadlineMs, rest !== 0);
});
EM_JS(void, JsPresent, (const void* rgba, int width, int height, int top, int rows), {
  YelkoPage.present(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height,
                    top, rows);
});
EM_JS(int, JsStoreOff, (), { return YelkoStore.off ? 1 : 0; });
EM_JS(int, JsStoreSize, (const char* name), { return YelkoStore.size(UTF8ToString(name)); });
EM_JS(void, JsStoreCopy, (const char* name, void* out), {
  HEAPU8.set(YelkoStore.values.get(UTF8ToString(name)), out);
});
EM_ASYNC_JS(int, JsStorePut, (const char* name, const void* data, int size), {
  return await YelkoStore.put(UTF8ToString(name), HEAPU8.slice(data, data + size));
});
EM_ASYNC_JS(int, JsStoreLock, (const char* name), {
  return await YelkoStore.lock(UTF8ToString(name));
});
EM_JS(void, JsStoreUnlock, (const char* name), { YelkoStore.unlock(UTF8ToString(name)); });
EM_JS(void, JsStoreError, (char* out, int size), { stringToUTF8(YelkoStore.error, out, size); });
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
// Texts the page hands over are made with malloc, for the game to free.
EM_JS(char*, JsAskForText, (const char* caption, const char* prompt), {
  return YelkoPage.askForText(UTF8ToString(caption), UTF8ToString(prompt));
});
EM_JS(char*, JsClipboardText, (), { return YelkoPage.clipboardText(); });
EM_JS(int, JsSetClipboardText, (const char* text), {
  return YelkoPage.setClipboardText(UTF8ToString(text));
});
EM_JS(int, JsChooseFile, (), { return YelkoPage.chooseFile(); });
EM_JS(int, JsOnScreenButtons, (), { return YelkoPage.coarse ? 1 : 0; });
// clang-format on

namespace platform::web {
namespace {

constexpr const char* GameClass = "WINXCLASS";
constexpr const char* GameDir = "/game";
constexpr const char* EditorLevel = "level.dat";
// As large as the largest value the game saves (its best records, up to 1 MiB).
constexpr std::size_t MaxUserValueBytes = std::size_t(1) << 20;

std::uint64_t NowMicros() {
  return std::uint64_t(emscripten_get_now() * 1000.0);
}

void Say(std::string* why, const std::string& text) {
  if (why != nullptr) *why = text;
}

// Why the page's store failed last, in plain words.
std::string StoreError() {
  char text[256];
  JsStoreError(text, sizeof text);
  return text;
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

// A value's name is a record's key in the store; names starting with a dot are the page's own.
bool SafeValueName(const char* name) {
  return name[0] != '\0' && name[0] != '.' && std::strchr(name, '/') == nullptr;
}

GameQuestions Questions;
std::string Answer;  // the last text handed to the page, kept until its next question

class WebSound final : public SoundBuffer {
 public:
  explicit WebSound(int id) : id(id) {}
  int id;
};

class WebBackend final : public Backend {
 public:
  WebBackend() {
    // The editor works on "level.dat" in the working directory; the copy in the store is the
    // one kept across visits, put in place before the game starts.
    std::vector<std::uint8_t> kept;
    if (ReadUserValue(EditorLevel, MaxUserValueBytes, &kept)) {
      ReplaceFileAtomically(EditorLevel, kept.data(), kept.size());
    }
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
  void StatusChanged() override {
    JsSetStatus(StatusText().c_str());
    const Surface& picture = StatusPicture();
    if (picture.pixels == statusPicture_) return;
    statusPicture_ = picture.pixels;
    std::vector<std::uint32_t> rgba(picture.pixels.size());
    for (std::size_t i = 0; i < rgba.size(); ++i) {
      const std::uint32_t p = picture.pixels[i];
      rgba[i] = 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
    }
    JsSetStatusPicture(rgba.data(), picture.width, picture.height);
  }

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

  bool AskForText(const char* caption, const char* prompt, std::string* text) override {
    char* answer = JsAskForText(caption, prompt);
    AfterModal();
    if (answer == nullptr) return false;
    *text = answer;
    std::free(answer);
    return true;
  }

  bool HasFileDialog() override { return true; }
  bool ChooseFile(const char*) override { return JsChooseFile() != 0; }
  std::string ClipboardText() override {
    char* held = JsClipboardText();
    if (held == nullptr) return {};
    std::string text = held;
    std::free(held);
    return text;
  }

  bool SetClipboardText(const std::string& text) override {
    return JsSetClipboardText(text.c_str()) != 0;
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

  // ---- Saved values: one record each in the page's IndexedDB, which the page read whole
  // before the game started; every write is one record, awaited until the browser has it.

  ReadOutcome ReadUserValue(const char* name, std::size_t limit,
                            std::vector<std::uint8_t>* out) override {
    out->clear();
    if (!SafeValueName(name)) return {ReadStatus::Absent, "it has no name"};
    if (const int fault = TakeFileFault(FaultOp::Read); fault != 0) {
      return {ReadStatus::Unreadable, DescribeFileError(fault)};
    }
    const int size = JsStoreSize(name);
    if (size == -1) return {ReadStatus::Absent, "it is missing"};
    if (size < 0) return {ReadStatus::Unreadable, StoreError()};
    if (std::size_t(size) > limit) {
      return {ReadStatus::Unreadable, "it is larger than " + std::to_string(limit) + " bytes"};
    }
    out->resize(std::size_t(size));
    if (size > 0) JsStoreCopy(name, out->data());
    return {ReadStatus::Ok, ""};
  }

  bool WriteUserValue(const char* name, const std::uint8_t* data, std::size_t size,
                      std::string* why) override {
    if (!SafeValueName(name) || size > MaxUserValueBytes) {
      Say(why, SafeValueName(name) ? "it is larger than the page keeps (1 MiB)"
                                   : "the page keeps no such value");
      return false;
    }
    return Put(name, data, size, why);
  }

  // The record is read afresh under a Web Lock named for the value, which every tab of the page
  // takes, so that what another tab wrote meanwhile is merged, never written over.
  bool UpdateUserValue(const char* name, std::size_t limit, const ValueMerge& merge,
                       std::string* why) override {
    if (!SafeValueName(name)) {
      Say(why, "the page keeps no such value");
      return false;
    }
    if (JsStoreLock(name) == 0) {
      Say(why, StoreError());
      return false;
    }
    std::vector<std::uint8_t> bytes;
    const ReadOutcome read = ReadUserValue(name, limit, &bytes);
    bool ok = true;
    if (read.status == ReadStatus::Unreadable) {
      Say(why, read.why);
      ok = false;
    } else if (merge(&bytes)) {
      ok = WriteUserValue(name, bytes.data(), bytes.size(), why);
    }
    JsStoreUnlock(name);
    return ok;
  }

  // The editor's level.dat: its record is written before the file, and a record the browser
  // refuses fails the save. A browser that keeps nothing for the page (it said so at the
  // start) leaves the level in the page's memory for this visit.
  bool KeepFile(const char* path, const std::uint8_t* data, std::size_t size, std::string* why) {
    if (std::strcmp(path, EditorLevel) != 0 &&
        std::strcmp(path, (std::string(GameDir) + "/" + EditorLevel).c_str()) != 0) {
      return true;
    }
    return JsStoreOff() != 0 || WriteUserValue(EditorLevel, data, size, why);
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

  // The game's own 60 Hz clock decides the frame: the page runs every frame that is due at a
  // display refresh, one or several, so the game keeps its speed on any display. At rest the
  // page waits for the player instead, and the clock starts again from the next frame.
  void WaitVerticalBlank() override {
    const bool rest = AtRest();
    heard_ = false;
    const std::uint64_t deadline = NextFrameDeadline(pacer_, NowMicros());
    JsNextFrame(double(deadline) / 1000.0, rest ? 1 : 0);
  }

  // A frame like the one shown is not sent again.
  bool Present(const Surface& frame) override {
    if (!displayOpen_ || !open_ || frame.width <= 0 || frame.height <= 0 ||
        frame.pixels.size() < std::size_t(frame.width) * std::size_t(frame.height)) {
      return false;
    }
    // 0x00RRGGBB words to the canvas's bytes red, green, blue, alpha.
    const auto canvasPixel = [](std::uint32_t p) {
      return 0xFF000000u | (p & 0xFFu) << 16 | (p & 0xFF00u) | (p >> 16 & 0xFFu);
    };
    // rgba_ holds the picture on the canvas: pixels before the first that differs and after the
    // last are there already, and only the rows between are sent (the canvas takes a whole frame
    // of pixels in several milliseconds; a step changes a few rows). (No copy of the frame is
    // kept beside it: at the first frame, writing one more 1.2 MB of fresh memory cost several
    // milliseconds.)
    const std::size_t count = std::size_t(frame.width) * std::size_t(frame.height);
    std::size_t i = 0, end = count;
    if (frame.width == shownWidth_ && rgba_.size() == count) {
      while (i < count && canvasPixel(frame.pixels[i]) == rgba_[i]) ++i;
      if (i == count) {
        ++unchangedFrames_;
        return true;
      }
      while (canvasPixel(frame.pixels[end - 1]) == rgba_[end - 1]) --end;
    }
    unchangedFrames_ = 0;
    shownWidth_ = frame.width;
    rgba_.resize(count);
    for (std::size_t k = i; k < end; ++k) rgba_[k] = canvasPixel(frame.pixels[k]);
    const std::size_t width = std::size_t(frame.width);
    const int top = int(i / width), rows = int((end - 1) / width) + 1 - top;
    JsPresent(rgba_.data(), frame.width, frame.height, top, rows);
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
    heard_ = true;
    if (down) {
      KeyLatchDown(latch_, std::uint8_t(scanCode));
    } else {
      KeyLatchUp(latch_, std::uint8_t(scanCode));
    }
  }

  void LoseFocus() {
    heard_ = true;
    KeyLatchClear(latch_);
  }

  void Click(bool right, bool doubleClick, int x, int y, bool shift, std::uint64_t more = 0) {
    if (!open_ || x < 0 || y < 0 || x >= BoardPixels || y >= BoardPixels) return;
    std::uint32_t id = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    if (doubleClick) id = right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK;
    Post(id, (shift ? MK_SHIFT : 0) | more, PackPoint(x, y));
  }

  // The pointer (or finger) moved on from a left press on the board, still held; the page
  // keeps the point within a pixel beyond the board's edges.
  void Drag(int x, int y) {
    if (!open_) return;
    Post(WM_MOUSEMOVE, MK_LBUTTON,
         PackPoint(std::clamp(x, -1, BoardPixels), std::clamp(y, -1, BoardPixels)));
  }

  void Command(int id) {
    if (open_ && id > 0 && id <= 0xFFFF) Post(WM_COMMAND, std::uint64_t(id), 0);
  }

  // A file chosen in the page's dialog or dropped on the board, with its text.
  void GiveText(const char* name, const char* text) {
    if (!open_ || name == nullptr || text == nullptr) return;
    heard_ = true;
    GiveFile({"", name, text, true});
  }

 private:
  void Post(std::uint32_t id, std::uint64_t wParam, std::int64_t lParam) {
    heard_ = true;
    const Window w = FindWindow(GameClass, nullptr);
    if (w != 0) PostMessage(w, id, wParam, lParam);
  }

  bool Put(const char* name, const std::uint8_t* data, std::size_t size, std::string* why) {
    if (const int fault = TakeFileFault(FaultOp::Write); fault != 0) {
      Say(why, DescribeFileError(fault));
      return false;
    }
    if (JsStorePut(name, data, int(size)) != 0) return true;
    Say(why, StoreError());
    return false;
  }

  // Nothing can change until the player acts: the picture has stood still as long as the game
  // asks (GameQuestions), no key is held and the player has done nothing since the last frame.
  // While the game works beside the frames (it asks never to rest) the still frames do not
  // count: a puzzle made or a hint found is drawn in a frame after the one that finished it,
  // and the count of still frames starts again from then.
  bool AtRest() {
    const int needed = Questions.framesBeforeRest != nullptr ? Questions.framesBeforeRest() : 30;
    if (needed == std::numeric_limits<int>::max()) unchangedFrames_ = 0;
    if (heard_ || unchangedFrames_ < needed) return false;
    for (int i = 0; i < 256; ++i) {
      if ((latch_.held[i] | latch_.pressed[i] | latch_.tapped[i] | latch_.recent[i]) != 0) {
        return false;
      }
    }
    return true;
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

  KeyLatch latch_;
  FramePacer pacer_;
  std::vector<std::uint32_t> rgba_;  // the frame on the canvas
  int shownWidth_ = 0;
  std::vector<std::uint32_t> statusPicture_;  // the picture last given the status line
  int unchangedFrames_ = 0;                   // frames since the picture last changed
  bool heard_ = false;                        // the player acted since the last frame
  bool open_ = false;
  bool keyboardOpen_ = false;
  bool displayOpen_ = false;
};

WebBackend* Current = nullptr;

bool KeepFile(const char* path, const std::uint8_t* data, std::size_t size, std::string* why) {
  return Current == nullptr || Current->KeepFile(path, data, size, why);
}

}  // namespace

void SetGameQuestions(const GameQuestions& questions) {
  Questions = questions;
}

Backend* CreateBackend(std::string* error) {
  if (::chdir(GameDir) != 0) {
    if (error != nullptr) *error = "the page's data files are missing";
    return nullptr;
  }
  Current = new WebBackend();
  SetFileKeeper(KeepFile);
  return Current;
}

void DestroyBackend(Backend* backend) {
  if (backend == nullptr) return;
  if (backend == Current) {
    SetFileKeeper(nullptr);
    Current = nullptr;
  }
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

EMSCRIPTEN_KEEPALIVE void yelko_web_click(int right, int doubleClick, int x, int y, int shift) {
  if (platform::web::Current != nullptr) {
    platform::web::Current->Click(right != 0, doubleClick != 0, x, y, shift != 0);
  }
}

// A pick from the page's palette: the object (an editor code) set on the cell at (x, y).
EMSCRIPTEN_KEEPALIVE void yelko_web_set_object(int x, int y, int code) {
  if (platform::web::Current != nullptr && code > 0 && code < 256) {
    platform::web::Current->Click(true, false, x, y, false, std::uint64_t(code) << 16);
  }
}

EMSCRIPTEN_KEEPALIVE void yelko_web_drag(int x, int y) {
  if (platform::web::Current != nullptr) platform::web::Current->Drag(x, y);
}

EMSCRIPTEN_KEEPALIVE int yelko_web_editing() {
  using namespace platform::web;
  return Questions.editing != nullptr ? Questions.editing() : 0;
}

EMSCRIPTEN_KEEPALIVE void yelko_web_command(int id) {
  if (platform::web::Current != nullptr) platform::web::Current->Command(id);
}

EMSCRIPTEN_KEEPALIVE void yelko_web_give_file(const char* name, const char* text) {
  if (platform::web::Current != nullptr) platform::web::Current->GiveText(name, text);
}

// The page's questions to the game (GameQuestions); a text stays valid until the next question.
EMSCRIPTEN_KEEPALIVE const char* yelko_web_describe() {
  using namespace platform::web;
  Answer = Questions.describe != nullptr ? Questions.describe() : std::string();
  return Answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* yelko_web_news() {
  using namespace platform::web;
  Answer = Questions.news != nullptr ? Questions.news() : std::string();
  return Answer.c_str();
}

EMSCRIPTEN_KEEPALIVE int yelko_web_next_level() {
  using namespace platform::web;
  return Questions.nextLevel != nullptr ? Questions.nextLevel() : 0;
}

EMSCRIPTEN_KEEPALIVE const char* yelko_web_level_problem(const std::uint8_t* bytes, int size) {
  using namespace platform::web;
  Answer = Questions.levelProblem != nullptr && size >= 0
               ? Questions.levelProblem(bytes, std::size_t(size))
               : std::string();
  return Answer.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* yelko_web_puzzle_code() {
  using namespace platform::web;
  Answer = Questions.puzzleCode != nullptr ? Questions.puzzleCode() : std::string();
  return Answer.c_str();
}

}  // extern "C"
