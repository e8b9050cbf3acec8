// Help texts as roff input lines: nothing in them may turn into a request, an escape or a
// character groff cannot show.
#include <gtest/gtest.h>

#include "cli/ManPage.h"

namespace om6211::cli {
namespace {

TEST(ManPageTest, HelpTextsBecomePlainRoffLines) {
  const struct {
    const char* text;
    const char* roff;
  } cases[] = {
      {".port 378\n'quoted'\n", "\\&.port 378\n\\&'quoted'"},  // would read as requests
      {"C:\\host --port", "C:\\ehost \\-\\-port"},             // escape character, options
      {"one\n\n  two", "one\n.PP\n  two"},                     // paragraph break
      {"14 \u00d7 6 \u015e", "14 \\[u00D7] 6 \\[u015E]"},      // beyond ASCII
      {"cut \xC5", "cut \\[u00C5]"},                           // a sequence cut short
  };
  for (const auto& c : cases) EXPECT_EQ(roffText(c.text), c.roff) << c.text;
}

}  // namespace
}  // namespace om6211::cli
