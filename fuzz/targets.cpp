#include "fuzz/targets.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/assets.h"
#include "app/editor_play.h"
#include "app/play_frame.h"
#include "app/program_state.h"
#include "app/progress.h"
#include "app/replay.h"
#include "app/shell.h"
#include "board/level_code.h"
#include "board/level_collection.h"
#include "board/level_record.h"
#include "board/level_text.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/actions.h"
#include "input/input.h"
#include "input/keymap.h"
#include "midend/game.h"
#include "midend/puzzle.h"
#include "midend/records.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "play/movement.h"
#include "play/rules.h"
#include "sound/sound.h"

namespace fuzz {
namespace {

void AbortOnBroken(const char* what) {
  std::fprintf(stderr, "broken: %s\n", what);
  std::abort();
}

BrokenHandler Broken = AbortOnBroken;

#define FUZZ_CHECK(condition)                                                        \
  do {                                                                               \
    if (!(condition)) Broken(__FILE__ ":" FUZZ_STRINGIFY(__LINE__) ": " #condition); \
  } while (0)
#define FUZZ_STRINGIFY(x) FUZZ_STRINGIFY2(x)
#define FUZZ_STRINGIFY2(x) #x

// ---------------------------------------------------------------------------------------------
// Files

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (size > 0) out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
  if (!out) Broken(("cannot write " + path).c_str());
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!platform::ReadWholeFile(path.c_str(), std::size_t(1) << 30, &bytes)) bytes.clear();
  return bytes;
}

// A file of the build's run directory, copied into the current one.
void CopyGameFile(const char* name) {
  // Removed first: MinGW's copy_file refuses to overwrite, whatever the options say.
  std::error_code ec;
  std::filesystem::remove(name, ec);
  if (!std::filesystem::copy_file(std::string(YELKO_GAME_DIR) + "/" + name, name, ec)) {
    Broken((std::string("cannot copy ") + name).c_str());
  }
}

// Puts back what a body may have changed: level1.dat, "level.dat" and the player's data.
void RestoreRunFiles() {
  CopyGameFile("level1.dat");
  std::error_code ec;
  std::filesystem::remove("level.dat", ec);
  const std::string data = platform::UserDataDirectory();
  if (!data.empty()) std::filesystem::remove_all(data, ec);
}

// ---------------------------------------------------------------------------------------------
// The game, driven the way WinMain drives it

void Boot() {
  ResetProgramState();
  platform::RegisterWindowClass("WINXCLASS", WindowProc);
  MainWindow = platform::CreateGameWindow("WINXCLASS", "Yelko", GameMenu());
  GameInit();
  StartLevel();
}

// One turn of the main loop; false when the loop would end.
bool Turn() {
  platform::Message message{};
  if (platform::PeekMessage(&message)) {
    platform::DispatchMessage(message);
    if (message.id == platform::WM_QUIT || message.id == platform::WM_DESTROY) return false;
  }
  if (platform::GetActiveWindow() == MainWindow) {
    if (EditorMode) {
      LeaveEditor(EditorFrame());
    } else {
      PlayFrame();
    }
  }
  return true;
}

void Finish() {
  GameShutdown();
  ResetProgramState();
}

// Drawing is most of a frame's cost, and nearly all of it copies pixels, which no input
// steers. So most frames draw into (and present) a 1 x 1 stand-in: the clipping still runs on every
// position the frame draws at, and the blits refuse the rectangles before any pixel is touched.
// Every 25th frame draws in full.
bool TurnMostlyUndrawn(int frame) {
  static platform::Surface standIn{1, 1, {0}};
  platform::Surface* back = BackBuffer;
  platform::Surface* primary = PrimarySurface;
  const bool standInNow = frame % 25 != 0 && back != nullptr && primary != nullptr;
  if (standInNow) BackBuffer = PrimarySurface = &standIn;
  const bool going = Turn();
  if (standInNow) {
    BackBuffer = back;
    PrimarySurface = primary;
  }
  return going;
}

void Hold(std::uint8_t bits) {
  std::vector<std::uint8_t> keys;
  const int codes[] = {DIK_LEFT, DIK_UP, DIK_RIGHT, DIK_DOWN, DIK_R, DIK_D};
  for (int i = 0; i < 6; ++i) {
    if (bits & (1 << i)) keys.push_back(std::uint8_t(codes[i]));
  }
  headless::HoldKeys(std::move(keys));
  headless::HoldVirtualKey(platform::VK_RETURN, (bits & 0x40) != 0);
  headless::HoldVirtualKey(platform::VK_ESCAPE, (bits & 0x80) != 0);
}

// What holds whatever level is loaded and whatever was pressed.
void CheckTables() {
  FUZZ_CHECK(PlayLevel.ballCount >= 0 && PlayLevel.ballCount <= MaxBallsInRecord);
  FUZZ_CHECK((PlayState.ballsLying >> PlayLevel.ballCount) == 0);
  FUZZ_CHECK(!PlayState.solved || PlayState.ballsLying == 0);
  FUZZ_CHECK(PlayLevel.platformCount >= 0 && PlayLevel.platformCount <= MaxPlatformsInRecord);
}

// Between play frames the Player stands on a cell or is on his way to the next one, and the
// board the rules see holds only land, water and platforms.
void CheckPlayState() {
  CheckTables();
  if (EditorMode) return;
  const Movement& m = PlayState.movement;
  FUZZ_CHECK(AtCellBoundary(PlayState) || (m.moving && (m.stepX == 0) != (m.stepY == 0)));
  Board board;
  BuildBoard(PlayLevel, PlayState, &board);
  for (const auto& column : board.cell) {
    for (std::int32_t cell : column) {
      FUZZ_CHECK(cell == CellLand || cell == CellWater || cell == CellPlatform);
    }
  }
}

// A record the editor wrote: lists ended inside their areas, every entry on the board and
// every platform type known.
void CheckSavedLists(const std::uint8_t* record) {
  LevelLayout level;
  DecodeLevelRecord(record, &level);
  for (int n = 0; n < level.ballCount; ++n) {
    FUZZ_CHECK(OnBoard(level.balls[n].column, level.balls[n].row));
  }
  FUZZ_CHECK(level.platformsEnd != ListEnding::CutShort && level.platformsUnendedBy < 0);
  for (int n = 0; n < level.platformCount; ++n) {
    const LevelPlatform& p = level.platforms[n];
    FUZZ_CHECK(p.type >= 0 && p.type < ShapeTypes && OnBoard(p.column, p.row));
  }
  FUZZ_CHECK(level.ballCount < MaxBallsInRecord || level.platformCount == 0);
}

// Runs the script through the whole game from fresh state and files, without a display (a
// replay's frames are then cheap, and the drawing has targets of its own). Returns what the game
// ended with: the runner's report, the level and state in play and the editor's grid.
std::string PlayReplay(const std::vector<headless::ScriptEvent>& script, GameState* state,
                       Level* level) {
  RestoreRunFiles();
  ResetProgramState();
  headless::Failures noDisplay;
  noDisplay.display = true;
  headless::SetFailures(noDisplay);
  std::string error;
  const int exitCode = RunReplay(script, "", &error);
  FUZZ_CHECK(error.empty());
  CheckTables();
  *state = PlayState;
  *level = PlayLevel;
  const std::string report =
      ReplayReportJson(exitCode) +
      std::string(reinterpret_cast<const char*>(EditorGrid), sizeof EditorGrid);
  ResetProgramState();
  return report;
}

}  // namespace

void SetBrokenHandler(BrokenHandler handler) {
  Broken = handler != nullptr ? handler : AbortOnBroken;
}

void CopyGameFiles() {
  for (const char* name : {"pieces.bmp", "boats.bmp", "walk.wav", "thump.wav", "crunch.wav",
                           "bifald.wav", "finished.wav", "par.txt", "level1.dat", "level2.dat",
                           "level3.dat", "level4.dat", "level5.dat"}) {
    CopyGameFile(name);
  }
}

void WriteRunDirectory() {
  CopyGameFiles();
  // Level 2 with the Player put on its one ball: solved where it starts, so that starting it
  // (from the saved progress, or by solving level 1) stores the progress.
  const std::vector<std::uint8_t> shipped = ReadFile("level2.dat");
  LevelLayout two;
  DecodeLevelRecord(shipped.data(), shipped.size(), &two);
  two.startColumn = two.balls[0].column;
  two.startRow = two.balls[0].row;
  std::uint8_t record[LevelRecordSize];
  std::memset(record, ListEnd, sizeof record);
  EncodeLevelRecord(two, record);
  WriteFile("level2.dat", record, sizeof record);
}

// ---------------------------------------------------------------------------------------------
// The bodies

int LevelRecordCodec(const std::uint8_t* data, std::size_t size) {
  std::uint8_t given[LevelRecordSize];
  std::memset(given, ListEnd, sizeof given);
  std::memcpy(given, data, std::min<std::size_t>(size, sizeof given));
  LevelLayout level, again;
  DecodeLevelRecord(given, &level);
  std::uint8_t written[LevelRecordSize];
  std::memset(written, ListEnd, sizeof written);
  FUZZ_CHECK(EncodeLevelRecord(level, written));
  DecodeLevelRecord(written, &again);
  FUZZ_CHECK(SameLevel(level, again));
  // The game sets both up alike.
  Level first, second;
  FUZZ_CHECK(SetUpLevel(given, &first) == SetUpLevel(written, &second));
  FUZZ_CHECK(first == second && StartState(first) == StartState(second));
  // A level the game sets up has a code that sets up the same game.
  std::uint8_t decoded[LevelRecordSize];
  std::string why;
  Level coded;
  if (SetUpLevel(given, &first) == 0) {
    FUZZ_CHECK(RecordFromCode(LevelCode(given), decoded, &why));
    FUZZ_CHECK(SetUpLevel(decoded, &coded) == 0 && coded == first);
    FUZZ_CHECK(StartState(coded) == StartState(first));
  }
  return 0;
}

int LevelTexts(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::uint8_t record[LevelRecordSize], again[LevelRecordSize];
  std::string why;
  if (CompileLevelText(text, "fuzz.txt", record, &why, nullptr)) {
    const std::string back = DecompileLevelBytes(record, sizeof record);
    FUZZ_CHECK(CompileLevelText(back, "back.txt", again, &why, nullptr));
    FUZZ_CHECK(std::memcmp(record, again, sizeof record) == 0);
  } else {
    FUZZ_CHECK(!why.empty());
  }
  why.clear();
  Collection read, back;
  if (ReadCollection(text, "fuzz.txt", &read, &why)) {
    FUZZ_CHECK(ReadCollection(CollectionText(read), "fuzz.txt", &back, &why));
    FUZZ_CHECK(back.title == read.title && back.levels.size() == read.levels.size());
    for (std::size_t i = 0; i < read.levels.size() && i < back.levels.size(); ++i) {
      const CollectionLevel &a = read.levels[i], &b = back.levels[i];
      // (A problem's message names its line, which the header written back may move; a level
      // with a problem has no record.)
      FUZZ_CHECK(a.name == b.name && a.problem.empty() == b.problem.empty());
      FUZZ_CHECK(!a.problem.empty() || std::memcmp(a.record, b.record, sizeof a.record) == 0);
    }
  } else {
    FUZZ_CHECK(!why.empty());
  }
  why.clear();
  if (RecordFromCode(text, record, &why)) {
    FUZZ_CHECK(RecordFromCode(LevelCode(record), again, &why));
    FUZZ_CHECK(std::memcmp(record, again, sizeof record) == 0);
  } else {
    FUZZ_CHECK(!why.empty());
  }
  // As par.txt or the best records: each record writes back as a line that reads the same, and
  // a new best merged in is the last record read.
  const MoveRecordList records = ReadMoveRecords(text);
  std::string lines;
  for (const auto& [key, moves] : records) lines += MoveRecordLine(key, moves);
  FUZZ_CHECK(ReadMoveRecords(lines) == records);
  const std::pair<std::uint64_t, std::int32_t> best{0x0123456789ABCDEFull, 7};
  if (std::string merged = text; MergeBest(&merged, best.first, best.second))
    FUZZ_CHECK(ReadMoveRecords(merged).back() == best);
  // As the keys file: every key an action is left holds a name and is held once, and reading
  // the file again changes nothing.
  ResetActionState();
  const std::vector<std::string> problems = ApplyKeysText(text);
  ActionCodes held[unsigned(Action::Count)];
  for (unsigned a = 0; a < unsigned(Action::Count); ++a) {
    held[a] = CodesOf(Action(a));
    const std::uint8_t* codes = held[a].code;
    for (int i = 0; i < MaxActionCodes; ++i) {
      FUZZ_CHECK(codes[i] == 0 || (*KeyShownName(codes[i]) != 0 &&
                                   std::count(codes, codes + MaxActionCodes, codes[i]) == 1));
    }
  }
  FUZZ_CHECK(ApplyKeysText(text) == problems);
  for (unsigned a = 0; a < unsigned(Action::Count); ++a)
    FUZZ_CHECK(std::memcmp(&held[a], &CodesOf(Action(a)), sizeof held[a]) == 0);
  ResetActionState();
  return 0;
}

int LevelFile(const std::uint8_t* data, std::size_t size) {
  RestoreRunFiles();
  const std::size_t levelBytes = std::min<std::size_t>(size, LevelRecordSize);
  WriteFile("level1.dat", data, levelBytes);
  Boot();
  const std::uint8_t* keys = data + levelBytes;
  const std::size_t keyCount = size - levelBytes;
  for (int frame = 0; frame < 200; ++frame) {
    Hold(keyCount > 0 ? keys[std::size_t(frame) % keyCount] : 0);
    if (!TurnMostlyUndrawn(frame)) break;
    CheckPlayState();
    FUZZ_CHECK(CurrentLevel >= 1 && CurrentLevel <= 5);
  }
  Finish();
  return 0;
}

int EditorLevel(const std::uint8_t* data, std::size_t size) {
  RestoreRunFiles();
  WriteFile("level.dat", data, size);
  Boot();
  // What D does in play; the first editor frame clears the board.
  EditorMode = 1;
  EditorClearPending = 1;
  Hold(0);
  Turn();

  headless::HoldKeys({DIK_L});
  Turn();
  std::uint8_t loaded[LevelRecordSize];
  std::memcpy(loaded, LevelRecord, sizeof loaded);
  const std::size_t messages = headless::Messages().size();

  headless::HoldKeys({DIK_S});
  Turn();
  const std::vector<std::uint8_t> saved = ReadFile("level.dat");
  if (headless::Messages().size() == messages) {
    // Saved: the record, then the old file's bytes beyond the first 300, all kept.
    FUZZ_CHECK(saved.size() == std::max<std::size_t>(size, LevelRecordSize));
    if (saved.size() >= std::size_t(LevelRecordSize)) {
      FUZZ_CHECK(std::memcmp(saved.data(), LevelRecord, LevelRecordSize) == 0);
      FUZZ_CHECK(size <= std::size_t(LevelRecordSize) ||
                 std::memcmp(saved.data() + LevelRecordSize, data + LevelRecordSize,
                             size - LevelRecordSize) == 0);
      // The terrain goes through the grid and back unchanged; a file too short to be a level
      // loads nothing, and the cleared board (all water) is saved.
      LevelLayout before, after;
      DecodeLevelRecord(loaded, &before);
      DecodeLevelRecord(saved.data(), &after);
      if (size < std::size_t(LevelRecordSize))
        std::memset(before.terrain, CellWater, sizeof before.terrain);
      FUZZ_CHECK(std::memcmp(before.terrain, after.terrain, sizeof before.terrain) == 0);
      CheckSavedLists(saved.data());
    }
  } else {
    // Refused (too many objects) or failed: the file is as it was.
    FUZZ_CHECK(saved.size() == size && (size == 0 || std::memcmp(saved.data(), data, size) == 0));
  }
  headless::HoldKeys({DIK_L});
  Turn();
  Hold(0x40);  // Enter: back to play, unless the board breaks a limit and cannot be played
  Turn();
  const EditorCounts n = CountEditedObjects();
  FUZZ_CHECK((EditorMode == 0) == (n.balls <= n.maxBalls && n.platforms <= n.maxPlatforms));
  for (int frame = 0; frame < 40; ++frame) {
    Hold(std::uint8_t(1 << (frame / 10 % 4)));
    if (!TurnMostlyUndrawn(frame)) break;
    CheckPlayState();
  }
  Finish();
  return 0;
}

int ImageSheet(const std::uint8_t* data, std::size_t size) {
  ResetProgramState();
  WriteFile("sheet.bmp", data, size);
  DisplayInit(800, 600, 32);
  BitmapFile sheet{};
  const std::uint32_t loaded = LoadBitmapFile(&sheet, "sheet.bmp");
  const std::int64_t w = sheet.infoHeader.width;
  const std::int64_t h = sheet.infoHeader.height;
  if (loaded == 1) {
    FUZZ_CHECK(w >= 1 && w <= MaxBitmapSide && h >= 1 && h <= MaxBitmapSide);
    FUZZ_CHECK(sheet.pixels.size() == std::size_t(w * h * 3));
  } else {
    FUZZ_CHECK(sheet.pixels.empty());
  }

  // Every cell start-up cuts a BOB from (40 x 40 tiles, 120 x 120 platforms), all from this
  // one sheet, each drawn clipped at the board's edges, and the banner's also scaled.
  std::vector<std::array<int, 4>> cells = {{40, 0, 0}, {40, 0, 1}, {40, 1, 0}, {40, 2, 0}};
  for (int k = 0; k < PlatformTypes; ++k) cells.push_back({120, k / 3, k % 3, 0});
  for (int i = 1; i <= BannerImages; ++i) cells.push_back({40, i, 1, 1});
  for (auto [size, column, row, banner] : cells) {
    Bob bob{};
    CreateBob(&bob, 0, 0, size, size, 1, 0x11, 0);
    const std::int64_t left = std::int64_t(size + 1) * column + 1;
    const std::int64_t top = std::int64_t(size + 1) * row + 1;
    const bool fits = loaded == 1 && left + size <= w && top + size <= h;
    FUZZ_CHECK(LoadBobFrame(&bob, &sheet, 0, column, row, 0) == (fits ? 1u : 0u));
    if (fits) {
      // The frame's top-left pixel is the cell's.
      const std::uint8_t* p = &sheet.pixels[std::size_t(3 * (top * w + left))];
      FUZZ_CHECK(bob.frameSurfaces[0]->pixels[0] == std::uint32_t(p[0] | p[1] << 8 | p[2] << 16));
    }
    for (auto [x, y] : {std::pair{0, 0}, {-20, 530}, {540, -7}, {200, 200}}) {
      SetBobPosition(&bob, x, y);
      DrawBob(&bob, BackBuffer);
    }
    if (banner) DrawBobScaled(&bob, 100, 100, BackBuffer);
    DestroyBob(&bob);
  }
  UnloadBitmapFile(&sheet);
  DisplayShutdown();
  ResetProgramState();
  return 0;
}

int SoundFile(const std::uint8_t* data, std::size_t size) {
  ResetProgramState();
  WriteFile("sound.wav", data, size);
  SoundInit();
  const std::int32_t id = LoadWav("sound.wav", 0);
  FUZZ_CHECK(id == -1 || id == 0);
  if (id == 0) {
    FUZZ_CHECK(headless::LiveSoundBuffers() == 1);
    const platform::PcmFormat format = headless::LastSoundFormat();
    FUZZ_CHECK(format.channels >= 1 && format.channels <= 2 &&
               (format.bits == 8 || format.bits == 16) && format.rate > 0);
    // The samples are whole sample frames taken from the file as they stand.
    const std::vector<std::uint8_t> samples = headless::LastSoundSamples();
    FUZZ_CHECK(samples.size() % (format.channels * format.bits / 8) == 0);
    FUZZ_CHECK(samples.empty() ||
               std::search(data, data + size, samples.begin(), samples.end()) != data + size);
  } else {
    FUZZ_CHECK(headless::LiveSoundBuffers() == 0);
  }
  PlaySound(id, 0);
  FUZZ_CHECK(headless::SoundsStarted().size() == (id == 0 ? 1u : 0u));
  StopSound(id);
  DeleteSound(id);
  FUZZ_CHECK(headless::LiveSoundBuffers() == 0);
  // A slot once handed out is not handed out again.
  FUZZ_CHECK(LoadWav("sound.wav", 0) == (id == 0 ? 1 : -1));
  SoundShutdown();
  FUZZ_CHECK(headless::LiveSoundBuffers() == 0);
  ResetProgramState();
  return 0;
}

int Progress(const std::uint8_t* data, std::size_t size) {
  RestoreRunFiles();
  const std::string path = ProgressFilePath();
  FUZZ_CHECK(!path.empty() && platform::MakeDirectories(platform::UserDataDirectory()));
  WriteFile(path, data, size);
  Boot();
  // Only a level of the game is obeyed.
  FUZZ_CHECK(CurrentLevel == (size == 1 && data[0] >= 1 && data[0] <= LevelCount ? data[0] : 1));
  // Still in the first frame, so that a ball where the Player starts is taken.
  bool solvedBefore = false;
  for (int frame = 0; frame < 30; ++frame) {
    solvedBefore = PlayState.solved;
    Hold(frame == 0 ? 0 : frame < 20 ? 0x04 : 0x01);
    if (!TurnMostlyUndrawn(frame)) break;
    CheckPlayState();
  }
  const std::vector<std::uint8_t> stored = ReadFile(path);
  if (size > 1) {
    // More than the one byte the reader takes: not the game's to overwrite.
    FUZZ_CHECK(stored.size() == size && std::memcmp(stored.data(), data, size) == 0);
  } else if (solvedBefore) {
    // A solved level stores the level that follows it.
    FUZZ_CHECK(stored.size() == 1 && stored[0] == CurrentLevel);
  }
  Finish();
  return 0;
}

int ReplayScript(const std::uint8_t* data, std::size_t size) {
  std::vector<headless::ScriptEvent> script;
  std::string error;
  const bool parsed =
      ParseReplayScript(std::string(reinterpret_cast<const char*>(data), size), &script, &error);
  if (!parsed) return 0;
  // Only short scripts are played: a frames line may ask for a hundred million frames.
  long long frames = 0;
  for (const headless::ScriptEvent& e : script) {
    FUZZ_CHECK(e.count >= 0);
    frames += e.count;
  }
  if (frames <= 1000 && script.size() <= 500) {
    // Played twice from the same files: a fresh program state must give the same game, so
    // nothing may survive ResetProgramState or depend on memory left uninitialised. A puzzle
    // made meanwhile gets a few states a frame (a Hard one can take a hundred frames of the
    // usual share, seconds in this build).
    MakingSliceStates = 50;
    GameState first, second;
    Level firstLevel, secondLevel;
    FUZZ_CHECK(PlayReplay(script, &first, &firstLevel) ==
                   PlayReplay(script, &second, &secondLevel) &&
               first == second && firstLevel == secondLevel);
    MakingSliceStates = DefaultMakingSliceStates;
  }
  return 0;
}

}  // namespace fuzz
