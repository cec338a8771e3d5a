// The game's icon (the web page's, for a phone's home screen): the Player on a raft on the water
// beside a ball on land, painted from the game's own pieces and enlarged by whole pixels as the
// game shows them.

#include "platform/surface.h"
#include "tools/art/art.h"

platform::Surface PaintAppIcon(int side) {
  constexpr int Cells = 3, Base = Cells * PieceSide;
  platform::Surface scene;
  scene.width = scene.height = Base;
  scene.pixels.assign(std::size_t(Base * Base), 0);
  const auto put = [&scene](const platform::Surface& sprite, int x, int y) {
    const platform::Rect to{x, y, x + sprite.width, y + sprite.height};
    platform::Blit(scene, to, sprite, nullptr, true);
  };
  // The sea in the water tile's mean colour: an icon is seen small, and plain areas keep its
  // file small.
  const platform::Surface water = PaintWaterTile();
  std::uint64_t sum[3] = {};
  for (const std::uint32_t p : water.pixels) {
    for (int k = 0; k < 3; ++k) sum[k] += p >> (8 * k) & 0xFF;
  }
  std::uint32_t sea = 0;
  for (int k = 0; k < 3; ++k) sea |= std::uint32_t(sum[k] / water.pixels.size()) << (8 * k);
  scene.pixels.assign(scene.pixels.size(), sea);
  put(PaintLandTile(), 2 * PieceSide, 0);
  put(PaintBall(), 2 * PieceSide, 0);
  // Type 5, the square raft, over the lower left 2 x 2 cells; its box is cut to the scene.
  const platform::Surface raft = PaintPlatform(5);
  const platform::Rect part{0, 0, 2 * PieceSide, 2 * PieceSide};
  platform::Blit(scene, {0, PieceSide, 2 * PieceSide, Base}, raft, &part, true);
  put(PaintPlayer(), PieceSide, PieceSide);
  platform::Surface icon;
  icon.width = icon.height = side;
  icon.pixels.assign(std::size_t(side) * std::size_t(side), 0);
  platform::Blit(icon, {0, 0, side, side}, scene, nullptr, false);
  return icon;
}
