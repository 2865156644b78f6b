// The whole run against the fake: each scenario checks stored values, broadcast, message box and exit status.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "update_run.h"

namespace {

const char kMachineSubkey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kUserSubkey[] = "Environment";
const char kCompleted[] = "Update process is completed.";
const char kFailed[] = "Failed to finish update process.";
constexpr WindowHandle kOwner = 0x4242;
constexpr uint32_t kNoWrite = kKeyAllAccess & ~kKeySetValue;

// A row's starting state: no key, a key without the value, or a value with its exact stored bytes.
struct Row {
    bool keyPresent = true;
    bool valuePresent = true;
    uint32_t type = kTypeExpandString;
    std::vector<uint8_t> bytes;
    uint32_t granted = kKeyAllAccess;
};

Row Text(const std::u16string& text, uint32_t type = kTypeExpandString, uint32_t granted = kKeyAllAccess)
{
    return Row{true, true, type, BytesOf(text + u'\0'), granted};
}

Row Raw(uint32_t type, const std::vector<uint8_t>& bytes)
{
    return Row{true, true, type, bytes, kKeyAllAccess};
}

Row NoValue()
{
    return Row{true, false, kTypeNone, {}, kKeyAllAccess};
}

Row NoKey()
{
    return Row{false, false, kTypeNone, {}, kKeyAllAccess};
}

struct RunCase {
    const char* name;
    FakeCodePage codePage;
    Row machine;
    Row user;
    std::vector<FakeFault> faults;
    // The text each row must hold afterwards, stored as REG_EXPAND_SZ from a 260-byte
    // buffer padded with zeros; nullopt means the row keeps its exact starting state.
    std::optional<std::u16string> machineAfter;
    std::optional<std::u16string> userAfter;
    bool completed;
};

const RunCase kRunCases[] = {
    {"BothWritten", FakeCodePage::SingleByte, Text(u"C:\\Windows\\system32;C:\\Windows"), Text(u"C:\\Users\\me\\bin;"),
     {}, u"C:\\Windows\\system32;C:\\Windows;", u"C:\\Users\\me\\bin", true},
    {"MachineEmpty", FakeCodePage::SingleByte, Text(u""), Text(u"C:\\bin"), {}, std::nullopt, u"C:\\bin;", true},
    {"BothEmpty", FakeCodePage::SingleByte, Text(u""), Text(u""), {}, std::nullopt, std::nullopt, true},
    {"MachineNotWritable", FakeCodePage::SingleByte, Text(u"C:\\Windows", kTypeExpandString, kNoWrite),
     Text(u"C:\\bin"), {}, std::nullopt, std::nullopt, false},
    {"UserNotWritableAfterMachine", FakeCodePage::SingleByte, Text(u"C:\\Windows"),
     Text(u"C:\\bin", kTypeExpandString, kNoWrite), {}, u"C:\\Windows;", std::nullopt, false},
    {"UserStringBecomesExpandString", FakeCodePage::SingleByte, Text(u"C:\\Windows"), Text(u"C:\\bin", kTypeString),
     {}, u"C:\\Windows;", u"C:\\bin;", true},
    // The shorter user text must not carry the machine text's bytes along after its terminator.
    {"TailIsZerosNotTheOtherRow", FakeCodePage::SingleByte,
     Text(u"C:\\Program Files\\Very Long Directory Name\\bin"), Text(u"C:\\u"), {},
     u"C:\\Program Files\\Very Long Directory Name\\bin;", u"C:\\u;", true},
    {"MachineKeyMissing", FakeCodePage::SingleByte, NoKey(), Text(u"C:\\bin"), {}, std::nullopt, u"C:\\bin;", true},
    // The buffer still holds the machine text when the user read finds nothing; it must not be written.
    {"UserValueMissing", FakeCodePage::SingleByte, Text(u"C:\\Windows"), NoValue(), {}, u"C:\\Windows;", std::nullopt,
     true},
    {"MachineDword", FakeCodePage::SingleByte, Raw(kTypeDword, {0x3B, 0, 0, 0}), Text(u"C:\\bin"), {}, std::nullopt,
     u"C:\\bin;", true},
    {"MachineBinary", FakeCodePage::SingleByte, Raw(kTypeBinary, {'C', ':', ';', 0}), Text(u"C:\\bin"), {},
     std::nullopt, u"C:\\bin;", true},
    {"MachineMultiString", FakeCodePage::SingleByte, Raw(kTypeMultiString, BytesOf(std::u16string(u"C:\\a\0C:\\b\0\0", 11))),
     Text(u"C:\\bin"), {}, std::nullopt, u"C:\\bin;", true},
    {"MachineTooLong", FakeCodePage::SingleByte, Text(std::u16string(400, u'a')), Text(u"C:\\bin"), {}, std::nullopt,
     u"C:\\bin;", true},
    {"MachineFullWithoutTerminator", FakeCodePage::SingleByte, Raw(kTypeExpandString, BytesOf(std::u16string(260, u'a'))),
     Text(u"C:\\bin"), {}, std::nullopt, u"C:\\bin;", true},
    {"NoRoomForSemicolon", FakeCodePage::SingleByte, Text(std::u16string(259, u'a')), Text(u"C:\\bin"), {},
     std::nullopt, u"C:\\bin;", true},
    {"FullTextLosesSemicolon", FakeCodePage::SingleByte, Text(std::u16string(258, u'a') + u";"), Text(u"C:\\bin"), {},
     std::u16string(258, u'a'), u"C:\\bin;", true},
    {"DoubleSemicolonLosesOne", FakeCodePage::SingleByte, Text(u"C:\\Windows;;"), Text(u";"), {}, u"C:\\Windows;", u"",
     true},
    {"LetterTheCodePageLacksIsLeftAlone", FakeCodePage::SingleByte, Text(u"C:\\Caf\u00E9"), Text(u"C:\\\u0141\u00F3d\u017A"),
     {}, u"C:\\Caf\u00E9;", std::nullopt, true},
    {"JapanesePathUnderDoubleByte", FakeCodePage::DoubleByte, Text(u"C:\\\u65E5\u672C\\bin"), Text(u"C:\\\uFF71;"), {},
     u"C:\\\u65E5\u672C\\bin;", u"C:\\\uFF71", true},
    {"JapanesePathUnderSingleByteIsLeftAlone", FakeCodePage::SingleByte, Text(u"C:\\\u65E5\u672C"), Text(u"C:\\bin"),
     {}, std::nullopt, u"C:\\bin;", true},
    {"MachineSetFails", FakeCodePage::SingleByte, Text(u"C:\\Windows"), Text(u"C:\\bin"),
     {{FakeCall::Set, 1, kStatusAccessDenied}}, std::nullopt, std::nullopt, false},
    {"UserSetFails", FakeCodePage::SingleByte, Text(u"C:\\Windows"), Text(u"C:\\bin"),
     {{FakeCall::Set, 2, kStatusAccessDenied}}, u"C:\\Windows;", std::nullopt, false},
    {"MachineReadFailsUserStillDone", FakeCodePage::SingleByte, Text(u"C:\\Windows"), Text(u"C:\\bin"),
     {{FakeCall::Query, 1, kStatusAccessDenied}}, std::nullopt, u"C:\\bin;", true},
    {"BroadcastFailureIsIgnored", FakeCodePage::SingleByte, Text(u"C:\\Windows"), Text(u"C:\\bin"),
     {{FakeCall::Broadcast, 0, kStatusSuccess}}, u"C:\\Windows;", u"C:\\bin;", true},
};

void Install(RegistryKey root, const char* subkey, const Row& row)
{
    if (!row.keyPresent) {
        return;
    }
    AddKey(root, subkey, row.granted);
    if (row.valuePresent) {
        PutRawValue(root, subkey, "Path", row.type, row.bytes);
    }
}

void ExpectRow(RegistryKey root, const char* subkey, const Row& before, const std::optional<std::u16string>& after,
               const char* label)
{
    SCOPED_TRACE(label);
    const FakeValue* value = FindValue(root, subkey, "Path");
    if (!after.has_value()) {
        if (!before.valuePresent) {
            EXPECT_EQ(value, nullptr);
            return;
        }
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->type, before.type);
        EXPECT_EQ(value->bytes, before.bytes) << "a row that must stay untouched changed";
        return;
    }
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, kTypeExpandString);
    std::string padded = WideToAnsi(*after);
    padded.resize(260, '\0');
    EXPECT_EQ(value->bytes, BytesOf(AnsiToWide(padded)));
    // Through the ANSI view the stored data is exactly 260 bytes.
    EXPECT_EQ(WideToAnsi(UnitsOf(value->bytes)).size(), 260u);
}

void PrintTo(const RunCase& c, std::ostream* os)
{
    *os << c.name;
}

class UpdateRun : public testing::TestWithParam<RunCase> {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_P(UpdateRun, Scenario)
{
    const RunCase& c = GetParam();
    Fake().codePage = c.codePage;
    Fake().activeWindow = kOwner;
    Install(kLocalMachineRoot, kMachineSubkey, c.machine);
    Install(kCurrentUserRoot, kUserSubkey, c.user);
    Fake().faults = c.faults;

    const int status = RunUpdate();

    EXPECT_EQ(status, c.completed ? 1 : 0);
    ExpectRow(kLocalMachineRoot, kMachineSubkey, c.machine, c.machineAfter, "machine");
    ExpectRow(kCurrentUserRoot, kUserSubkey, c.user, c.userAfter, "user");

    if (c.completed) {
        ASSERT_EQ(Fake().broadcasts.size(), 1u);
        const FakeBroadcast& sent = Fake().broadcasts[0];
        EXPECT_EQ(sent.window, kBroadcastWindow);
        EXPECT_EQ(sent.message, 0x001Au);
        EXPECT_EQ(sent.wParam, 0u);
        EXPECT_EQ(sent.text, "Environment");
        EXPECT_EQ(sent.flags, 0x0002u);
        EXPECT_EQ(sent.timeoutMs, 5000u);
    } else {
        EXPECT_TRUE(Fake().broadcasts.empty());
    }
    ASSERT_EQ(Fake().messageBoxes.size(), 1u);
    const FakeMessageBox& box = Fake().messageBoxes[0];
    EXPECT_EQ(box.text, c.completed ? kCompleted : kFailed);
    EXPECT_EQ(box.caption, "Update");
    EXPECT_EQ(box.style, 0x40u);
    EXPECT_EQ(box.owner, kOwner);
    EXPECT_EQ(Fake().calls.back(), FakeCall::MessageBox) << "the box comes last, after the broadcast";

    EXPECT_EQ(Fake().keysOpened, Fake().keysClosed);
    EXPECT_EQ(Fake().badCloses, 0);
    for (const FakeSet& set : Fake().sets) {
        EXPECT_EQ(set.type, kTypeExpandString);
        EXPECT_EQ(set.data.size(), 260u);
    }
    for (const FakeOpen& open : Fake().opens) {
        EXPECT_TRUE(open.access == kKeyRead || open.access == kKeyAllAccess);
    }
}

INSTANTIATE_TEST_SUITE_P(Scenarios, UpdateRun, testing::ValuesIn(kRunCases),
                         [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

class UpdateRunOrder : public testing::Test {
protected:
    void SetUp() override
    {
        ResetFake();
        PutTextValue(kLocalMachineRoot, kMachineSubkey, "Path", kTypeExpandString, u"C:\\Windows");
        PutTextValue(kCurrentUserRoot, kUserSubkey, "Path", kTypeExpandString, u"C:\\bin;");
    }
};

TEST_F(UpdateRunOrder, MachineRowThenUserRowReadBeforeWrite)
{
    ASSERT_EQ(RunUpdate(), 1);
    ASSERT_EQ(Fake().opens.size(), 4u);
    EXPECT_EQ(Fake().opens[0].root, kLocalMachineRoot);
    EXPECT_EQ(Fake().opens[0].subkey, kMachineSubkey);
    EXPECT_EQ(Fake().opens[0].access, kKeyRead);
    EXPECT_EQ(Fake().opens[1].root, kLocalMachineRoot);
    EXPECT_EQ(Fake().opens[1].access, kKeyAllAccess);
    EXPECT_EQ(Fake().opens[2].root, kCurrentUserRoot);
    EXPECT_EQ(Fake().opens[2].subkey, kUserSubkey);
    EXPECT_EQ(Fake().opens[2].access, kKeyRead);
    EXPECT_EQ(Fake().opens[3].root, kCurrentUserRoot);
    EXPECT_EQ(Fake().opens[3].access, kKeyAllAccess);
}

TEST_F(UpdateRunOrder, FailedMachineWriteNeverTouchesUserRow)
{
    AddKey(kLocalMachineRoot, kMachineSubkey, kNoWrite);
    ASSERT_EQ(RunUpdate(), 0);
    for (const FakeOpen& open : Fake().opens) {
        EXPECT_NE(open.root, kCurrentUserRoot) << "the user row was opened after the machine row failed";
    }
}

TEST_F(UpdateRunOrder, SecondRunRestoresBothTexts)
{
    ASSERT_EQ(RunUpdate(), 1);
    ASSERT_EQ(RunUpdate(), 1);
    for (const auto& [root, subkey, text] : {std::make_tuple(kLocalMachineRoot, kMachineSubkey, u"C:\\Windows"),
                                             std::make_tuple(kCurrentUserRoot, kUserSubkey, u"C:\\bin;")}) {
        const FakeValue* value = FindValue(root, subkey, "Path");
        ASSERT_NE(value, nullptr);
        const std::u16string units = UnitsOf(value->bytes);
        EXPECT_EQ(units.substr(0, units.find(u'\0')), text);
    }
    EXPECT_EQ(Fake().broadcasts.size(), 2u);
}

TEST(UpdateRunEmptied, LoneSemicolonIsWrittenEmptyThenLeftAlone)
{
    ResetFake();
    PutTextValue(kLocalMachineRoot, kMachineSubkey, "Path", kTypeExpandString, u";");
    AddKey(kCurrentUserRoot, kUserSubkey);

    ASSERT_EQ(RunUpdate(), 1);
    ASSERT_EQ(Fake().sets.size(), 1u);
    const std::vector<uint8_t> emptied = FindValue(kLocalMachineRoot, kMachineSubkey, "Path")->bytes;
    EXPECT_EQ(emptied, BytesOf(std::u16string(260, u'\0')));

    ASSERT_EQ(RunUpdate(), 1);
    EXPECT_EQ(Fake().sets.size(), 1u) << "an emptied value was written again";
}

}  // namespace
