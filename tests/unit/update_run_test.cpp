// The whole run against the fake: each scenario checks stored values, broadcast, message box and exit status.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "run_scenarios.h"
#include "update_run.h"

// Names the scenario in test output instead of dumping its bytes.
void PrintTo(const RunCase& c, std::ostream* os)
{
    *os << c.name;
}

namespace {

const char kCompleted[] = "Update process is completed.";
const char kFailed[] = "Failed to finish update process.";
constexpr WindowHandle kOwner = 0x4242;

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

class UpdateRun : public testing::TestWithParam<RunCase> {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_P(UpdateRun, Scenario)
{
    const RunCase& c = GetParam();
    Fake().codePage = c.codePage;
    Fake().activeWindow = kOwner;
    InstallRow(kLocalMachineRoot, kMachineSubkey, c.machine);
    InstallRow(kCurrentUserRoot, kUserSubkey, c.user);
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
