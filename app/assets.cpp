#include "app/assets.h"

#include <string>

#include "app/shell.h"
#include "gfx/display.h"
#include "gfx/sprites.h"
#include "input/input.h"
#include "platform/files.h"
#include "platform/platform.h"
#include "sound/sound.h"

std::int32_t WalkSound;
std::int32_t ThumpSound;
std::int32_t CrunchSound;
std::int32_t BifaldSound;
std::int32_t FinishedSound;

namespace {

constexpr std::uint32_t GameBobAttributes = 0x01 | BobVisible;
constexpr std::int32_t TileSize = 40;
constexpr std::int32_t PlatformSize = 120;

void MakeBob(Bob* bob, BitmapFile* sheet, std::int32_t size, std::int32_t column,
             std::int32_t row) {
  CreateBob(bob, 0, 0, size, size, 1, GameBobAttributes, 0);
  LoadBobFrame(bob, sheet, 0, column, row, 0);
}

// The game's files are found wherever it was started from (platform/files.h).
const char* DataPath(const char* name) {
  static std::string path;
  path = platform::GameDataPath(name);
  return path.c_str();
}

void BeepUnless(std::int32_t started) {
  if (!started) platform::Beep();
}

}  // namespace

std::int32_t GameInit() {
  DisplayInit(800, 600, 32);

  // A device that does not start costs a beep, and the game runs without it.
  BeepUnless(InputInit());
  BeepUnless(KeyboardInit());
  BeepUnless(MouseInit());
  BeepUnless(SoundInit());

  WalkSound = LoadWav(DataPath("walk.wav"), 0);
  ThumpSound = LoadWav(DataPath("thump.wav"), 0);
  CrunchSound = LoadWav(DataPath("crunch.wav"), 0);
  BifaldSound = LoadWav(DataPath("bifald.wav"), 0);
  FinishedSound = LoadWav(DataPath("finished.wav"), 0);
  PlaySound(ThumpSound, 0);

  if (!LoadBitmapFile(&PiecesBitmap, DataPath("pieces.bmp"))) ShowMessage("Ingen pieces");
  if (!LoadBitmapFile(&BoatsBitmap, DataPath("boats.bmp"))) ShowMessage("Ingen boats");

  // A BOB whose sheet is missing is still created; it stays unfilled (and shows nothing).
  MakeBob(&LandTileBob, &PiecesBitmap, TileSize, 0, 0);
  MakeBob(&WaterTileBob, &PiecesBitmap, TileSize, 0, 1);
  for (Bob& ball : BallBobs) MakeBob(&ball, &PiecesBitmap, TileSize, 1, 0);
  MakeBob(&PlayerBob, &PiecesBitmap, TileSize, 2, 0);
  for (int k = 0; k < PlatformTypes; ++k) {
    MakeBob(&PlatformBobs[k], &BoatsBitmap, PlatformSize, k / 3, k % 3);
  }
  for (int i = 1; i <= BannerImages; ++i) MakeBob(&BannerBobs[i], &PiecesBitmap, TileSize, i, 1);
  return 1;
}

std::int32_t GameShutdown() {
  DestroyBob(&LandTileBob);
  DestroyBob(&WaterTileBob);
  for (Bob& ball : BallBobs) DestroyBob(&ball);
  for (int i = 1; i <= BannerImages; ++i) DestroyBob(&BannerBobs[i]);
  DestroyBob(&PlayerBob);
  UnloadBitmapFile(&PiecesBitmap);
  for (Bob& platform : PlatformBobs) DestroyBob(&platform);
  UnloadBitmapFile(&BoatsBitmap);

  KeyboardRelease();
  MouseRelease();
  InputShutdown();

  DeleteSound(WalkSound);
  DeleteSound(ThumpSound);
  DeleteSound(CrunchSound);
  DeleteSound(BifaldSound);
  DeleteSound(FinishedSound);
  SoundShutdown();

  // Last: the sprites' surfaces end with the display.
  DisplayShutdown();
  return 1;
}

void ResetAssetState() {
  WalkSound = ThumpSound = CrunchSound = BifaldSound = FinishedSound = 0;
}
