// The level-select screen: its levels, keys, clicks and picture; and going on after a solve.
#include "app/level_select.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/collections.h"
#include "app/level_names.h"
#include "app/level_start.h"
#include "app/play_frame.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "board/level.h"
#include "board/level_record.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "gfx/text.h"
#include "input/actions.h"
#include "input/input.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/puzzle.h"
#include "midend/records.h"
#include "platform/platform.h"

namespace {

// One level of the screen, as it stood when the screen opened (nothing is solved meanwhile).
struct Tile {
  int number = 0;  // counted from 1
  std::string name;
  std::uint8_t record[LevelRecordSize] = {};
  std::string problem;  // why it cannot be played ("" when it can)
  bool locked = false;  // one of the five not yet enabled
  std::int32_t best = -1, par = -1;
};

// What was in play when the screen opened: the screen closes when that changes underneath it (a
// puzzle made meanwhile, a level chosen in the menu).
struct InPlay {
  std::int32_t level = 0;
  std::uint64_t key = 0;
  int place = -1;
  std::string title;
  bool operator==(const InPlay&) const = default;
};

// What ends the screen once the keys that asked for it are let go, so that none of them acts
// again in play (Escape would end the game, a gamepad's A ask for a hint).
enum class Leaving { No, Close, Play };

bool Open;
bool OfCollection;  // else the five levels
std::vector<Tile> Tiles;
std::string Title, Subtitle;
int Choice;
InPlay Opened;
Leaving Leave;

// The layout: a header, three rows of four tiles, the highlighted level's line and the keys.
constexpr int Columns = 4, Rows = 3, PerPage = Columns * Rows;
constexpr int HeaderHeight = 50, TileWidth = 138, TileHeight = 152, GridLeft = 4;
constexpr int Cell = 6, Picture = BoardCells * Cell;  // a picture's cell, and its side
constexpr int Button = 24, ButtonTop = 13;
constexpr int CloseLeft = 528, NextLeft = 494, PreviousLeft = 466;

constexpr std::uint32_t Background = 0x141C2C, TileColour = 0x22304A, TileChosen = 0x30466C;
constexpr std::uint32_t Highlight = 0xFFD23C, Ink = 0xEEF2F8, Dim = 0x9AA8BC, Good = 0x4CC860;
constexpr std::uint32_t Bad = 0xF07060, Water = 0x2574A5, Land = 0x78AC46, Plank = 0xAED2FC;
constexpr std::uint32_t PlankRim = 0x183070, Ball = 0xFFD630, BallRim = 0x8A4A08, Man = 0xD62824;

InPlay Now() {
  return {LevelInPlay, LevelInPlayKey, CollectionPlace, PuzzleTitle};
}

bool Playable(const Tile& t) {
  return t.problem.empty() && !t.locked;
}

int Pages() {
  return (int(Tiles.size()) + PerPage - 1) / PerPage;
}

void TileAt(int index, int* x, int* y) {
  const int onPage = index % PerPage;
  *x = GridLeft + (onPage % Columns) * TileWidth;
  *y = HeaderHeight + (onPage / Columns) * TileHeight;
}

void AddTile(Tile tile) {
  tile.best = tile.problem.empty() ? BestOf(LevelKey(tile.record)) : -1;
  tile.par = tile.problem.empty() ? ShippedPar(LevelKey(tile.record)) : -1;
  Tiles.push_back(std::move(tile));
}

void GatherCollection() {
  Title = OpenedCollection.title;
  for (std::size_t i = 0; i < OpenedCollection.levels.size(); ++i) {
    const CollectionLevel& level = OpenedCollection.levels[i];
    Tile tile;
    tile.number = int(i) + 1;
    tile.name = level.name;
    std::memcpy(tile.record, level.record, sizeof tile.record);
    tile.problem = level.problem;
    AddTile(std::move(tile));
  }
  Choice = CollectionPlace;
  if (!OpenedCollection.author.empty()) Subtitle = " \xC2\xB7 by " + OpenedCollection.author;
}

void GatherFiveLevels() {
  Title = "Levels";
  for (int n = 1; n <= LevelCount; ++n) {
    Tile tile;
    tile.number = n;
    const long read =
        platform::ReadFilePrefix(LevelFilePath(n).c_str(), tile.record, sizeof tile.record);
    if (read == long(sizeof tile.record)) {
      tile.name = LevelName(LevelKey(tile.record));
    } else {
      tile.problem = LevelFilePath(n) + " cannot be read";
    }
    tile.locked = !platform::IsMenuItemEnabled(MainWindow, std::uint16_t(LevelCommandBase + n));
    AddTile(std::move(tile));
  }
  Choice = LevelInPlay >= 1 && LevelInPlay <= LevelCount ? LevelInPlay - 1 : 0;
}

// Plays the tile's level; the screen is closed first.
void PlayTile(int index) {
  const int number = Tiles[std::size_t(index)].number;
  CloseLevelSelect();
  if (OfCollection) {
    PlayCollectionAt(index);
  } else {
    PlayLevelOfFive(number);
  }
}

void Move(const FrameInput& input) {
  const int last = int(Tiles.size()) - 1;
  if (input.Pressed(Action::Left)) Choice = std::max(0, Choice - 1);
  if (input.Pressed(Action::Right)) Choice = std::min(last, Choice + 1);
  if (input.Pressed(Action::Up) && Choice >= Columns) Choice -= Columns;
  // Down from a row above the last goes to the row below, to its last tile when it is shorter.
  if (input.Pressed(Action::Down) && Choice / Columns < last / Columns) {
    Choice = std::min(last, Choice + Columns);
  }
}

// A click on a tile plays it (or, when it cannot be played, highlights it); the header's buttons
// turn the page or close the screen.
void Click(int x, int y) {
  const int page = Choice / PerPage;
  if (y >= ButtonTop && y < ButtonTop + Button) {
    if (x >= CloseLeft && x < CloseLeft + Button) {
      CloseLevelSelect();
    } else if (Pages() > 1 && x >= PreviousLeft && x < PreviousLeft + Button && page > 0) {
      Choice = (page - 1) * PerPage;
    } else if (Pages() > 1 && x >= NextLeft && x < NextLeft + Button && page + 1 < Pages()) {
      Choice = (page + 1) * PerPage;
    }
    return;
  }
  if (x < GridLeft || y < HeaderHeight) return;
  const int column = (x - GridLeft) / TileWidth, row = (y - HeaderHeight) / TileHeight;
  if (column >= Columns || row >= Rows) return;
  const int index = page * PerPage + row * Columns + column;
  if (index >= int(Tiles.size())) return;
  Choice = index;
  if (Playable(Tiles[std::size_t(index)])) PlayTile(index);
}

// ---- Drawing

void DrawPicture(platform::Surface& frame, const Tile& tile, int left, int top) {
  if (!tile.problem.empty()) {
    FillBox(frame, left, top, Picture, Picture, 0x303848);
    DrawText(frame, left + Picture / 2 - 10, top + Picture / 2 - 13, "?", Bad, 4);
    return;
  }
  Level level;
  SetUpLevel(tile.record, &level);
  const GameState start = StartState(level);
  Board board;
  BuildBoard(level, start, &board);
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      const int x = left + c * Cell, y = top + r * Cell;
      const std::int32_t cell = board.cell[c][r];
      FillBox(frame, x, y, Cell, Cell, cell == CellLand ? Land : Water);
      if (cell != CellPlatform) continue;
      // A platform's cells are one raft: its rim runs along its outer edges only.
      const auto same = [&board, c, r](int dc, int dr) {
        return OnBoard(c + dc, r + dr) && board.owner[c + dc][r + dr] == board.owner[c][r];
      };
      FillBox(frame, x, y, Cell, Cell, PlankRim);
      const int l = same(-1, 0) ? 0 : 1, t = same(0, -1) ? 0 : 1;
      const int w = Cell - l - (same(1, 0) ? 0 : 1), h = Cell - t - (same(0, 1) ? 0 : 1);
      FillBox(frame, x + l, y + t, w, h, Plank);
    }
  }
  for (int n = 0; n < level.ballCount; ++n) {
    const int x = left + int(CellOf(level.ballX[n])) * Cell,
              y = top + int(CellOf(level.ballY[n])) * Cell;
    FillBox(frame, x + 1, y + 1, Cell - 2, Cell - 2, BallRim);
    FillBox(frame, x + 2, y + 1, Cell - 4, Cell - 2, Ball);
    FillBox(frame, x + 1, y + 2, Cell - 2, Cell - 4, Ball);
  }
  const int mx = left + int(CellOf(start.playerX)) * Cell,
            my = top + int(CellOf(start.playerY)) * Cell;
  FillBox(frame, mx + 1, my, Cell - 2, Cell, 0x2C0C0E);
  FillBox(frame, mx + 2, my + 1, Cell - 4, Cell - 2, Man);
}

void DrawSolvedMark(platform::Surface& frame, int x, int y) {
  // A green disc with a white tick.
  constexpr int R = 9;
  for (int dy = -R; dy <= R; ++dy) {
    for (int dx = -R; dx <= R; ++dx) {
      if (dx * dx + dy * dy <= R * R)
        FillBox(frame, x + dx, y + dy, 1, 1,
                dx * dx + dy * dy > (R - 1) * (R - 1) ? 0x10361A : Good);
    }
  }
  for (int i = 0; i < 3; ++i) FillBox(frame, x - 5 + i, y + i - 1, 2, 2, 0xFFFFFF);
  for (int i = 0; i < 6; ++i) FillBox(frame, x - 2 + i, y + 1 - i, 2, 2, 0xFFFFFF);
}

void DrawLock(platform::Surface& frame, int x, int y) {
  FrameBox(frame, x - 6, y - 11, 12, 12, 2, Ink);
  FillBox(frame, x - 9, y - 2, 18, 14, Ink);
  FillBox(frame, x - 1, y + 2, 3, 6, Background);
}

std::string Count(std::int32_t n) {
  return n < 0 ? "\xE2\x80\x93" : std::to_string(n);
}

void DrawTile(platform::Surface& frame, int index) {
  const Tile& tile = Tiles[std::size_t(index)];
  int x = 0, y = 0;
  TileAt(index, &x, &y);
  const bool chosen = index == Choice;
  const int bx = x + 3, by = y + 3, bw = TileWidth - 6, bh = TileHeight - 6;
  FillBox(frame, bx, by, bw, bh, chosen ? TileChosen : TileColour);
  const int px = bx + (bw - Picture) / 2, py = by + 8;
  DrawPicture(frame, tile, px, py);
  if (tile.locked) {
    ShadeBox(frame, px, py, Picture, Picture, Background, 170);
    DrawLock(frame, px + Picture / 2, py + Picture / 2);
  }
  if (tile.best >= 0) DrawSolvedMark(frame, px + Picture - 2, py + 2);
  const std::string number = std::to_string(tile.number);
  const int tx = bx + 7, textWidth = bw - 14;
  DrawText(frame, tx, by + 98, number, Highlight);
  const int nameLeft = TextWidth(number) + 5;
  DrawText(frame, tx + nameLeft, by + 98, FittedText(tile.name, textWidth - nameLeft), Ink);
  DrawText(frame, tx, by + 113, "Best " + Count(tile.best) + "   Par " + Count(tile.par), Dim);
  const char* state = !tile.problem.empty() ? "Cannot be played"
                      : tile.locked         ? "Locked"
                      : tile.best >= 0      ? "Solved"
                                            : "Not solved yet";
  DrawText(frame, tx, by + 128, state, !tile.problem.empty() ? Bad : tile.best >= 0 ? Good : Dim);
  if (chosen) FrameBox(frame, bx - 2, by - 2, bw + 4, bh + 4, 3, Highlight);
}

void DrawButton(platform::Surface& frame, int x, const char* label, bool enabled) {
  FillBox(frame, x, ButtonTop, Button, Button, enabled ? TileChosen : TileColour);
  FrameBox(frame, x, ButtonTop, Button, Button, 1, enabled ? Dim : TileChosen);
  DrawText(frame, x + (Button - TextWidth(label, 2)) / 2, ButtonTop + 5, label,
           enabled ? Ink : TileChosen, 2);
}

// The highlighted level in a line: its whole name and records, or why it cannot be played.
std::string ChoiceLine(const Tile& t, std::uint32_t* colour) {
  *colour = Ink;
  if (!t.problem.empty()) {
    *colour = Bad;
    return std::to_string(t.number) + ": " + t.problem;
  }
  std::string line = (OfCollection ? "" : "Level ") + std::to_string(t.number);
  if (!t.name.empty()) line += " \xC2\xB7 " + t.name;
  if (t.locked) {
    *colour = Dim;
    return line + " \xC2\xB7 locked: not reached yet";
  }
  line +=
      t.best >= 0 ? " \xC2\xB7 solved, best " + std::to_string(t.best) : " \xC2\xB7 not solved yet";
  return line + (t.par >= 0 ? ", par " + std::to_string(t.par) : "");
}

void Draw() {
  if (BackBuffer == nullptr) return;
  platform::Surface& frame = *BackBuffer;
  FillBox(frame, 0, 0, frame.width, frame.height, Background);
  const int page = Choice / PerPage;
  const int right = Pages() > 1 ? PreviousLeft - 10 : CloseLeft - 10;
  DrawText(frame, 14, 10, FittedText(Title, right - 14, 2), Ink, 2);
  int solved = 0;
  for (const Tile& t : Tiles) solved += t.best >= 0;
  DrawText(frame, 14, 33,
           FittedText(std::to_string(solved) + " of " + std::to_string(Tiles.size()) + " solved" +
                          Subtitle,
                      right - 14),
           Dim);
  if (Pages() > 1) {
    const std::string pages = "Page " + std::to_string(page + 1) + " of " + std::to_string(Pages());
    DrawText(frame, PreviousLeft - 10 - TextWidth(pages), ButtonTop + 8, pages, Dim);
    DrawButton(frame, PreviousLeft, "<", page > 0);
    DrawButton(frame, NextLeft, ">", page + 1 < Pages());
  }
  DrawButton(frame, CloseLeft, "x", true);
  for (int i = page * PerPage; i < std::min(int(Tiles.size()), (page + 1) * PerPage); ++i) {
    DrawTile(frame, i);
  }
  std::uint32_t colour = Ink;
  const std::string line = ChoiceLine(Tiles[std::size_t(Choice)], &colour);
  DrawText(frame, 14, 514, FittedText(line, BoardPixels - 28), colour);
  const bool pad = platform::GamepadInUse();
  const auto key = [pad](Action a, const char* otherwise) {
    const std::string name = ActionKeyName(a, pad);
    return name.empty() ? std::string(otherwise) : name;
  };
  const std::string keys = platform::OnScreenButtons()
                               ? "Tap a level to play it"
                               : (pad ? "D-pad" : "Arrows") + std::string(" choose \xC2\xB7 ") +
                                     (pad ? key(Action::Choose, "A") : "Enter") +
                                     " play \xC2\xB7 " +
                                     (pad ? key(Action::Levels, "Back") : "Esc") + " close";
  DrawText(frame, (BoardPixels - TextWidth(keys)) / 2, 538, keys, Dim);
}

}  // namespace

void OpenLevelSelect() {
  if (EditorMode || Open) return;
  Tiles.clear();
  Subtitle.clear();
  OfCollection = CollectionLevelInPlay();
  if (OfCollection) {
    GatherCollection();
  } else {
    GatherFiveLevels();
  }
  if (Tiles.empty()) return;
  Choice = std::clamp(Choice, 0, int(Tiles.size()) - 1);
  Opened = Now();
  Leave = Leaving::No;
  LeftClickPending = RightClickPending = 0;  // a click made in play is no choice
  Open = true;
}

void CloseLevelSelect() {
  Open = false;
  Tiles.clear();
  Tiles.shrink_to_fit();
  Leave = Leaving::No;
}

bool LevelSelectOpen() {
  return Open;
}

int LevelSelectChoice() {
  return Open ? Choice : -1;
}

void LevelSelectFrame() {
  if (!(Now() == Opened) || EditorMode) {
    CloseLevelSelect();
    PlayFrame();
    return;
  }
  const FrameInput input = ReadFrameInput();
  const bool escape = platform::AsyncKeyDown(platform::VK_ESCAPE);
  // Work beside the frames goes on: a puzzle being made, a par searched for.
  KeepThinking();
  PuzzleFrame();
  if (Leave == Leaving::No) {
    Move(input);
    if (escape || input.Pressed(Action::Levels)) {
      Leave = Leaving::Close;
    } else if ((input.Pressed(Action::Play) || input.Pressed(Action::Choose)) &&
               Playable(Tiles[std::size_t(Choice)])) {
      Leave = Leaving::Play;
    }
    if (LeftClickPending) Click(ClickX, ClickY);
    LeftClickPending = RightClickPending = 0;
  }
  if (Open && Leave != Leaving::No && !escape && !input.Held(Action::Levels) &&
      !input.Held(Action::Play) && !input.Held(Action::Choose)) {
    if (Leave == Leaving::Play) {
      PlayTile(Choice);
    } else {
      CloseLevelSelect();
    }
  }
  // A screen closed in this frame gives it to play at once: showing its last picture again would
  // let the game rest on it.
  if (Open) {
    Draw();
    PresentFrame(MainWindow);
  } else {
    PlayFrame();
  }
}

bool CollectionLevelInPlay() {
  return PuzzleInPlay() && CollectionPlace >= 0 &&
         std::size_t(CollectionPlace) < OpenedCollection.levels.size();
}

bool NextLevelOffered() {
  if (EditorMode || !PlayState.solved) return false;
  if (CollectionLevelInPlay()) return NextPlayableLevel(CollectionPlace) >= 0;
  return CurrentLevel != LevelInPlay && CurrentLevel > 0 && !PuzzleInPlay();
}

void PlayLevelOfFive(int number) {
  CurrentLevel = std::uint8_t(number);
  LeavePuzzle();
  ResetLevel();
}

bool PlayNextLevel() {
  if (!NextLevelOffered()) return false;
  if (CollectionLevelInPlay()) return PlayNextCollectionLevel();
  ResetLevel();  // after a solve, the level to play is already the next one
  return true;
}

void ResetLevelSelectState() {
  CloseLevelSelect();
  Title.clear();
  Subtitle.clear();
  Choice = 0;
  Opened = {};
}
