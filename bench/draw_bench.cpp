// One full board frame drawn the way the play frame draws it: every cell's water tile, a land
// tile over each, nine platforms and the Player, all through the BOB operations into BackBuffer.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "app/program_state.h"
#include "gfx/bob.h"
#include "gfx/display.h"

namespace {

// A sheet of w x h cells with grid lines; each cell a filled square on a black ground, so that
// the colour key has work to do.
BitmapFile MakeSheet(int cell, int columns, int rows) {
  BitmapFile sheet{};
  const int w = (cell + 1) * columns + 1;
  const int h = (cell + 1) * rows + 1;
  sheet.infoHeader.width = w;
  sheet.infoHeader.height = h;
  sheet.infoHeader.bitCount = 24;
  sheet.pixels.assign(std::size_t(w) * std::size_t(h) * 3, 0);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int cx = x % (cell + 1);
      const int cy = y % (cell + 1);
      if (cx < cell / 8 || cy < cell / 8 || cx > cell - cell / 8 || cy > cell - cell / 8) continue;
      std::uint8_t* p = &sheet.pixels[3 * (std::size_t(y) * std::size_t(w) + std::size_t(x))];
      p[0] = std::uint8_t(x * 7);
      p[1] = std::uint8_t(y * 5);
      p[2] = std::uint8_t(x + y + 1);
    }
  }
  return sheet;
}

struct Board {
  Bob water{};
  Bob land{};
  Bob platforms[9]{};
  Bob player{};
};

void Make(Bob* bob, const BitmapFile& sheet, int size, int column, int row) {
  CreateBob(bob, 0, 0, size, size, 1, 0x11, 0);
  LoadBobFrame(bob, &sheet, 0, column, row, 0);
  bob->attributes |= BobVisible;
}

void DrawFullBoard(benchmark::State& state) {
  ResetProgramState();
  if (DisplayInit(800, 600, 32) == 0) {
    state.SkipWithError("no display");
    return;
  }
  const BitmapFile pieces = MakeSheet(40, 8, 2);
  const BitmapFile boats = MakeSheet(120, 3, 3);
  Board b;
  Make(&b.land, pieces, 40, 0, 0);
  Make(&b.water, pieces, 40, 0, 1);
  Make(&b.player, pieces, 40, 2, 0);
  for (int k = 0; k < 9; ++k) Make(&b.platforms[k], boats, 120, k / 3, k % 3);

  for (auto _ : state) {
    for (int c = 0; c < 14; ++c) {
      for (int r = 0; r < 14; ++r) {
        SetBobPosition(&b.water, 40 * c, 40 * r);
        DrawBob(&b.water, BackBuffer);
        SetBobPosition(&b.land, 40 * c, 40 * r);
        DrawBob(&b.land, BackBuffer);
      }
    }
    for (int k = 0; k < 9; ++k) {
      SetBobPosition(&b.platforms[k], 40 * (k % 3) * 4 + 20, 40 * (k / 3) * 4 + 20);
      DrawBob(&b.platforms[k], BackBuffer);
    }
    SetBobPosition(&b.player, 276, 280);
    DrawBob(&b.player, BackBuffer);
    benchmark::DoNotOptimize(BackBuffer->pixels.data());
    benchmark::ClobberMemory();
  }
  ResetProgramState();
}
BENCHMARK(DrawFullBoard)->Unit(benchmark::kMicrosecond);

}  // namespace
