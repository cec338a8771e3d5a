// A figure made of simple shapes, drawn at any size: the Player of the pieces sheet, and the
// program's icon at every size and as SVG, all from the one description.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/art/paint.h"

// Coordinates are those of the 40 x 40 cell with pixel (x, y) centred on (x, y): the cell runs
// from -0.5 to 39.5 both ways.
struct Shape {
  enum Kind : std::uint8_t { Ellipse, Capsule, Box } kind;
  // Ellipse: centre (a, b), radii c and d. Capsule: a segment from (a, b) to (c, d) widened by
  // r. Box: from (a, b) at the top left to (c, d) at the bottom right, edges included.
  double a, b, c, d, r;
};

// True when the point lies in the shape grown by `grow` all round.
bool Covers(const Shape& shape, double x, double y, double grow = 0);

// One colour painted over the points its shapes cover, less those its cut covers, inside its
// clip box.
struct Coat {
  std::vector<Shape> shapes;
  Rgb colour;
  double left = -1e9, top = -1e9, right = 1e9, bottom = 1e9;
  std::vector<Shape> cut;
};

struct Figure {
  std::vector<Shape> body;  // the figure's whole extent
  std::vector<Coat> coats;  // later coats over earlier ones
  Rgb outline;              // a band round the body
  double outlineWidth;
};

const Figure& PlayerFigure();

// The colour of the body at a point: the last coat over it, black under none; nothing off the
// body.
std::optional<Rgb> BodyColourAt(const Figure& figure, double x, double y);
// The same, and the outline colour in the band round the body.
std::optional<Rgb> FigureColourAt(const Figure& figure, double x, double y);
