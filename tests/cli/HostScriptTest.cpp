#include <gtest/gtest.h>

#include "cli/HostScript.h"

namespace om6211::cli {
namespace {

ScriptCall onlyCall(std::string_view line) {
  ParsedScript parsed = parseHostScript(line);
  EXPECT_FALSE(parsed.error) << line << ": " << parsed.error->message;
  EXPECT_EQ(parsed.calls.size(), 1u) << line;
  return parsed.calls.empty() ? ScriptCall{} : parsed.calls[0];
}

TEST(HostScriptTest, EveryCommandParsesIntoItsCallAndSlots) {
  const std::string pattern(128, 'f');
  struct Case {
    std::string line;
    ScriptCommand command;
    std::vector<uint32_t> numbers;
    std::string text;
  };
  const std::vector<Case> cases = {
      {"DLL_GetInfo", ScriptCommand::GetInfo, {}, ""},
      {"LCD_SetIOPropertys \"378\" 1 2 14 6 84 48 1 1 255",
       ScriptCommand::SetIOPropertys,
       {1, 2, 14, 6, 84, 48, 1, 1, 255},
       "378"},
      {"LCD_Init", ScriptCommand::Init, {}, ""},
      {"LCD_CleanUp", ScriptCommand::CleanUp, {}, ""},
      {"LCD_IsReadyToReceive", ScriptCommand::IsReadyToReceive, {}, ""},
      {"LCD_SendToController 7", ScriptCommand::SendToController, {7}, ""},
      {"LCD_Customize 1 2 3 4 5", ScriptCommand::Customize, {1, 2, 3, 4, 5}, ""},
      {"LCD_GetCGRAMChar 200", ScriptCommand::GetCGRAMChar, {200}, ""},
      {"LCD_SetOutputAddress 3 -1", ScriptCommand::SetOutputAddress, {3, 0xFFFFFFFF}, ""},
      {"LCD_SendToMemory 0xC9", ScriptCommand::SendToMemory, {0xC9}, ""},
      {"LCD_SetCGRAMChar 5 " + pattern, ScriptCommand::SetCGRAMChar, {5}, ""},
      {"LCD_SendToGfxMemory \"my pic.png\" 0 0 83 47 0",
       ScriptCommand::SendToGfxMemory,
       {0, 0, 83, 47, 0},
       "my pic.png"},
  };
  for (const Case& c : cases) {
    const ScriptCall call = onlyCall(c.line);
    EXPECT_EQ(call.command, c.command) << c.line;
    EXPECT_EQ(call.numbers, c.numbers) << c.line;
    EXPECT_EQ(call.text, c.text) << c.line;
    EXPECT_EQ(exportedName(call.command), c.line.substr(0, c.line.find(' '))) << c.line;
  }
}

TEST(HostScriptTest, QuotedPortTextsKeepBlanksEscapesAndEmptiness) {
  struct Case {
    std::string token;
    std::string text;
  };
  for (const Case& c : {Case{"\"\"", ""}, Case{"\" 378\"", " 378"}, Case{"\"37Q\"", "37Q"},
                        Case{"378", "378"}, Case{"\"a\\\"b\\\\c\"", "a\"b\\c"}}) {
    const ScriptCall call = onlyCall("LCD_SetIOPropertys " + c.token + " 0 0 0 0 0 0 0 0 0");
    EXPECT_EQ(call.text, c.text) << c.token;
  }
}

TEST(HostScriptTest, NumbersFillWholeSlots) {
  struct Case {
    std::string token;
    uint32_t slot;
  };
  for (const Case& c :
       {Case{"256", 256}, Case{"0x1ff", 0x1FF}, Case{"0XFFFFFFFF", 0xFFFFFFFF},
        Case{"-2147483648", 0x80000000}, Case{"4294967295", 0xFFFFFFFF}, Case{"-0", 0}}) {
    EXPECT_EQ(onlyCall("LCD_SendToMemory " + c.token).numbers.at(0), c.slot) << c.token;
  }
}

TEST(HostScriptTest, PatternBytesAreReadInOrder) {
  std::string pattern = "00ff1A";
  pattern.resize(128, '0');
  const ScriptCall call = onlyCall("LCD_SetCGRAMChar 5 " + pattern);
  EXPECT_EQ(call.pattern[0], 0x00);
  EXPECT_EQ(call.pattern[1], 0xFF);
  EXPECT_EQ(call.pattern[2], 0x1A);
  EXPECT_EQ(call.pattern[63], 0x00);
}

TEST(HostScriptTest, BlankLinesCommentsAndLineEndsAreSkippedButCounted) {
  const ParsedScript parsed =
      parseHostScript("# a comment\r\n\n   \t\n  # indented comment\nLCD_Init\r\nLCD_CleanUp");
  ASSERT_FALSE(parsed.error);
  ASSERT_EQ(parsed.calls.size(), 2u);
  EXPECT_EQ(parsed.calls[0].line, 5u);
  EXPECT_EQ(parsed.calls[1].line, 6u);
}

TEST(HostScriptTest, MistakesNameTheirLineAndStopTheCheck) {
  struct Case {
    std::string line;
    std::string messagePart;
  };
  const std::vector<Case> cases = {
      {"LCD_Foo", "unknown command 'LCD_Foo'"},
      {"lcd_init", "unknown command"},
      {"LCD_Init 1", "takes 0 argument(s), 1 given"},
      {"LCD_SetOutputAddress 1", "takes 2 argument(s), 1 given"},
      {"LCD_SendToMemory 12abc", "'12abc' is not a number"},
      {"LCD_SendToMemory 0x", "is not a number"},
      {"LCD_SendToMemory 4294967296", "is not a number"},
      {"LCD_SendToMemory -2147483649", "is not a number"},
      {"LCD_SendToMemory 0x100000000", "is not a number"},
      {"LCD_SendToMemory +5", "is not a number"},
      {"LCD_SendToMemory \"5\"", "is not a number"},
      {"LCD_SetCGRAMChar 1 00ff", "exactly 128 hexadecimal digits"},
      {"LCD_SetCGRAMChar 1 " + std::string(127, '0') + "g", "exactly 128 hexadecimal digits"},
      {"LCD_SetIOPropertys \"378 0 0 0 0 0 0 0 0 0", "unterminated quoted text"},
      {"LCD_SetIOPropertys \"3\\78\" 0 0 0 0 0 0 0 0 0", "unknown escape"},
      {"LCD_SetIOPropertys \"378\"x 0 0 0 0 0 0 0 0 0", "after a closing quote"},
      {"LCD_SetIOPropertys 37\"8\" 0 0 0 0 0 0 0 0 0", "quote inside"},
      {"LCD_Init # trailing", "takes 0 argument(s)"},
  };
  for (const Case& c : cases) {
    const ParsedScript parsed = parseHostScript("LCD_Init\n# fine\n" + c.line + "\nLCD_Foo\n");
    ASSERT_TRUE(parsed.error) << c.line;
    EXPECT_EQ(parsed.error->line, 3u) << c.line;
    EXPECT_NE(parsed.error->message.find(c.messagePart), std::string::npos)
        << c.line << " -> " << parsed.error->message;
  }
}

}  // namespace
}  // namespace om6211::cli
