#include "app/program_state.h"

#include "app/assets.h"
#include "app/notices.h"
#include "app/progress.h"
#include "app/records.h"
#include "app/shell.h"
#include "board/board_state.h"
#include "editor/editor.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/clock.h"
#include "input/input.h"
#include "platform/files.h"
#include "platform/headless/headless.h"
#include "play/hint.h"
#include "play/history.h"
#include "play/movement.h"
#include "play/play_frame.h"
#include "play/scene.h"
#include "sound/sound.h"

void ResetProgramState() {
  // Subsystems first, so that what they hold is given back through the backend that made it.
  ResetShellState();
  ResetAssetState();
  ResetProgressState();
  ResetLevelFileState();
  ResetBoardState();
  ResetMovementQueryState();
  ResetPlayFrameState();
  ResetSceneState();
  ResetEditorState();
  ResetHistoryState();
  ResetHintState();
  ResetRecordsState();
  ResetNoticeState();
  ResetDisplayState();
  ResetSpriteState();
  ResetSoundState();
  ResetInputState();
  ResetClockState();
  headless::Reset();
  platform::ResetGameDataDirectory();
  platform::UseBackend(headless::GetBackend());
}
