#include "app/program_state.h"

#include "app/assets.h"
#include "app/collections.h"
#include "app/editor_play.h"
#include "app/finale.h"
#include "app/level_names.h"
#include "app/level_select.h"
#include "app/notices.h"
#include "app/play_frame.h"
#include "app/progress.h"
#include "app/puzzles.h"
#include "app/scene.h"
#include "app/settings.h"
#include "app/shell.h"
#include "app/status.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/actions.h"
#include "input/clock.h"
#include "input/input.h"
#include "midend/collection.h"
#include "midend/game.h"
#include "midend/hint.h"
#include "midend/history.h"
#include "midend/puzzle.h"
#include "midend/question.h"
#include "midend/records.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "sound/sound.h"

void ResetProgramState() {
  // Subsystems first, so that what they hold is given back through the backend that made it.
  ResetShellState();
  ResetAssetState();
  ResetProgressState();
  ResetLevelFileState();
  ResetGameState();
  ResetPlayFrameState();
  ResetSceneState();
  ResetSettingsState();
  ResetFinaleState();
  ResetStatusState();
  ResetLevelNamesState();
  ResetLevelSelectState();
  ResetEditorState();
  ResetEditorPlayState();
  ResetHistoryState();
  ResetHintState();
  ResetQuestionState();
  ResetPuzzleState();
  ResetCollectionState();
  ResetPuzzleCommandsState();
  ResetCollectionCommandsState();
  ResetRecordsState();
  ResetNoticeState();
  ResetDisplayState();
  ResetSpriteState();
  ResetSoundState();
  ResetInputState();
  ResetActionState();
  ResetClockState();
  headless::Reset();
  platform::ResetGameDataDirectory();
  platform::UseBackend(headless::GetBackend());
}
