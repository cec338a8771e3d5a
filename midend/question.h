// Questions the game asks of the search beside its frames: a hint, the par of a level the game
// does not ship, the editor's check. One is worked on at a time, on a thread of its own where
// the platform allows (the desktop), else in slices of at most a thousand states and 4 ms between
// frames (the browser; the headless machine, whose replays must come out the same every time).
// The game never waits for one longer than a slice.
#pragma once

#include <cstdint>
#include <functional>

#include "board/level.h"
#include "midend/search.h"

enum class QuestionKind : std::uint8_t { None, Hint, Par, Check };

// Asks; a question asked before is dropped.
void Ask(QuestionKind kind, const Level& level, const GameState& from,
         const SearchOptions& options = {});
// The question asked and not yet taken (None when there is none).
QuestionKind Asking();
// Gives the question its share of this frame. True when its answer is there: Answer() gives it
// once (and the question is over).
bool WorkOnQuestion();
bool TakeAnswer(QuestionKind kind, SearchResult* answer);
// Whether a frame since the last call gave a question its share and found no answer yet: the
// game must not sleep then, or the answer would wait for the player's next key. A question
// nobody asks after (a par search while the editor is open) does not keep it awake.
bool QuestionAwaited();
// Drops a question of that kind (any kind: None), answered or not.
void CancelQuestion(QuestionKind kind = QuestionKind::None);

// A search from the position in play (a hint's, the stuck watch's) stops here: about 25 MB, a few
// seconds of slices in the browser; the shipped levels need well under 100,000 states from
// anywhere. One budget for both, so that the watch's answer is the hint's.
inline constexpr std::uint64_t PositionStateLimit = 1'000'000;

// States a slice expands at most: a few milliseconds of a frame.
inline constexpr std::uint64_t SliceStates = 1000;

// One slice of this frame's work: `step` (a tenth of a slice; true once the work is done) ten
// times, or fewer once 4 ms have passed where the clock moves within a frame (a slow machine's
// frames stay short; the replay runner's clock stands still, so a replay comes out the same
// every time). True once the work is done.
bool InSlice(const std::function<bool()>& step);
// A slice of SliceStates states of the search.
bool RunSlice(Search* search);

void ResetQuestionState();
