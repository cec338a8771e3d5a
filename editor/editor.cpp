// The level editor's frame: painting, placing, saving, loading and checking a board.
#include "editor/editor.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/level_record.h"
#include "gfx/bob.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "gfx/text.h"
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
EditorCursor EditorFocus;

namespace {

// How long the whole program holds after each click it handles, so that one press of a
// button is one step of painting or placing however long the button stays down.
constexpr std::uint32_t ClickHoldMs = 150;

// A record with platforms ends its ball list inside the ball area, so one pair fewer fits.
constexpr int MaxBallsWithPlatforms = MaxBallsInRecord - 1;

bool EditorCheckKeyHeld;
bool EditorSaveKeyHeld;
// The check under way was asked by a save: its answer is said as the save's.
bool CheckAfterSave;
// The stroke of a left drag: the colour its first cell was painted, and the last point it
// reached (board pixels). No stroke: colour 0.
std::int32_t StrokeColour;
std::int32_t StrokeX, StrokeY;
// The last object a right click, X or the cursor placed: what Shift+right click sets.
std::int32_t LastPlaced = EditorPlayer;

bool IsPlatformCode(std::int32_t code) {
  return code >= EditorPlatformFirst && code <= EditorPlatformLast;
}

// The board changed: what the last check or save said of it no longer holds.
void BoardChanged() {
  if (EditorCheckText.empty()) return;
  EditorCheckText.clear();
  CheckAfterSave = false;
  if (Asking() == QuestionKind::Check) CancelQuestion(QuestionKind::Check);
}

void SetTerrain(int c, int r, std::int32_t colour) {
  if (!OnBoard(c, r) || EditorTerrain[c][r] == colour) return;
  EditorTerrain[c][r] = colour;
  BoardChanged();
}

// The cell under a point, or false for a point outside the board. The window system hands the
// game presses in board pixels, whatever size the board is shown at.
bool CellAt(std::int32_t x, std::int32_t y, int* column, int* row) {
  if (x < 0 || y < 0 || x >= BoardPixels || y >= BoardPixels) return false;
  *column = x / CellPixels;
  *row = y / CellPixels;
  return true;
}

// Checks that the placed objects fit the record before anything is written. Returns the
// refusal text, empty when they fit.
std::string SaveRefusal() {
  const EditorCounts n = CountEditedObjects();
  std::string text;
  if (n.platforms > n.maxPlatforms) text = "Too many platforms: at most 9";
  if (n.balls > n.maxBalls) {
    if (!text.empty()) text += "\n";
    text +=
        n.platforms > 0 ? "Too many balls: at most 4 with platforms" : "Too many balls: at most 5";
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

// Asks the search, beside the frames, whether the board as painted can be solved. False, with
// EditorCheckText saying why, when it cannot even be set up.
bool AskCheck() {
  std::uint8_t record[LevelRecordSize];
  std::memcpy(record, LevelRecord, sizeof record);
  EncodeEditedLevel(record);
  Level level;
  if (SetUpLevel(record, &level) != 0) {
    EditorCheckText = "Not a level: a platform of an unknown type";
    return false;
  }
  SearchOptions options;
  options.maxStates = 1'000'000;
  Ask(QuestionKind::Check, level, StartState(level), options);
  return true;
}

// S (and P): writes the board to "level.dat". A board that breaks a limit is refused with a box
// and nothing is written; a save that fails says why. True when the file was written. `tell`:
// the status line says what came of it (the first frame of a press; a held S saves quietly).
bool SaveEditedLevel(bool tell) {
  if (const std::string refusal = SaveRefusal(); !refusal.empty()) {
    ShowMessage(refusal.c_str());
    EditorCheckText = "Not saved: " + refusal.substr(0, refusal.find('\n'));
    CheckAfterSave = false;
    return false;
  }
  EncodeEditedLevel(LevelRecord);
  std::string problem;
  if (!SaveLevelFile(&problem)) {
    ShowMessage("INVALID_HANDLE_VALUE");
    EditorCheckText = "Could not save level.dat: " + problem;
    CheckAfterSave = false;
    return false;
  }
  if (tell) {
    EditorCheckText = "Saved level.dat (checking whether it can be solved\xE2\x80\xA6)";
    CheckAfterSave = AskCheck();
    if (!CheckAfterSave) EditorCheckText = "Saved level.dat: not solvable yet";
  }
  return true;
}

// V: whether the level as painted can be solved, and in how many moves, without saving it. The
// search runs beside the editor; the status line says "Checking…" until it answers.
void CheckEditedLevel() {
  CheckAfterSave = false;
  EditorCheckText = SaveRefusal();
  if (!EditorCheckText.empty()) return;
  if (AskCheck()) EditorCheckText = "Checking\xE2\x80\xA6";
}

// The check's answer, once there.
void KeepChecking() {
  if (Asking() != QuestionKind::Check || !WorkOnQuestion()) return;
  SearchResult answer;
  TakeAnswer(QuestionKind::Check, &answer);
  const std::size_t moves = answer.moves.size();
  const std::string solvable = "in " + std::to_string(moves) + (moves == 1 ? " move" : " moves");
  if (CheckAfterSave) {
    EditorCheckText = answer.outcome == SearchOutcome::Solved
                          ? "Saved level.dat (solvable " + solvable + ")"
                      : answer.outcome == SearchOutcome::Unsolvable
                          ? "Saved level.dat: not solvable yet"
                          : "Saved level.dat (too big to check here: try yelko-solve)";
  } else {
    EditorCheckText = answer.outcome == SearchOutcome::Solved ? "Solvable " + solvable
                      : answer.outcome == SearchOutcome::Unsolvable
                          ? std::string("No solution")
                          : std::string("Too big to check here: try yelko-solve");
  }
  CheckAfterSave = false;
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
  BoardChanged();
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
  BoardChanged();
}

// Every handled click holds the frame, off-board ones included: the pacing of the mouse is
// the same wherever the author clicks. A left press starts a stroke that a drag goes on with.
void HandleLeftClick() {
  StartClock();
  int c, r;
  StrokeColour = 0;
  if (CellAt(ClickX, ClickY, &c, &r)) {
    EditorPaint(c, r);
    StrokeColour = EditorTerrain[c][r];
    StrokeX = ClickX;
    StrokeY = ClickY;
    EditorFocus.column = c;
    EditorFocus.row = r;
  }
  WaitClock(ClickHoldMs);
  LeftClickPending = 0;
}

// A drag paints every cell on the way from the stroke's last point to the pointer, in steps of
// a quarter cell, with the stroke's colour.
void HandleDrag() {
  DragPending = 0;
  if (StrokeColour == 0) return;
  const std::int32_t dx = DragX - StrokeX, dy = DragY - StrokeY;
  const int steps = std::max(std::abs(dx), std::abs(dy)) / (CellPixels / 4) + 1;
  for (int i = 1; i <= steps; ++i) {
    int c, r;
    if (CellAt(StrokeX + dx * i / steps, StrokeY + dy * i / steps, &c, &r)) {
      SetTerrain(c, r, StrokeColour);
    }
  }
  StrokeX = DragX;
  StrokeY = DragY;
}

void HandleRightClick() {
  StartClock();
  int c, r;
  if (CellAt(ClickX, ClickY, &c, &r)) {
    const std::int32_t picked = RightClickObject;
    const bool known = picked == EditorEmpty || picked == EditorPlayer || picked == EditorBall ||
                       IsPlatformCode(picked);
    if (picked != 0) {
      if (known) EditorSetObject(c, r, picked);  // an unknown code from outside sets nothing
      if (known && picked != EditorEmpty) LastPlaced = picked;
    } else if (RightClickShift) {
      EditorSetObject(c, r, LastPlaced);
    } else {
      EditorStepObject(c, r);
    }
    EditorFocus.column = c;
    EditorFocus.row = r;
  }
  WaitClock(ClickHoldMs);
  RightClickPending = RightClickShift = RightClickObject = 0;
}

// The keyboard's cursor: Tab turns it on and off, an arrow moves it (and turns it on), and the
// keys that stand for the buttons act on its cell with the very edits a click makes.
void HandleCursorKeys(const FrameInput& input) {
  if (input.Pressed(Action::Cursor)) EditorFocus.shown = !EditorFocus.shown;
  const struct {
    Action action;
    int dc, dr;
  } moves[] = {
      {Action::Left, -1, 0}, {Action::Up, 0, -1}, {Action::Right, 1, 0}, {Action::Down, 0, 1}};
  for (const auto& m : moves) {
    if (!input.Pressed(m.action)) continue;
    if (EditorFocus.shown) {
      EditorFocus.column = std::clamp(EditorFocus.column + m.dc, 0, BoardCells - 1);
      EditorFocus.row = std::clamp(EditorFocus.row + m.dr, 0, BoardCells - 1);
    }
    EditorFocus.shown = true;
  }
  if (!EditorFocus.shown) return;
  const int c = EditorFocus.column, r = EditorFocus.row;
  if (input.Pressed(Action::Paint)) EditorPaint(c, r);
  if (input.Pressed(Action::Place)) EditorStepObject(c, r);
  if (input.Pressed(Action::Erase)) EditorSetObject(c, r, EditorEmpty);
}

void DrawAt(Bob* bob, int column, int row) {
  SetBobPosition(bob, column * CellPixels, row * CellPixels);
  DrawBob(bob, BackBuffer);
}

// The keyboard's cursor: a frame two pixels wide, yellow, inside its cell.
void DrawCursor() {
  if (!EditorFocus.shown || BackBuffer == nullptr) return;
  FrameBox(*BackBuffer, EditorFocus.column * CellPixels, EditorFocus.row * CellPixels, CellPixels,
           CellPixels, 2, 0x00FFD800);
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
  DrawCursor();
}

}  // namespace

void EditorPaint(int column, int row) {
  if (!OnBoard(column, row)) return;
  SetTerrain(column, row, EditorTerrain[column][row] == CellWater ? CellLand : CellWater);
}

void EditorStepObject(int column, int row) {
  if (!OnBoard(column, row)) return;
  const std::int32_t next = EditorNextObject(EditorGrid[column][row]);
  EditorSetObject(column, row, next);
  if (next != EditorEmpty) LastPlaced = next;
}

void EditorSetObject(int column, int row, std::int32_t code) {
  if (!OnBoard(column, row) || EditorGrid[column][row] == code) return;
  EditorGrid[column][row] = code;
  BoardChanged();
}

// The right button's cycle: empty, Player, ball, the nine platforms, empty again.
std::int32_t EditorNextObject(std::int32_t code) {
  if (code == EditorEmpty) return EditorPlayer;
  if (code == EditorPlayer) return EditorBall;
  if (code == EditorBall) return EditorPlatformFirst;
  if (code >= EditorPlatformFirst && code < EditorPlatformLast) return code + 1;
  if (code == EditorPlatformLast) return EditorEmpty;
  return code;
}

std::string EditorObjectName(std::int32_t code) {
  if (code == EditorPlayer) return "Player";
  if (code == EditorBall) return "ball";
  if (IsPlatformCode(code)) return "platform " + std::to_string(code - EditorPlatformFirst);
  return "nothing";
}

EditorCounts CountEditedObjects() {
  EditorCounts n;
  for (const auto& column : EditorGrid) {
    for (std::int32_t code : column) {
      n.balls += code == EditorBall;
      n.platforms += IsPlatformCode(code);
      n.players += code == EditorPlayer;
    }
  }
  n.maxPlatforms = MaxPlatformsInRecord;
  n.maxBalls = n.platforms > 0 ? MaxBallsWithPlatforms : MaxBallsInRecord;
  return n;
}

platform::Surface EditorToolPicture() {
  platform::Surface picture;
  picture.width = picture.height = CellPixels;
  picture.pixels.assign(std::size_t(CellPixels) * CellPixels, 0);
  const int c = std::clamp(EditorFocus.column, 0, BoardCells - 1);
  const int r = std::clamp(EditorFocus.row, 0, BoardCells - 1);
  const std::int32_t next = EditorNextObject(EditorGrid[c][r]);
  const auto draw = [&picture](Bob* bob, int size) {
    SetBobPosition(bob, 0, 0);
    DrawBobScaled(bob, size, size, &picture);
  };
  draw(next == EditorPlayer || EditorTerrain[c][r] == CellLand ? &LandTileBob : &WaterTileBob,
       CellPixels);
  if (next == EditorPlayer) draw(&PlayerBob, CellPixels);
  if (next == EditorBall) draw(&BallBobs[0], CellPixels);
  if (IsPlatformCode(next)) draw(&PlatformBobs[next - EditorPlatformFirst], CellPixels);
  return picture;
}

bool EditedRecord(std::uint8_t record[LevelRecordSize], std::string* refusal) {
  *refusal = SaveRefusal();
  if (!refusal->empty()) return false;
  std::memcpy(record, LevelRecord, LevelRecordSize);
  EncodeEditedLevel(record);
  return true;
}

EditorLeave EditorFrame() {
  const FrameInput input = ReadFrameInput();
  // Deliberate: S acts in every frame it is held, saving again and again; what came of it is
  // said once a press. A held L reloads again and again.
  const bool savePressed = input.Held(Action::Save) && !EditorSaveKeyHeld;
  EditorSaveKeyHeld = input.Held(Action::Save);
  if (input.Held(Action::Save)) SaveEditedLevel(savePressed);
  if (input.Held(Action::Load)) LoadEditedLevel();
  // V checks once a press: a search is no thing to repeat in every frame.
  if (input.Held(Action::Check) && !EditorCheckKeyHeld) CheckEditedLevel();
  EditorCheckKeyHeld = input.Held(Action::Check);
  KeepChecking();
  EditorLeave leave = EditorLeave::Stay;
  // Enter is asked of the window system on its own, however short the tap; other keys the player
  // gave "play" come with the frame's keys. The board as painted goes into play; one that breaks
  // a limit cannot be, and the editor stays.
  const bool enter =
      ActionHasCode(Action::Play, DIK_RETURN) || ActionHasCode(Action::Play, DIK_NUMPADENTER);
  if ((enter && platform::AsyncKeyDown(platform::VK_RETURN)) || input.Held(Action::Play)) {
    if (const std::string refusal = SaveRefusal(); refusal.empty()) {
      leave = EditorLeave::Play;
    } else {
      EditorCheckText = "Cannot play this board: " + refusal.substr(0, refusal.find('\n'));
    }
  }
  if (input.Pressed(Action::TestPlay) && SaveEditedLevel(false)) leave = EditorLeave::TestPlay;
  if (EditorClearPending) ClearEditedLevel();
  HandleCursorKeys(input);
  if (LeftClickPending) HandleLeftClick();
  if (DragPending) HandleDrag();
  if (RightClickPending) HandleRightClick();
  DrawEditedLevel();
  PresentFrame(MainWindow);
  if (leave != EditorLeave::Stay) {
    EditorMode = 0;
    StrokeColour = 0;
  }
  return leave;
}

void EditorShowBoard(const Level& level, const GameState& state) {
  Board board;
  BuildBoard(level, state, &board);
  std::memcpy(EditorTerrain, board.cell, sizeof EditorTerrain);
  BoardChanged();
}

void ResetEditorState() {
  EditorMode = EditorClearPending = 0;
  std::memset(EditorTerrain, 0, sizeof EditorTerrain);
  std::memset(EditorGrid, 0, sizeof EditorGrid);
  EditorCheckText.clear();
  EditorFocus = {};
  EditorCheckKeyHeld = EditorSaveKeyHeld = CheckAfterSave = false;
  StrokeColour = StrokeX = StrokeY = 0;
  LastPlaced = EditorPlayer;
}
