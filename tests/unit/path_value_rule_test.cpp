// The emptiness test and the trailing-semicolon toggle, under single- and double-byte code pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "fake_platform.h"
#include "path_value_rule.h"

namespace {

struct RuleCase {
    const char* name;
    FakeCodePage codePage;
    std::string text;
    bool empty;
    bool toggled;        // false: the toggle must refuse and leave the buffer alone
    std::string result;  // the text after a successful toggle
};

std::string Repeat(char c, size_t count)
{
    return std::string(count, c);
}

const RuleCase kRuleCases[] = {
    {"DirectoryGainsOne", FakeCodePage::SingleByte, "C:\\Windows\\system32", false, true, "C:\\Windows\\system32;"},
    {"OneSemicolonGoes", FakeCodePage::SingleByte, "C:\\Windows;", false, true, "C:\\Windows"},
    {"OnlyTheLastOfTwoGoes", FakeCodePage::SingleByte, "C:\\Windows;;", false, true, "C:\\Windows;"},
    {"SemicolonInsideStays", FakeCodePage::SingleByte, "C:\\a;C:\\b", false, true, "C:\\a;C:\\b;"},
    {"LoneSemicolonBecomesEmpty", FakeCodePage::SingleByte, ";", false, true, ""},
    {"EmptyText", FakeCodePage::SingleByte, "", true, false, ""},
    {"Latin1LetterLast", FakeCodePage::SingleByte, "C:\\caf\xE9", false, true, "C:\\caf\xE9;"},
    {"HighByteIsNoLeadInSingleByte", FakeCodePage::SingleByte, "\x81", false, true, "\x81;"},
    {"FillsBufferExactly", FakeCodePage::SingleByte, Repeat('a', 258), false, true, Repeat('a', 258) + ";"},
    {"FullBufferLosesSemicolon", FakeCodePage::SingleByte, Repeat('a', 258) + ";", false, true, Repeat('a', 258)},
    {"NoRoomForSemicolon", FakeCodePage::SingleByte, Repeat('a', 259), false, false, ""},
    // Double-byte: 0x81 is a lead byte, and a lead byte before the terminator ends the text.
    {"LoneLeadByteIsEmpty", FakeCodePage::DoubleByte, "\x81", true, false, ""},
    {"DoubleByteCharacterGainsOne", FakeCodePage::DoubleByte, "C:\\\x93\xFA\x96\x7B", false, true,
     "C:\\\x93\xFA\x96\x7B;"},
    {"DoubleByteThenSemicolon", FakeCodePage::DoubleByte, "C:\\\x93\xFA;", false, true, "C:\\\x93\xFA"},
    {"TrailByteThatLooksLikeLead", FakeCodePage::DoubleByte, "\x81\x81", false, true, "\x81\x81;"},
    {"FinalLeadByteIsNotSemicolon", FakeCodePage::DoubleByte, "ab\x81", false, true, "ab\x81;"},
    {"DoubleByteNoRoom", FakeCodePage::DoubleByte, Repeat('a', 257) + "\x93\xFA", false, false, ""},
};

void PrintTo(const RuleCase& c, std::ostream* os)
{
    *os << c.name;
}

class PathValueRule : public testing::TestWithParam<RuleCase> {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_P(PathValueRule, EmptinessAndToggle)
{
    const RuleCase& c = GetParam();
    Fake().codePage = c.codePage;

    // Bytes past the terminator are stored with the text, so the rule must leave them alone.
    char value[kValueBufferSize];
    memset(value, 'Z', sizeof value);
    memcpy(value, c.text.c_str(), c.text.size() + 1);
    char before[kValueBufferSize];
    memcpy(before, value, sizeof value);

    EXPECT_EQ(IsPathTextEmpty(value), c.empty);
    if (c.empty) {
        return;
    }
    ASSERT_EQ(ToggleTrailingSemicolon(value), c.toggled);
    if (!c.toggled) {
        EXPECT_EQ(memcmp(value, before, sizeof value), 0) << "a refused toggle changed the buffer";
        return;
    }
    EXPECT_EQ(std::string(value), c.result);
    const size_t untouchedFrom = std::max(c.text.size(), c.result.size()) + 1;
    EXPECT_EQ(memcmp(value + untouchedFrom, before + untouchedFrom, sizeof value - untouchedFrom), 0)
        << "bytes past the terminator changed";
}

INSTANTIATE_TEST_SUITE_P(Cases, PathValueRule, testing::ValuesIn(kRuleCases),
                         [](const testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(PathValueRuleSequence, DoubleSemicolonEndsEmptyAndThenStaysAlone)
{
    ResetFake();
    char value[kValueBufferSize] = "C:\\bin;;";
    ASSERT_TRUE(ToggleTrailingSemicolon(value));
    EXPECT_STREQ(value, "C:\\bin;");
    ASSERT_TRUE(ToggleTrailingSemicolon(value));
    EXPECT_STREQ(value, "C:\\bin");
    ASSERT_TRUE(ToggleTrailingSemicolon(value));
    EXPECT_STREQ(value, "C:\\bin;");

    char lone[kValueBufferSize] = ";";
    ASSERT_TRUE(ToggleTrailingSemicolon(lone));
    EXPECT_TRUE(IsPathTextEmpty(lone));
}

TEST(PathValueRuleSequence, BufferWithoutTerminatorIsRefused)
{
    ResetFake();
    char value[kValueBufferSize];
    memset(value, 'a', sizeof value);
    EXPECT_FALSE(ToggleTrailingSemicolon(value));
    EXPECT_EQ(value[kValueBufferSize - 1], 'a');
}

}  // namespace
