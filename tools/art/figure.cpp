// The Player as shapes and coats of colour, and the colour of a figure at any point.
#include "tools/art/figure.h"

#include <algorithm>

namespace {

constexpr Rgb Skin{244, 194, 150};
constexpr Rgb SkinShade{214, 156, 116};
constexpr Rgb Hair{92, 52, 26};
constexpr Rgb ShirtLight{238, 84, 66};
constexpr Rgb Shirt{214, 40, 36};
constexpr Rgb ShirtShade{164, 24, 30};
constexpr Rgb Trousers{150, 26, 34};
constexpr Rgb Shoe{64, 36, 24};
constexpr Rgb FigureOutline{44, 12, 14};

bool AnyCovers(const std::vector<Shape>& shapes, double x, double y, double grow = 0) {
  return std::any_of(shapes.begin(), shapes.end(),
                     [&](const Shape& s) { return Covers(s, x, y, grow); });
}

Shape Oval(double cx, double cy, double rx, double ry) {
  return {Shape::Ellipse, cx, cy, rx, ry, 0};
}
Shape Stroke(double x0, double y0, double x1, double y1, double r) {
  return {Shape::Capsule, x0, y0, x1, y1, r};
}
Shape Block(double left, double top, double right, double bottom) {
  return {Shape::Box, left, top, right, bottom, 0};
}

Figure MakePlayer() {
  const std::vector<Shape> head{Oval(20, 9.5, 5.6, 5.8)};
  const std::vector<Shape> hair{Oval(20, 8.0, 6.2, 5.0), Oval(16.5, 9.5, 2.2, 3.2),
                                Oval(23.5, 9.5, 2.2, 3.2)};  // over the ears too
  const std::vector<Shape> torso{Stroke(17, 18, 23, 18, 3.6), Block(14.5, 18, 25.5, 26.5)};
  const std::vector<Shape> arms{Stroke(13.5, 18, 10.5, 26, 2.3), Stroke(26.5, 18, 29.5, 26, 2.3)};
  const std::vector<Shape> hands{Oval(10.2, 28, 2.2, 2.2), Oval(29.8, 28, 2.2, 2.2)};
  const std::vector<Shape> legs{Stroke(17.2, 27, 16.4, 34.5, 2.6),
                                Stroke(22.8, 27, 23.6, 34.5, 2.6)};
  const std::vector<Shape> shoes{Oval(15.4, 36, 3.3, 1.8), Oval(24.6, 36, 3.3, 1.8)};

  Figure f{{}, {}, FigureOutline, 1.0};
  for (const auto* part : {&head, &hair, &torso, &arms, &hands, &legs, &shoes}) {
    f.body.insert(f.body.end(), part->begin(), part->end());
  }
  // Light from the left: the columns right of the middle are shaded. Bands end half-way between
  // pixel centres.
  auto coat = [&](const std::vector<Shape>& shapes, Rgb colour) -> Coat& {
    f.coats.push_back(Coat{shapes, colour, -1e9, -1e9, 1e9, 1e9, {}});
    return f.coats.back();
  };
  coat(legs, Trousers).right = 19.5;
  coat(legs, Mix(Trousers, ShirtShade, 0.5)).left = 19.5;
  coat(torso, ShirtLight).right = 17.5;
  Coat& middle = coat(torso, Shirt);
  middle.left = 17.5;
  middle.right = 22.5;
  coat(torso, ShirtShade).left = 22.5;
  coat(torso, Mix(Shirt, {90, 20, 20}, 0.6)).top = 24.5;  // the belt
  coat(arms, Shirt).right = 19.5;
  coat(arms, ShirtShade).left = 19.5;
  coat(hands, Skin);
  coat(shoes, Shoe);
  coat(head, Skin).right = 22.5;
  coat(head, SkinShade).left = 22.5;
  coat(hair, Hair).cut = {Oval(20, 11.2, 4.4, 4.4)};  // only the top shows above the face
  // A face: two eyes and a smile, a pixel wide on the sheet.
  coat({Oval(18, 10, 0.55, 0.55), Oval(22, 10, 0.55, 0.55)}, {40, 24, 20});
  coat({Stroke(19, 13, 21, 13, 0.55)}, {170, 80, 70});
  return f;
}

}  // namespace

bool Covers(const Shape& s, double x, double y, double grow) {
  switch (s.kind) {
    case Shape::Ellipse: {
      const double u = (x - s.a) / (s.c + grow), v = (y - s.b) / (s.d + grow);
      return u * u + v * v <= 1;
    }
    case Shape::Capsule: {
      const double dx = s.c - s.a, dy = s.d - s.b;
      const double length2 = dx * dx + dy * dy;
      const double t =
          std::clamp(length2 > 0 ? ((x - s.a) * dx + (y - s.b) * dy) / length2 : 0, 0.0, 1.0);
      const double ex = x - (s.a + t * dx), ey = y - (s.b + t * dy);
      return ex * ex + ey * ey <= (s.r + grow) * (s.r + grow);
    }
    case Shape::Box: {
      const double ex = std::max({s.a - x, 0.0, x - s.c}), ey = std::max({s.b - y, 0.0, y - s.d});
      return ex * ex + ey * ey <= grow * grow;
    }
  }
  return false;
}

const Figure& PlayerFigure() {
  static const Figure player = MakePlayer();
  return player;
}

std::optional<Rgb> BodyColourAt(const Figure& figure, double x, double y) {
  if (!AnyCovers(figure.body, x, y)) return std::nullopt;
  Rgb colour{0, 0, 0};
  for (const Coat& c : figure.coats) {
    if (x >= c.left && x <= c.right && y >= c.top && y <= c.bottom && AnyCovers(c.shapes, x, y) &&
        !AnyCovers(c.cut, x, y)) {
      colour = c.colour;
    }
  }
  return colour;
}

std::optional<Rgb> FigureColourAt(const Figure& figure, double x, double y) {
  if (auto colour = BodyColourAt(figure, x, y)) return colour;
  if (AnyCovers(figure.body, x, y, figure.outlineWidth)) return figure.outline;
  return std::nullopt;
}
