// Each platform call of a run fails in turn; the run's outcome must follow from which call it was.
#include <gtest/gtest.h>

#include <string>

#include "fake_platform.h"
#include "run_scenarios.h"
#include "update_run.h"

namespace {

struct FaultCase {
    const char* name;
    FakeCall call;
    int occurrence;  // which call of that kind, in run order
    int exitStatus;
    bool machineWritten;
    bool userWritten;
};

// With both rows valid a run makes, per row: open to read, query, wide query, close, open to
// write, set, close. Then the broadcast and the box.
const FaultCase kFaultCases[] = {
    {"MachineReadOpen", FakeCall::Open, 1, 1, false, true},
    {"MachineQuery", FakeCall::Query, 1, 1, false, true},
    {"MachineWideQuery", FakeCall::QueryWide, 1, 1, false, true},
    {"MachineConversion", FakeCall::Convert, 1, 1, false, true},
    {"MachineReadClose", FakeCall::Close, 1, 1, true, true},
    {"MachineWriteOpen", FakeCall::Open, 2, 0, false, false},
    {"MachineSet", FakeCall::Set, 1, 0, false, false},
    {"MachineWriteClose", FakeCall::Close, 2, 1, true, true},
    {"UserReadOpen", FakeCall::Open, 3, 1, true, false},
    {"UserQuery", FakeCall::Query, 2, 1, true, false},
    {"UserWideQuery", FakeCall::QueryWide, 2, 1, true, false},
    {"UserConversion", FakeCall::Convert, 2, 1, true, false},
    {"UserReadClose", FakeCall::Close, 3, 1, true, true},
    {"UserWriteOpen", FakeCall::Open, 4, 0, true, false},
    {"UserSet", FakeCall::Set, 2, 0, true, false},
    {"UserWriteClose", FakeCall::Close, 4, 1, true, true},
    {"Broadcast", FakeCall::Broadcast, 1, 1, true, true},
    {"MessageBox", FakeCall::MessageBox, 1, 1, true, true},
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

bool Written(RegistryKey root, const char* subkey, const std::u16string& toggled)
{
    const FakeValue* value = FindValue(root, subkey, "Path");
    const std::u16string units = UnitsOf(value->bytes);
    return value->type == kTypeExpandString && units.size() == 260 && units.substr(0, units.find(u'\0')) == toggled;
}

class FaultInjection : public testing::TestWithParam<FaultCase> {};

TEST_P(FaultInjection, OutcomeFollowsTheFailedCall)
{
    const FaultCase& c = GetParam();
    ResetFake();
    PutTextValue(kLocalMachineRoot, kMachineSubkey, "Path", kTypeString, u"C:\\Windows");
    PutTextValue(kCurrentUserRoot, kUserSubkey, "Path", kTypeString, u"C:\\bin;");
    // Statuses a real failure could bring: access denied for the registry, "failed" for the rest.
    Fake().faults = {{c.call, c.occurrence, kStatusAccessDenied}};

    const int exitStatus = RunUpdate();

    EXPECT_EQ(exitStatus, c.exitStatus);
    EXPECT_EQ(Written(kLocalMachineRoot, kMachineSubkey, u"C:\\Windows;"), c.machineWritten);
    EXPECT_EQ(Written(kCurrentUserRoot, kUserSubkey, u"C:\\bin"), c.userWritten);
    if (!c.machineWritten) {
        EXPECT_EQ(FindValue(kLocalMachineRoot, kMachineSubkey, "Path")->bytes, BytesOf(u"C:\\Windows" + std::u16string(1, u'\0')));
    }
    if (!c.userWritten) {
        EXPECT_EQ(FindValue(kCurrentUserRoot, kUserSubkey, "Path")->bytes, BytesOf(u"C:\\bin;" + std::u16string(1, u'\0')));
    }
    EXPECT_EQ(Fake().broadcasts.size(), exitStatus == 1 ? 1u : 0u);
    ASSERT_EQ(Fake().messageBoxes.size(), 1u);
    EXPECT_EQ(Fake().messageBoxes[0].text,
              exitStatus == 1 ? "Update process is completed." : "Failed to finish update process.");
    EXPECT_TRUE(Fake().openHandles.empty()) << "a key was left open";
    EXPECT_EQ(Fake().badCloses, 0);
}

INSTANTIATE_TEST_SUITE_P(EachCall, FaultInjection, testing::ValuesIn(kFaultCases),
                         [](const testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

// The table above must name every call a run makes, or a call could fail untested.
TEST(FaultInjectionTable, CoversEveryCallOfACleanRun)
{
    ResetFake();
    PutTextValue(kLocalMachineRoot, kMachineSubkey, "Path", kTypeString, u"C:\\Windows");
    PutTextValue(kCurrentUserRoot, kUserSubkey, "Path", kTypeString, u"C:\\bin;");
    ASSERT_EQ(RunUpdate(), 1);
    std::vector<std::pair<FakeCall, int>> made;
    for (FakeCall call : Fake().calls) {
        if (call == FakeCall::Compare || call == FakeCall::ActiveWindow) {
            continue;  // these report no failure
        }
        int occurrence = 1;
        for (const auto& earlier : made) {
            occurrence += earlier.first == call ? 1 : 0;
        }
        made.emplace_back(call, occurrence);
    }
    for (const auto& [call, occurrence] : made) {
        bool covered = false;
        for (const FaultCase& c : kFaultCases) {
            covered = covered || (c.call == call && c.occurrence == occurrence);
        }
        EXPECT_TRUE(covered) << "call kind " << static_cast<int>(call) << " #" << occurrence << " is never failed";
    }
}

}  // namespace
