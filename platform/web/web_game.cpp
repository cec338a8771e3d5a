// The page's questions to the game: the board in words, the news since the last question, the
// level that follows a solve, and whether a file is a level the game can play. Every answer
// comes from the game's own state and rules (DecideMove, CanSetUpLevel); nothing is decided here.
#include "platform/web/web_game.h"

#include <emscripten.h>

#include <string>

#include "app/notices.h"
#include "app/progress.h"
#include "app/status.h"
#include "board/board_state.h"
#include "board/level_record.h"
#include "editor/editor.h"
#include "gfx/sprites.h"
#include "play/hint.h"
#include "play/history.h"
#include "play/movement.h"
#include "play/play_frame.h"
#include "play/position.h"

namespace platform::web {

bool GameKeepsTime() {
  return LevelSolved != 0;
}

namespace {

std::string Answer;  // the text handed to the page, kept until its next question

std::string Cell(std::int64_t column, std::int64_t row) {
  return "column " + std::to_string(column + 1) + ", row " + std::to_string(row + 1);
}

std::string BallsLeftText() {
  return std::to_string(BallsLeft) + (BallsLeft == 1 ? " ball left" : " balls left");
}

bool BallAt(std::int64_t column, std::int64_t row) {
  for (int n = 0; n < BallTotal && n < BallSlots; ++n) {
    if (BallAlive[n] && CellOf(BallBobs[n].x) == column && CellOf(BallBobs[n].y) == row) {
      return true;
    }
  }
  return false;
}

// What lies one step away, and what a step that way would do: the game decides the move as it
// would for a key, and the position is put back.
std::string Neighbour(std::int32_t direction, std::int64_t column, std::int64_t row) {
  const Position before = CapturePosition();
  DecideMove(direction);
  const bool carries = PlayerMoving && CarryingPlatform;
  const bool land = NeighbourLand, platform = NeighbourPlatform, water = NeighbourWater;
  const bool onPlatform = OnPlatform;
  RestorePosition(before);
  const std::int64_t c = column + (direction == DirLeft ? -1 : direction == DirRight ? 1 : 0);
  const std::int64_t r = row + (direction == DirUp ? -1 : direction == DirDown ? 1 : 0);
  std::string text = land       ? "land"
                     : platform ? "a platform"
                     : water    ? "water"
                                : "the edge of the board";
  if (BallAt(c, r)) text += " with a ball";
  if (water && onPlatform) {
    text += carries ? ", your platform can go there" : ", your platform cannot go there";
  }
  return text;
}

std::string Describe() {
  if (EditorMode) return "The level editor.";
  if (!LevelProblem.empty()) return LevelProblem + ".";
  std::string text = LevelInPlay > 0 ? "Level " + std::to_string(LevelInPlay) : "level.dat";
  if (LevelSolved) return text + ", solved.";
  const std::int64_t column = CellOf(PlayerBob.x), row = CellOf(PlayerBob.y);
  if (!AtCellBoundary()) return text + ": you are on your way, " + BallsLeftText() + ".";
  ProbeUnderPlayer();
  text += ": you stand on " + std::string(OnPlatform ? "a platform" : "land") + " at " +
          Cell(column, row) + ".";
  const char* names[] = {"", "Left", "Up", "Right", "Down"};
  for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
    text += std::string(" ") + names[d] + ": " + Neighbour(d, column, row) + ".";
  }
  return text + " " + BallsLeftText() + ".";
}

// What a player who cannot see the board is told as the game goes on.
struct Seen {
  bool started = false, editor = false, solved = false;
  std::uint64_t key = 0;
  std::int32_t level = 0;
  std::int64_t column = 0, row = 0;
  std::int32_t balls = 0, moves = 0;
  std::string hint, notice;
};
Seen Last;

std::string News() {
  Seen now;
  now.started = true;
  now.editor = EditorMode != 0;
  now.solved = LevelSolved != 0;
  now.key = LevelInPlayKey;
  now.level = LevelInPlay;
  now.column = CellOf(PlayerBob.x);
  now.row = CellOf(PlayerBob.y);
  now.balls = BallsLeft;
  now.moves = MoveCount;
  now.hint = HintText();
  now.notice = CurrentNotice();
  std::string text;
  const auto add = [&text](const std::string& part) {
    if (!part.empty()) text += (text.empty() ? "" : " ") + part;
  };
  if (now.editor != Last.editor || !Last.started) {
    add(now.editor ? "The level editor." : "");
  }
  if (!now.editor) {
    const bool newLevel =
        now.key != Last.key || now.level != Last.level || Last.editor || !Last.started;
    if (newLevel) {
      add(Describe());
    } else if (AtCellBoundary() && (now.column != Last.column || now.row != Last.row)) {
      add(std::string(now.moves < Last.moves ? "Back to " : "") + Cell(now.column, now.row) + ".");
    }
    if (!newLevel && now.balls < Last.balls && !now.solved) add("A ball: " + BallsLeftText() + ".");
    if (now.solved && !Last.solved) add(StatusLine() + ".");
    if (now.hint != Last.hint) add(now.hint.empty() ? "" : now.hint + ".");
    // Between cells the Player is on his way: the cell is told when he gets there.
    if (!AtCellBoundary()) {
      now.column = Last.column;
      now.row = Last.row;
    }
  }
  if (now.notice != Last.notice) add(now.notice);
  Last = now;
  return text;
}

}  // namespace
}  // namespace platform::web

extern "C" {

// The board in words: the Player's cell, what lies in each direction and what a step there
// would do, and the balls left.
EMSCRIPTEN_KEEPALIVE const char* yelko_web_describe() {
  platform::web::Answer = platform::web::Describe();
  return platform::web::Answer.c_str();
}

// What changed since the last call, in a few words ("" when nothing worth telling did).
EMSCRIPTEN_KEEPALIVE const char* yelko_web_news() {
  platform::web::Answer = platform::web::News();
  return platform::web::Answer.c_str();
}

// The level a restart now starts after a solve that moved the game on, else 0.
EMSCRIPTEN_KEEPALIVE int yelko_web_next_level() {
  return LevelSolved && SolveEarned && !EditorMode && CurrentLevel != LevelInPlay ? CurrentLevel
                                                                                  : 0;
}

// Why the bytes are not a level the game can play, or "" when they are: exactly one record, and
// every platform of a type the game knows.
EMSCRIPTEN_KEEPALIVE const char* yelko_web_level_problem(const std::uint8_t* bytes, int size) {
  std::string& text = platform::web::Answer;
  text.clear();
  if (size != LevelRecordSize) {
    text = "It holds " + std::to_string(size) + (size == 1 ? " byte" : " bytes") +
           "; a level file holds exactly " + std::to_string(LevelRecordSize) + ".";
  } else {
    LevelLayout layout;
    DecodeLevelRecord(bytes, &layout);
    if (!CanSetUpLevel(layout)) text = "It holds a platform of a type the game does not know.";
  }
  return text.c_str();
}

}  // extern "C"
