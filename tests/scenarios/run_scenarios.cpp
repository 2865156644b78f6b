// The run scenarios: each a starting state of both rows and the outcome the run must have.
#include "run_scenarios.h"

const char kMachineSubkey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char kUserSubkey[] = "Environment";

namespace {

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
}  // namespace

const std::vector<RunCase> kRunCases = {
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
    // A value can hold more data after an embedded zero; only the text before it is written back.
    {"HiddenBytesAfterEmbeddedZero", FakeCodePage::SingleByte,
     Raw(kTypeExpandString, BytesOf(std::u16string(u"C:\\Windows\0old\0", 15))), Text(u"C:\\bin"), {},
     u"C:\\Windows;", u"C:\\bin;", true},
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

void InstallRow(RegistryKey root, const char* subkey, const Row& row)
{
    if (!row.keyPresent) {
        return;
    }
    AddKey(root, subkey, row.granted);
    if (row.valuePresent) {
        PutRawValue(root, subkey, "Path", row.type, row.bytes);
    }
}
