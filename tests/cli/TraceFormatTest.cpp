// The port trace, written and read: the line format byte for byte, and the reader's checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "host/TraceReader.h"
#include "host/TraceWriter.h"
#include "host/TracedPauses.h"
#include "host/TracingPort.h"
#include "panel/VirtualPanel.h"

namespace om6211::cli {
namespace {

std::string writtenTrace(const std::function<void(TraceWriter&)>& write) {
  std::FILE* file = std::tmpfile();
  {
    TraceWriter writer(file, "trace");
    write(writer);
    EXPECT_TRUE(writer.flush()) << writer.problem();
  }
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  std::fclose(file);
  return text;
}

TEST(TraceFormatTest, AShortSequenceIsWrittenByteForByte) {
  const std::string text = writtenTrace([](TraceWriter& writer) {
    panel::VirtualPanel panel;
    TracingPort port(panel, writer);
    TracedPauses pauses(&writer);
    writer.annotate("3: LCD_Init\r\n");
    port.write(0x378, 0x0C);
    pauses.sleep(1);
    port.write(0x378, 0xFE);
    port.write(0x37A, 3);
    port.read(0x220);
    port.write(0x37A, 0);
    port.write(0x3BC, 0x0A);
    pauses.sleep(1000);
  });
  EXPECT_EQ(text,
            "# 3: LCD_Init  \n"
            "out 378 0c\n"
            "sleep 1\n"
            "out 378 fe\n"
            "out 37a 03\n"
            "in 220\n"
            "out 37a 00\n"
            "out 3bc 0a\n"
            "sleep 1000\n");
}

TEST(TraceFormatTest, LongTracesPassThroughTheBufferIntact) {
  constexpr int Count = 300000;  // several buffer fills
  const std::string text = writtenTrace([](TraceWriter& writer) {
    for (int i = 0; i < Count; ++i) {
      writer.append({PortOperation::Kind::Out, 0x37A, static_cast<uint8_t>(i)});
    }
  });
  std::vector<PortOperation> read;
  ASSERT_FALSE(readTrace(text, [&](const PortOperation& op) { read.push_back(op); }));
  ASSERT_EQ(read.size(), static_cast<std::size_t>(Count));
  for (int i = 0; i < Count; i += 9973) EXPECT_EQ(read[i].value, static_cast<uint8_t>(i));
}

TEST(TraceFormatTest, LinesReadBackIntoOperations) {
  struct Case {
    std::string line;
    TraceLine::Kind kind;
    PortOperation operation;
  };
  using K = TraceLine::Kind;
  using Op = PortOperation::Kind;
  const std::vector<Case> cases = {
      {"out 378 0e", K::Operation, {Op::Out, 0x378, 0x0E}},
      {"out 37A F", K::Operation, {Op::Out, 0x37A, 0x0F}},
      {"in 220\r", K::Operation, {Op::In, 0x220, 0}},
      {"sleep 4294967295", K::Operation, {Op::Sleep, 0xFFFFFFFF, 0}},
      {"# line 3: LCD_Init", K::Annotation, {}},
      {"", K::Blank, {}},
  };
  for (const Case& c : cases) {
    const TraceLine line = parseTraceLine(c.line);
    EXPECT_EQ(line.kind, c.kind) << c.line;
    if (c.kind == K::Operation) {
      EXPECT_EQ(line.operation, c.operation) << c.line;
    }
  }
}

TEST(TraceFormatTest, MalformedLinesAreRefused) {
  for (const char* line :
       {"out 378", "out 378 100", "out 378 0e extra", "out xyz 0e", "in", "in -1", "sleep 1.5",
        "sleep 4294967296", "sleep -1", "OUT 378 0e", "write 378 0e", "out 1000000000 00"}) {
    EXPECT_EQ(parseTraceLine(line).kind, TraceLine::Kind::Malformed) << line;
  }
}

TEST(TraceFormatTest, ReaderNamesTheFirstMalformedLine) {
  int operations = 0;
  const auto error = readTrace("out 378 0e\n# note\n\nin 220\nbogus\nout 378 0e\n",
                               [&](const PortOperation&) { ++operations; });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->line, 5u);
  EXPECT_EQ(operations, 2);
}

}  // namespace
}  // namespace om6211::cli
