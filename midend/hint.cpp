// Hints: a shortest solution from the state in play, remembered while the Player follows it.
#include "midend/hint.h"

#include "board/platform_shapes.h"
#include "midend/game.h"
#include "midend/puzzle.h"
#include "midend/question.h"
#include "platform/platform.h"

HintKind Hint;
std::int32_t HintDirection;

namespace {

// The rest of the last solution found, while the Player keeps to it.
std::string Remembered;
bool RememberedValid;
bool Showing;        // Show solution is playing it
bool AwaitingWatch;  // thinking: the stuck watch's search from here is the hint's

}  // namespace

namespace {

// Shows the first move of the remembered solution (none when it is already solved).
void ShowRemembered() {
  if (Remembered.empty()) {
    Hint = HintKind::None;
    return;
  }
  Hint = HintKind::Move;
  HintDirection = MoveDirection(Remembered[0]);
}

void Answered(const SearchResult& answer) {
  Hint = answer.outcome == SearchOutcome::Solved   ? HintKind::Move
         : answer.outcome == SearchOutcome::GaveUp ? HintKind::TooFar
                                                   : HintKind::NoSolution;
  RememberedValid = Hint == HintKind::Move;
  Remembered = answer.moves;
  if (RememberedValid) ShowRemembered();
}

}  // namespace

void ShowHint() {
  if (RememberedValid) {
    ShowRemembered();
    return;
  }
  // The stuck watch searches from every position the Player stops at: where it has answered
  // already, that is the hint, there at once.
  SearchResult known;
  if (WatchedAnswer(PlayLevel, PlayState, &known)) {
    Answered(known);
    return;
  }
  // Without a thread for the hint, a search of its own would only take half of each frame's
  // share from the watch's search of the same position: the hint waits for that one.
  if (!platform::BackgroundThreads() && WatchingPosition(PlayLevel, PlayState)) {
    Hint = HintKind::Thinking;
    AwaitingWatch = true;
    return;
  }
  SearchOptions options;
  options.maxStates = PositionStateLimit;
  Ask(QuestionKind::Hint, PlayLevel, PlayState, options);
  Hint = HintKind::Thinking;
  KeepThinking();
}

void KeepThinking() {
  if (Hint != HintKind::Thinking) return;
  if (AwaitingWatch) {
    SearchResult known;
    if (WatchedAnswer(PlayLevel, PlayState, &known)) {
      AwaitingWatch = false;
      Answered(known);
    } else if (!WatchingPosition(PlayLevel, PlayState)) {
      AwaitingWatch = false;  // the watch was turned off: the hint searches for itself
      ShowHint();
    }
    return;
  }
  WorkOnQuestion();
  SearchResult answer;
  if (!TakeAnswer(QuestionKind::Hint, &answer)) {
    if (Asking() != QuestionKind::Hint) Hint = HintKind::None;  // the question was dropped
    return;
  }
  Answered(answer);
}

void NoteMoveForHint(std::int32_t direction) {
  CancelQuestion(QuestionKind::Hint);
  Hint = HintKind::None;
  AwaitingWatch = false;
  if (RememberedValid && !Remembered.empty() && MoveDirection(Remembered[0]) == direction) {
    Remembered.erase(0, 1);
    if (Showing) AttemptHelped = 1;
  } else {
    RememberedValid = false;
    Showing = false;
  }
}

void ForgetHint() {
  CancelQuestion(QuestionKind::Hint);
  Hint = HintKind::None;
  AwaitingWatch = false;
  RememberedValid = false;
  Showing = false;
}

void ShowSolution() {
  Showing = true;
  ShowHint();
}

bool ShowingSolution() {
  return Showing;
}

std::int32_t SolutionMove() {
  if (!Showing) return 0;
  if (Hint == HintKind::None && RememberedValid && !PlayState.solved) ShowRemembered();
  if (Hint == HintKind::Move) return HintDirection;
  // Over: solved, or no solution to be had (the hint's text says so).
  if (Hint != HintKind::Thinking) Showing = false;
  return 0;
}

void StopSolution() {
  Showing = false;
}

std::string HintText() {
  if (Showing) return "Showing the solution \xC2\xB7 any key stops";
  switch (Hint) {
    case HintKind::Move: {
      const char* names[] = {"", "left", "up", "right", "down"};
      return std::string("Hint: ") + names[HintDirection];
    }
    case HintKind::NoSolution:
      return "No solution from here: Z to undo";
    case HintKind::TooFar:
      return "No hint: the solution is too far to find";
    case HintKind::Thinking:
      return "Thinking\xE2\x80\xA6";
    default:
      return "";
  }
}

void ResetHintState() {
  Hint = HintKind::None;
  HintDirection = 0;
  Remembered.clear();
  RememberedValid = false;
  Showing = false;
  AwaitingWatch = false;
}
