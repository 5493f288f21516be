// The portable window rules: twips to pixels, Tab order, focus and access
// keys, on the design of Root.
#include <gtest/gtest.h>

#include "app/root_design.h"
#include "platform/common/form_geometry.h"

namespace merkwandel::testing {
namespace {

using app::IndexOf;
using app::RootControl;

struct TwipsCase {
  int twips;
  int dpi;
  int pixels;
};

class TwipsTest : public ::testing::TestWithParam<TwipsCase> {};

TEST_P(TwipsTest, RoundsToTheNearestPixel) {
  EXPECT_EQ(forms::TwipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels)
      << GetParam().twips << " twips at " << GetParam().dpi;
}

INSTANTIATE_TEST_SUITE_P(
    Conversions, TwipsTest,
    ::testing::Values(TwipsCase{6915, 96, 461}, TwipsCase{4485, 96, 299}, TwipsCase{15, 96, 1},
                      TwipsCase{550, 96, 37},  // 36.67
                      TwipsCase{7, 96, 0}, TwipsCase{8, 96, 1},  // 0.47 and 0.53
                      TwipsCase{1440, 120, 120}, TwipsCase{6915, 120, 576},
                      TwipsCase{4485, 144, 449},  // 448.5: a half goes up
                      TwipsCase{-8, 96, -1}, TwipsCase{0, 192, 0},
                      TwipsCase{2000000000, 192, 266666667}));  // no overflow

std::vector<bool> DesignEnabled() {
  std::vector<bool> enabled;
  for (const auto& control : app::RootDesign().controls) enabled.push_back(control.enabled);
  return enabled;
}

std::string NameAt(std::optional<std::size_t> index) {
  return index ? app::RootDesign().controls[*index].name : "<none>";
}

TEST(TabOrderTest, FollowsTheTabIndexAndPutsImage1Last) {
  std::vector<std::string> names;
  for (std::size_t i : forms::TabOrder(app::RootDesign())) names.push_back(NameAt(i));
  EXPECT_EQ(names, (std::vector<std::string>{"Label1", "bHypertext", "tHypertext", "Label2",
                                             "bFavoriten", "tFavoriten", "bStarten", "Picture1",
                                             "Label3", "tTemp", "DirLocal", "DirFiles", "Image1"}));
}

TEST(TabOrderTest, TabVisitsTheFiveInputControlsAndGoesRound) {
  const auto& design = app::RootDesign();
  const auto enabled = DesignEnabled();
  std::vector<std::string> forward;
  std::optional<std::size_t> at;
  for (int i = 0; i < 6; ++i) forward.push_back(NameAt(at = forms::NextTabStop(design, enabled, at)));
  EXPECT_EQ(forward, (std::vector<std::string>{"bHypertext", "tHypertext", "bFavoriten", "tFavoriten",
                                               "bStarten", "bHypertext"}));
  EXPECT_EQ(NameAt(forms::NextTabStop(design, enabled, IndexOf(RootControl::bHypertext), false)),
            "bStarten");
  EXPECT_EQ(NameAt(forms::NextTabStop(design, enabled, IndexOf(RootControl::tFavoriten), false)),
            "bFavoriten");
  // Labels, the disabled Picture1, Image1 and the hidden controls never
  // take the focus; nor does a label inside a disabled container.
  for (RootControl never : {RootControl::Label1, RootControl::Picture1, RootControl::Label3,
                            RootControl::tTemp, RootControl::DirLocal, RootControl::DirFiles,
                            RootControl::Image1}) {
    EXPECT_FALSE(forms::CanTakeFocus(design, enabled, IndexOf(never))) << NameAt(IndexOf(never));
  }
}

TEST(TabOrderTest, DisabledControlsAreSkipped) {
  const auto& design = app::RootDesign();
  auto enabled = DesignEnabled();
  enabled[IndexOf(RootControl::bStarten)] = false;
  enabled[IndexOf(RootControl::bHypertext)] = false;
  EXPECT_EQ(NameAt(forms::NextTabStop(design, enabled, std::nullopt)), "tHypertext");
  EXPECT_EQ(NameAt(forms::NextTabStop(design, enabled, IndexOf(RootControl::tFavoriten))), "tHypertext");
  for (RootControl input : {RootControl::tHypertext, RootControl::bFavoriten, RootControl::tFavoriten}) {
    enabled[IndexOf(input)] = false;
  }
  EXPECT_EQ(forms::NextTabStop(design, enabled, std::nullopt), std::nullopt);
}

struct AccessKeyCase {
  const char* text;
  char key;
};

class AccessKeyTest : public ::testing::TestWithParam<AccessKeyCase> {};

TEST_P(AccessKeyTest, IsTheLetterAfterASingleAmpersand) {
  EXPECT_EQ(forms::AccessKey(GetParam().text), GetParam().key) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Texts, AccessKeyTest,
                         ::testing::Values(AccessKeyCase{"&Lesezeichendatei von Firefox:", 'L'},
                                           AccessKeyCase{"Favoriten&ordner", 'O'},
                                           AccessKeyCase{"Tom && Jerry", 0},
                                           AccessKeyCase{"Tom &&&Jerry", 'J'},
                                           AccessKeyCase{"Ende&", 0}, AccessKeyCase{"", 0},
                                           AccessKeyCase{"Starten", 0}));

TEST(AccessKeyTargetTest, MovesToTheNextControlThatTakesTheFocus) {
  const auto& design = app::RootDesign();
  auto enabled = DesignEnabled();
  EXPECT_EQ(NameAt(forms::AccessKeyTarget(design, enabled, 'l')), "bHypertext");
  EXPECT_EQ(NameAt(forms::AccessKeyTarget(design, enabled, 'F')), "bFavoriten");
  EXPECT_EQ(forms::AccessKeyTarget(design, enabled, 'S'), std::nullopt);  // buttons carry no "&"
  enabled[IndexOf(RootControl::bFavoriten)] = false;
  EXPECT_EQ(NameAt(forms::AccessKeyTarget(design, enabled, 'F')), "tFavoriten");
}

}  // namespace
}  // namespace merkwandel::testing
