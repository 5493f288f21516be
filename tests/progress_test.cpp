// How far a run is, in the window's caption, for each reader and each way a
// run ends: the percentages rise, at most one each tenth of a second but
// 100 at once, reach 100 only when everything is written, and the caption
// is "Merkwandel" again before the run shows anything or returns.
#include "conversion/conversion_run.h"
#include "tests/allocation_limit.h"
#include "tests/conversion_fixture.h"

namespace merkwandel::testing {
namespace {

struct Row {
  const char* name;
  const char* source;  // in C:\Lesezeichen: 500 bookmarks each, "leer.html" none, "gross.html" one more of 1 MiB
  const char* end;     // behind the rising percentages: "100 " when read to the end, then what came
  std::size_t closeAt = 0, readFailsAfter = 0, memory = 0;  // the pump that closes the window; faults
  bool failAfter = false;  // memory runs out at the first pump once 100 % shows, outside the readers
};

class ProgressTest : public ConversionFixture, public ::testing::WithParamInterface<Row> {};

TEST_P(ProgressTest, RisesToTheEndAndGivesTheCaptionBack) {
  const Row& row = GetParam();
  WriteEachKind(Host("Lesezeichen"), 500, 300);  // Bookmarks and AccountBookmarks: a pair, read together
  WriteHostFile(Host("Lesezeichen/gross.html"), ReadHostFile(Host("Lesezeichen/bookmarks.html")) +
                                                  "<DT><A HREF=\"http://g/\" ICON=\"" + std::string(1 << 20, 'Q') + "\">G</A>\n");
  WriteHostFile(Host("Lesezeichen/leer.html"), std::string(3000, '\n'));
  root_.SetText(app::Field::tHypertext, std::string("C:\\Lesezeichen\\") + row.source);
  if (row.readFailsAfter) files_.readFault = [&](const std::string&) { return std::optional(row.readFailsAfter); };
  std::size_t writtenAt100 = 0;
  std::vector<int> shown;
  ui_.onPump = [&] {
    if (row.failAfter && !shown.empty() && shown.back() == 100) throw std::bad_alloc();
    return ui_.WaitForEvent(0.013), ui_.pumps != row.closeAt;
  };
  std::string end;
  double last = ui_.VirtualTime();
  ui_.onProgress = [&](const platform::host::ShownProgress& p) {
    if (!p.percent) return void(end += p.caption + " ");
    EXPECT_EQ(p.caption, "Merkwandel – " + std::to_string(*p.percent) + " %");
    EXPECT_TRUE(shown.empty() || *p.percent > shown.back()) << *p.percent;
    EXPECT_TRUE(*p.percent == 100 || ui_.VirtualTime() - last >= 0.1) << *p.percent;
    shown.push_back(*p.percent);
    last = ui_.VirtualTime();
    if (*p.percent == 100) writtenAt100 = TargetFiles().size();
  };
  ui_.onMessage = [&](const auto&) { end += "message "; };
  auto limit = row.memory ? std::make_unique<AllocationLimit>(row.memory) : nullptr;
  conversion::RunConversion(root_);
  limit.reset();
  EXPECT_GE(shown.size(), 3u);
  EXPECT_EQ(ui_.pointer, platform::MousePointer::kDefault);
  EXPECT_TRUE(root_.Enabled(app::Control::bStarten) && root_.Enabled(app::Control::tFavoriten));
  EXPECT_EQ((!shown.empty() && shown.back() == 100 ? "100 " : "") + end, row.end);
  EXPECT_EQ(writtenAt100, shown.empty() || shown.back() < 100 ? 0 : TargetFiles().size());  // once all is written
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ProgressTest,
    ::testing::Values(Row{"Html", "bookmarks.html", "100 Merkwandel message "},
                      Row{"Places", "places.sqlite", "100 Merkwandel message "},
                      Row{"ChromiumPair", "Bookmarks", "100 Merkwandel message "},
                      Row{"WindowClosed", "bookmarks.html", "Merkwandel ", 300},
                      Row{"NothingRead", "leer.html", "100 Merkwandel "},  // no report
                      Row{"ReadErrorPartWay", "bookmarks.html", "Merkwandel message ", 0, 30000},
                      Row{"MemoryRunsOut", "gross.html", "Merkwandel message ", 0, 0, 1 << 19},
                      Row{"MemoryRunsOutAfterReading", "bookmarks.html", "100 Merkwandel ", 0, 0, 0, true}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace merkwandel::testing
