// The status texts of both languages.
#include "doc_fixture.h"
#include "measure/status_texts.h"

namespace spectrel::testing {
namespace {

TEST(StatusTexts, EveryIdHasItsOwnJapaneseText) {
  for (int id = 61447; id <= 61462; ++id) {
    if (id == 61448 || id == 61454) continue;
    EXPECT_FALSE(MeasureText(id, Language::Japanese).empty()) << id;
    EXPECT_NE(MeasureText(id, Language::Japanese), MeasureText(id, Language::English)) << id;
  }
  EXPECT_EQ(ModelDisplayName(4), "");
}

}  // namespace
}  // namespace spectrel::testing
