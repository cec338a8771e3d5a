// Puzzles without end: a generator that designs a board, places the Player, balls and platforms,
// and improves them move by move, keeping only what the search proves solvable and grading it
// by the level's measures (midend/measures.h).
//
// The same grade and seed give the same 300-byte level on every platform: the generator's only
// randomness is midend/random.h, its decisions use integers only, and the search it asks is the
// game's. A puzzle's name (`hard-7Q3K2`) is its grade and seed, so a name stands for one level
// only as long as the generator stays as it is: GeneratorVersion counts its changes.
//
// Like a search, a generation runs in slices (Run with a budget of states), beside the frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "board/level_file.h"
#include "midend/measures.h"

inline constexpr int GeneratorVersion = 1;

enum class Grade : std::uint8_t { Easy, Medium, Hard, Expert };
inline constexpr int GradeCount = 4;

// What a grade promises, by the measures of the shipped levels: Easy plays like levels 1 and 2,
// Medium like 3 and 4, Hard like 5, Expert beyond every shipped level.
struct GradeBand {
  int parLow, parHigh;
  int carriesLow, carriesHigh;
  int platformsMovedLow, platformsMovedHigh;
  int ballsLow, ballsHigh;          // balls placed
  int platformsLow, platformsHigh;  // platforms placed
};
const GradeBand& BandOf(Grade grade);

// "easy", "medium", "hard", "expert".
const char* GradeName(Grade grade);
bool GradeNamed(const std::string& name, Grade* grade);

// Seeds run 0..MaxSeed; a name shows one in Crockford's base 32, five digits.
inline constexpr std::uint64_t MaxSeed = (std::uint64_t(1) << 25) - 1;
std::string PuzzleName(Grade grade, std::uint64_t seed);
bool ParsePuzzleName(const std::string& name, Grade* grade, std::uint64_t* seed);
// The daily puzzle's seed: the day (year, month 1..12, day 1..31, UTC), mixed.
std::uint64_t DailySeed(int year, int month, int day);

struct Puzzle {
  Grade grade = Grade::Easy;
  std::uint64_t seed = 0;
  std::uint8_t record[LevelRecordSize] = {};
  LevelMeasures measures;
  std::string moves;  // a shortest solution
};

class Generator {
 public:
  Generator();
  ~Generator();
  Generator(const Generator&) = delete;
  Generator& operator=(const Generator&) = delete;

  void Start(Grade grade, std::uint64_t seed);
  // Works for up to `budget` more states of search; true once the puzzle is made.
  bool Run(std::uint64_t budget);
  // How far it has come, in thousandths (a guess: it may finish sooner).
  int Progress() const;
  const Puzzle& puzzle() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// Makes a whole puzzle at once.
Puzzle GeneratePuzzle(Grade grade, std::uint64_t seed);
