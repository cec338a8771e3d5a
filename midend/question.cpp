// The one question worked on beside the frames, on a thread or in slices.
#include "midend/question.h"

#include <atomic>
#include <chrono>
#include <thread>

#include "midend/search_bound.h"
#include "platform/platform.h"

namespace {

// The search's memory, kept from question to question.
Search& TheSearch() {
  static Search search;
  return search;
}

QuestionKind Kind = QuestionKind::None;
bool Answered;
bool JustAsked;
bool Awaited;
std::thread Worker;
std::atomic<bool> WorkerDone;

void StopWorker() {
  if (!Worker.joinable()) return;
  TheSearch().Cancel();
  Worker.join();
}

}  // namespace

bool InSlice(const std::function<bool()>& step) {
  constexpr std::uint32_t SliceMs = 4;
  const std::uint32_t start = platform::Ticks();
  for (int k = 0; k < 10; ++k) {
    if (step()) return true;
    if (platform::Ticks() - start >= SliceMs) return false;
  }
  return false;
}

bool RunSlice(Search* search) {
  return InSlice([search] { return search->Run(SliceStates / 10); });
}

void Ask(QuestionKind kind, const Level& level, const GameState& from,
         const SearchOptions& options) {
  CancelQuestion();
  Kind = kind;
  Answered = false;
  JustAsked = true;
  TheSearch().Start(level, from, options);
  if (!platform::BackgroundThreads()) return;
  WorkerDone.store(false);
  Worker = std::thread([] {
    while (!TheSearch().Run(1u << 16)) {
    }
    WorkerDone.store(true);
  });
}

QuestionKind Asking() {
  return Kind;
}

bool WorkOnQuestion() {
  if (Kind == QuestionKind::None) return false;
  if (Answered) return true;
  Awaited = true;
  if (Worker.joinable()) {
    // A moment's wait in the frame that asked, so that a quick answer comes in it, as it always
    // did.
    for (int i = 0; JustAsked && i < 4 && !WorkerDone.load(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    JustAsked = false;
    if (!WorkerDone.load()) return false;
    Worker.join();
  } else if (!RunSlice(&TheSearch())) {
    return false;
  }
  Answered = true;
  return true;
}

bool QuestionAwaited() {
  const bool awaited = Awaited && Kind != QuestionKind::None && !Answered;
  Awaited = false;
  return awaited;
}

bool TakeAnswer(QuestionKind kind, SearchResult* answer) {
  if (Kind != kind || !Answered) return false;
  *answer = TheSearch().result();
  Kind = QuestionKind::None;
  Answered = false;
  return true;
}

void CancelQuestion(QuestionKind kind) {
  if (Kind == QuestionKind::None || (kind != QuestionKind::None && kind != Kind)) return;
  StopWorker();
  Kind = QuestionKind::None;
  Answered = false;
}

void ResetQuestionState() {
  CancelQuestion();
  Awaited = false;
  ForgetSharedPlatformBounds();
}
