// Twips as pixels at the screen's dots per inch.
#include "platform/common/form_geometry.h"

#include <gtest/gtest.h>

namespace merkwandel::forms {
namespace {

TEST(TwipsToPixels, RoundsToTheNearestPixelHalvesAwayFromZero) {
  const struct {
    int twips, dpi, pixels;
  } rows[] = {{6915, 96, 461}, {550, 96, 37}, {7, 96, 0}, {8, 96, 1}, {6915, 120, 576},
              {4485, 144, 449}, {-8, 96, -1}, {2000000000, 192, 266666667}};
  for (const auto& row : rows) {
    EXPECT_EQ(TwipsToPixels(row.twips, row.dpi), row.pixels) << row.twips << " twips at " << row.dpi;
  }
}

}  // namespace
}  // namespace merkwandel::forms
