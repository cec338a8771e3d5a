// The level editor's frame: painting, placing, saving, loading and checking a board.
#include "editor/editor.h"

#include <cstring>
#include <string>

#include "board/level_record.h"
#include "gfx/bob.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/actions.h"
#include "input/clock.h"
#include "input/input.h"
#include "midend/game.h"
#include "midend/question.h"
#include "platform/platform.h"

std::uint8_t EditorMode;
std::uint8_t EditorClearPending;
std::int32_t EditorTerrain[BoardCells][BoardCells];
std::int32_t EditorGrid[BoardCells][BoardCells];
std::string EditorCheckText;

namespace {
bool EditorCheckKeyHeld;
}

namespace {

// How long the whole program holds after each click it handles, so that one press of a
// button is one step of painting or placing however long the button stays down.
constexpr std::uint32_t ClickHoldMs = 150;

// A record with platforms ends its ball list inside the ball area, so one pair fewer fits.
constexpr int MaxBallsWithPlatforms = MaxBallsInRecord - 1;

bool IsPlatformCode(std::int32_t code) {
  return code >= EditorPlatformFirst && code <= EditorPlatformLast;
}

// The right button's cycle: empty, Player, ball, the nine platforms, empty again. A code
// outside the cycle is kept.
std::int32_t NextObjectCode(std::int32_t code) {
  if (code == EditorEmpty) return EditorPlayer;
  if (code == EditorPlayer) return EditorBall;
  if (code == EditorBall) return EditorPlatformFirst;
  if (code >= EditorPlatformFirst && code < EditorPlatformLast) return code + 1;
  if (code == EditorPlatformLast) return EditorEmpty;
  return code;
}

// The cell under the last press, or false for a press outside the board. The window system
// hands the game presses in board pixels, whatever size the board is shown at.
bool ClickedCell(int* column, int* row) {
  if (ClickX < 0 || ClickY < 0 || ClickX >= BoardPixels || ClickY >= BoardPixels) return false;
  *column = ClickX / CellPixels;
  *row = ClickY / CellPixels;
  return true;
}

// Checks that the placed objects fit the record before anything is written. Returns the
// refusal text, empty when they fit.
std::string SaveRefusal() {
  int balls = 0;
  int platforms = 0;
  for (const auto& column : EditorGrid) {
    for (std::int32_t code : column) {
      if (code == EditorBall) ++balls;
      if (IsPlatformCode(code)) ++platforms;
    }
  }
  std::string text;
  if (platforms > MaxPlatformsInRecord) text = "Too many platforms: at most 9";
  const int maxBalls = platforms > 0 ? MaxBallsWithPlatforms : MaxBallsInRecord;
  if (balls > maxBalls) {
    if (!text.empty()) text += "\n";
    text +=
        platforms > 0 ? "Too many balls: at most 4 with platforms" : "Too many balls: at most 5";
  }
  return text;
}

// The grids as a level, over the record (which keeps what the editor does not write).
void EncodeEditedLevel(std::uint8_t record[LevelRecordSize]) {
  LevelLayout level;
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      level.terrain[c][r] = std::uint8_t(EditorTerrain[c][r]);
      const std::int32_t code = EditorGrid[c][r];
      if (IsPlatformCode(code) && level.platformCount < MaxPlatformsInRecord) {
        level.platforms[level.platformCount++] = {std::int8_t(code - EditorPlatformFirst),
                                                  std::int8_t(c), std::int8_t(r)};
      }
      if (code == EditorBall && level.ballCount < MaxBallsInRecord) {
        level.balls[level.ballCount++] = {std::int8_t(c), std::int8_t(r)};
      }
    }
  }
  // The Player start is wherever the Player stands: the drawing moves him to the last cell
  // holding the Player code, and without one he stays where play or the editor left him.
  level.startColumn = std::int8_t(PlayState.playerX / CellPixels);
  level.startRow = std::int8_t(PlayState.playerY / CellPixels);
  EncodeLevelRecord(level, record);
}

void SaveEditedLevel() {
  if (const std::string refusal = SaveRefusal(); !refusal.empty()) {
    ShowMessage(refusal.c_str());
    return;
  }
  EncodeEditedLevel(LevelRecord);
  std::string problem;
  if (SaveLevelFile(&problem)) {
    EditorCheckText.clear();
  } else {
    ShowMessage("INVALID_HANDLE_VALUE");
    EditorCheckText = "Could not save level.dat: " + problem;
  }
}

// V: whether the level as painted can be solved, and in how many moves, without saving it. The
// search runs beside the editor; the status line says "Checking…" until it answers.
void CheckEditedLevel() {
  EditorCheckText = SaveRefusal();
  if (!EditorCheckText.empty()) return;
  std::uint8_t record[LevelRecordSize];
  std::memcpy(record, LevelRecord, sizeof record);
  EncodeEditedLevel(record);
  Level level;
  if (SetUpLevel(record, &level) != 0) {
    EditorCheckText = "Not a level: a platform of an unknown type";
    return;
  }
  SearchOptions options;
  options.maxStates = 1'000'000;
  Ask(QuestionKind::Check, level, StartState(level), options);
  EditorCheckText = "Checking\xE2\x80\xA6";
}

// The check's answer, once there.
void KeepChecking() {
  if (Asking() != QuestionKind::Check || !WorkOnQuestion()) return;
  SearchResult answer;
  TakeAnswer(QuestionKind::Check, &answer);
  const std::size_t moves = answer.moves.size();
  EditorCheckText = answer.outcome == SearchOutcome::Solved
                        ? "Solvable in " + std::to_string(moves) + (moves == 1 ? " move" : " moves")
                    : answer.outcome == SearchOutcome::Unsolvable
                        ? std::string("No solution")
                        : std::string("Too big to check here: try yelko-solve");
}

void MarkLoadedCell(std::int32_t column, std::int32_t row, std::int32_t code) {
  if (OnBoard(column, row)) EditorGrid[column][row] = code;
}

// Reads "level.dat" into the grids. Deliberate: cells the file does not name keep their objects.
// Entries naming cells off the board are skipped; the lists stop where the board's own set-up stops
// them, so nothing beyond the record or the grids is ever touched. A file that cannot be read
// whole changes nothing: the board as painted is kept, and the status line says why.
void LoadEditedLevel() {
  std::string problem;
  if (!LoadLevelFile(0, &problem)) {
    ShowMessage("INVALID_HANDLE_VALUE");
    EditorCheckText = "Not loaded: " + problem;
    return;
  }
  EditorCheckText.clear();
  LevelLayout level;
  DecodeLevelRecord(LevelRecord, &level);
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) EditorTerrain[c][r] = std::int8_t(level.terrain[c][r]);
  }
  // The Player first: a ball or platform on his cell takes the cell over.
  MarkLoadedCell(level.startColumn, level.startRow, EditorPlayer);
  for (int n = 0; n < level.ballCount; ++n) {
    MarkLoadedCell(level.balls[n].column, level.balls[n].row, EditorBall);
  }
  for (int n = 0; n < level.platformCount; ++n) {
    const LevelPlatform& p = level.platforms[n];
    if (p.type < 0 || p.type >= ShapeTypes) continue;  // an unknown type leaves the cell
    MarkLoadedCell(p.column, p.row, EditorPlatformFirst + p.type);
  }
}

void ClearEditedLevel() {
  for (auto& column : EditorTerrain) {
    for (std::int32_t& cell : column) cell = CellWater;
  }
  for (auto& column : EditorGrid) {
    for (std::int32_t& code : column) code = EditorEmpty;
  }
  ClearLevelObjects(LevelRecord);
  EditorClearPending = 0;
}

// Every handled click holds the frame, off-board ones included: the pacing of the mouse is
// the same wherever the author clicks.
void HandleLeftClick() {
  StartClock();
  int c, r;
  if (ClickedCell(&c, &r)) {
    EditorTerrain[c][r] = EditorTerrain[c][r] == CellWater ? CellLand : CellWater;
  }
  WaitClock(ClickHoldMs);
  LeftClickPending = 0;
}

void HandleRightClick() {
  StartClock();
  int c, r;
  if (ClickedCell(&c, &r)) EditorGrid[c][r] = NextObjectCode(EditorGrid[c][r]);
  WaitClock(ClickHoldMs);
  RightClickPending = 0;
}

void DrawAt(Bob* bob, int column, int row) {
  SetBobPosition(bob, column * CellPixels, row * CellPixels);
  DrawBob(bob, BackBuffer);
}

// Tiles with the Player and balls, then the platforms over everything. Deliberate: play
// resumes with the Player where the editor last drew one and ball 0 (if the level has one)
// where it last drew a ball.
void DrawEditedLevel() {
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      if (EditorTerrain[c][r] == CellLand) DrawAt(&LandTileBob, c, r);
      if (EditorTerrain[c][r] == CellWater) DrawAt(&WaterTileBob, c, r);
      if (EditorGrid[c][r] == EditorPlayer) {
        DrawAt(&PlayerBob, c, r);
        PlayState.playerX = c * CellPixels;
        PlayState.playerY = r * CellPixels;
      }
      if (EditorGrid[c][r] == EditorBall) {
        DrawAt(&BallBobs[0], c, r);
        PlayLevel.ballX[0] = c * CellPixels;
        PlayLevel.ballY[0] = r * CellPixels;
      }
    }
  }
  for (int c = 0; c < BoardCells; ++c) {
    for (int r = 0; r < BoardCells; ++r) {
      if (IsPlatformCode(EditorGrid[c][r])) {
        DrawAt(&PlatformBobs[EditorGrid[c][r] - EditorPlatformFirst], c, r);
      }
    }
  }
}

}  // namespace

void EditorFrame() {
  const FrameInput input = ReadFrameInput();
  // Deliberate: S and L act in every frame they are held; a held L reloads again and again.
  if (input.Held(Action::Save)) SaveEditedLevel();
  if (input.Held(Action::Load)) LoadEditedLevel();
  // V checks once a press: a search is no thing to repeat in every frame.
  if (input.Held(Action::Check) && !EditorCheckKeyHeld) CheckEditedLevel();
  EditorCheckKeyHeld = input.Held(Action::Check);
  KeepChecking();
  // Enter is asked of the window system on its own, however short the tap; other keys the player
  // gave "play" come with the frame's keys.
  const bool enter =
      ActionHasCode(Action::Play, DIK_RETURN) || ActionHasCode(Action::Play, DIK_NUMPADENTER);
  if ((enter && platform::AsyncKeyDown(platform::VK_RETURN)) || input.Held(Action::Play)) {
    EditorMode = 0;
    // Deliberate: the first frame of play still decides on the board as painted; it takes the
    // record's terrain again at its end, so terrain painted but not saved is dropped.
    for (int c = 0; c < BoardCells; ++c) {
      for (int r = 0; r < BoardCells; ++r) {
        PlayLevel.terrain[c][r] = EditorTerrain[c][r] == CellLand ? CellLand : CellWater;
      }
    }
  }
  if (EditorClearPending) ClearEditedLevel();
  if (LeftClickPending) HandleLeftClick();
  if (RightClickPending) HandleRightClick();
  DrawEditedLevel();
  PresentFrame(MainWindow);
}

void EditorShowBoard(const Level& level, const GameState& state) {
  Board board;
  BuildBoard(level, state, &board);
  std::memcpy(EditorTerrain, board.cell, sizeof EditorTerrain);
}

void ResetEditorState() {
  EditorMode = EditorClearPending = 0;
  std::memset(EditorTerrain, 0, sizeof EditorTerrain);
  std::memset(EditorGrid, 0, sizeof EditorGrid);
  EditorCheckText.clear();
  EditorCheckKeyHeld = false;
}
