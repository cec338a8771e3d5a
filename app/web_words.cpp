// What the web page asks of the game itself: the board in words and the news since the last
// question (for a screen reader), the level that follows a solve, whether a file is a level the
// game can play, and when the game may rest. Every answer comes from the game's own state and
// rules (DecideMove, SetUpLevel); nothing is decided here. The page's backend calls these
// through the table it is given (platform/web/web_backend.h).
#include "app/web_words.h"

#include <limits>
#include <string>

#include "app/editor_play.h"
#include "app/level_select.h"
#include "app/notices.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "app/status.h"
#include "board/level.h"
#include "editor/editor.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "midend/question.h"
#include "play/movement.h"

namespace {

std::string Cell(std::int64_t column, std::int64_t row) {
  return "column " + std::to_string(column + 1) + ", row " + std::to_string(row + 1);
}

std::string BallsLeftText() {
  const std::int32_t left = BallsLeft(PlayState);
  return std::to_string(left) + (left == 1 ? " ball left" : " balls left");
}

bool BallAt(std::int64_t column, std::int64_t row) {
  for (int n = 0; n < PlayLevel.ballCount; ++n) {
    if ((PlayState.ballsLying >> n & 1) != 0 && CellOf(PlayLevel.ballX[n]) == column &&
        CellOf(PlayLevel.ballY[n]) == row) {
      return true;
    }
  }
  return false;
}

// What lies one step away on the board the rules see, and what a step that way would do: the
// rules decide the move as they would for a key, on a copy of the state.
std::string Neighbour(const Board& board, std::int32_t direction, std::int64_t column,
                      std::int64_t row) {
  GameState trial = PlayState;
  DecideMove(PlayLevel, board, &trial, direction);
  int dx, dy;
  DirectionStep(direction, &dx, &dy);
  const std::int64_t c = column + dx, r = row + dy;
  const std::int32_t cell = OnBoard(c, r) ? board.cell[c][r] : 0;
  std::string text = cell == CellLand       ? "land"
                     : cell == CellPlatform ? "a platform"
                     : cell == CellWater    ? "water"
                                            : "the edge of the board";
  if (BallAt(c, r)) text += " with a ball";
  if (cell == CellWater && board.cell[column][row] == CellPlatform) {
    text += trial.movement.carrying ? ", your platform can go there"
                                    : ", your platform cannot go there";
  }
  return text;
}

std::string DescribeBoard() {
  if (EditorMode) return "The level editor.";
  if (!LevelProblem.empty()) return LevelProblem + ".";
  std::string text = PuzzleInPlay()    ? "Puzzle " + PuzzleTitle
                     : LevelInPlay > 0 ? "Level " + std::to_string(LevelInPlay)
                                       : "level.dat";
  if (PlayState.solved) return text + ", solved.";
  const std::int64_t column = CellOf(PlayState.playerX), row = CellOf(PlayState.playerY);
  if (!AtCellBoundary(PlayState) || !OnBoard(column, row)) {
    return text + ": you are on your way, " + BallsLeftText() + ".";
  }
  Board board;
  BuildBoard(PlayLevel, PlayState, &board);
  text += ": you stand on " +
          std::string(board.cell[column][row] == CellPlatform ? "a platform" : "land") + " at " +
          Cell(column, row) + ".";
  const char* names[] = {"", "Left", "Up", "Right", "Down"};
  for (std::int32_t d = DirLeft; d <= DirDown; ++d) {
    text += std::string(" ") + names[d] + ": " + Neighbour(board, d, column, row) + ".";
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

std::string GameNews() {
  Seen now;
  now.started = true;
  now.editor = EditorMode != 0;
  now.solved = PlayState.solved != 0;
  now.key = LevelInPlayKey;
  now.level = LevelInPlay;
  now.column = CellOf(PlayState.playerX);
  now.row = CellOf(PlayState.playerY);
  now.balls = BallsLeft(PlayState);
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
      add(DescribeBoard());
    } else if (AtCellBoundary(PlayState) && (now.column != Last.column || now.row != Last.row)) {
      add(std::string(now.moves < Last.moves ? "Back to " : "") + Cell(now.column, now.row) + ".");
    }
    if (!newLevel && now.balls < Last.balls && !now.solved) add("A ball: " + BallsLeftText() + ".");
    if (now.solved && !Last.solved) add(StatusLine() + ".");
    if (now.hint != Last.hint) add(now.hint.empty() ? "" : now.hint + ".");
    // Between cells the Player is on his way: the cell is told when he gets there.
    if (!AtCellBoundary(PlayState)) {
      now.column = Last.column;
      now.row = Last.row;
    }
  }
  if (now.notice != Last.notice) add(now.notice);
  Last = now;
  return text;
}

// Half a second of a still picture; five while a solved level's banner and fanfare may still
// come by the game's clock; never while a search runs between frames.
int FramesBeforeRest() {
  if (Asking() != QuestionKind::None || MakingPuzzle() || StuckQuestionOpen()) {
    return std::numeric_limits<int>::max();
  }
  return PlayState.solved != 0 ? 300 : 30;
}

// A collection's level goes on to its next one that can be played (counted from 1).
int NextLevelAfterSolve() {
  if (CollectionLevelInPlay()) {
    return NextLevelOffered() ? NextPlayableLevel(CollectionPlace) + 1 : 0;
  }
  return PlayState.solved && SolveEarned && !EditorMode && !PuzzleInPlay() &&
                 CurrentLevel != LevelInPlay
             ? CurrentLevel
             : 0;
}

std::string LevelFileProblem(const std::uint8_t* bytes, std::size_t size) {
  if (size != std::size_t(LevelRecordSize)) {
    return "It holds " + std::to_string(size) + (size == 1 ? " byte" : " bytes") +
           "; a level file holds exactly " + std::to_string(LevelRecordSize) + ".";
  }
  Level level;
  if (SetUpLevel(bytes, &level) > 0) return "It holds a platform of a type the game does not know.";
  return "";
}

// The code the address carries: a puzzle's, none for the five levels and level.dat.
std::string PuzzleCodeInPlay() {
  return PuzzleInPlay() ? CodeInPlay() : std::string();
}

}  // namespace

platform::web::GameQuestions WebGameQuestions() {
  platform::web::GameQuestions questions;
  questions.describe = DescribeBoard;
  questions.news = GameNews;
  questions.nextLevel = NextLevelAfterSolve;
  questions.levelProblem = LevelFileProblem;
  questions.framesBeforeRest = FramesBeforeRest;
  questions.puzzleCode = PuzzleCodeInPlay;
  questions.editing = [] { return EditorMode ? 1 : TestPlaying() ? 2 : 0; };
  return questions;
}
