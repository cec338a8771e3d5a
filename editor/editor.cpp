#include "editor/editor.h"

#include <cstring>

std::uint8_t EditorMode;
std::uint8_t EditorClearPending;
std::int32_t EditorGrid[BoardCells][BoardCells];

void ResetEditorState() {
  EditorMode = EditorClearPending = 0;
  std::memset(EditorGrid, 0, sizeof EditorGrid);
}
