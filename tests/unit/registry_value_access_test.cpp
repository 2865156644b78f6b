// Reading a whole Path text and writing it back: access masks, sizes, types, exactness, and keys closed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "registry_value_access.h"

namespace {

const char kSubkey[] = "Environment";
const char kName[] = "Path";

std::vector<uint8_t> Text(const std::u16string& text, bool terminated = true)
{
    std::u16string units = text;
    if (terminated) {
        units.push_back(u'\0');
    }
    return BytesOf(units);
}

class RegistryValueAccess : public testing::Test {
protected:
    void SetUp() override { ResetFake(); }

    void ExpectEveryKeyClosed()
    {
        EXPECT_EQ(Fake().keysOpened, Fake().keysClosed);
        EXPECT_TRUE(Fake().openHandles.empty());
        EXPECT_EQ(Fake().badCloses, 0) << "closed a handle that was never opened";
    }
};

TEST_F(RegistryValueAccess, ReadsTextWithReadAccessOnly)
{
    AddKey(kCurrentUserRoot, kSubkey, kKeyRead);
    PutTextValue(kCurrentUserRoot, kSubkey, kName, kTypeExpandString, u"C:\\bin");
    char data[kValueBufferSize];
    memset(data, 'X', sizeof data);
    uint32_t size = kValueBufferSize;

    ASSERT_TRUE(ReadRegistryValue(kCurrentUserRoot, kSubkey, kName, data, &size));
    EXPECT_STREQ(data, "C:\\bin");
    EXPECT_EQ(size, 7u);
    for (size_t i = 7; i < kValueBufferSize; ++i) {
        ASSERT_EQ(data[i], '\0') << "stale byte at " << i;
    }
    ASSERT_FALSE(Fake().opens.empty());
    EXPECT_EQ(Fake().opens[0].access, kKeyRead);
    EXPECT_EQ(Fake().opens[0].root, kCurrentUserRoot);
    EXPECT_EQ(Fake().opens[0].subkey, kSubkey);
    ExpectEveryKeyClosed();
}

struct ReadCase {
    const char* name;
    FakeCodePage codePage;
    bool keyPresent;
    bool valuePresent;
    uint32_t type;
    std::vector<uint8_t> bytes;
    std::vector<FakeFault> faults;
    bool whole;
    std::u16string text;  // when whole
};

std::vector<uint8_t> WithOddByte(std::vector<uint8_t> bytes)
{
    bytes.push_back(0x41);
    return bytes;
}

std::vector<uint8_t> Ascii(size_t count, bool terminated)
{
    return Text(std::u16string(count, u'a'), terminated);
}

const ReadCase kReadCases[] = {
    {"StringType", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\a"), {}, true, u"C:\\a"},
    {"ExpandStringType", FakeCodePage::SingleByte, true, true, kTypeExpandString, Text(u"%SystemRoot%"), {}, true,
     u"%SystemRoot%"},
    {"LongestText", FakeCodePage::SingleByte, true, true, kTypeExpandString, Ascii(259, true), {}, true,
     std::u16string(259, u'a')},
    {"ShortTextStoredWithoutTerminator", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\a", false), {},
     true, u"C:\\a"},
    {"OurOwnZeroPaddedWrite", FakeCodePage::SingleByte, true, true, kTypeExpandString,
     Text(u"C:\\a;" + std::u16string(255, u'\0'), false), {}, true, u"C:\\a;"},
    // 260 units and a stray odd byte: the wide form is one byte longer than 260 units.
    {"FullWideValueWithOddByte", FakeCodePage::SingleByte, true, true, kTypeExpandString,
     WithOddByte(Text(u"C:\\a;" + std::u16string(255, u'\0'), false)), {}, true, u"C:\\a;"},
    // Data after an embedded zero is not part of the text and must not ride along into the write.
    {"HiddenBytesAfterEmbeddedZero", FakeCodePage::SingleByte, true, true, kTypeExpandString,
     Text(std::u16string(u"C:\\a\0junk", 9)), {}, true, u"C:\\a"},
    {"EmptyText", FakeCodePage::SingleByte, true, true, kTypeExpandString, Text(u""), {}, true, u""},
    {"LatinLetterTheCodePageHas", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\Caf\u00E9"), {}, true,
     u"C:\\Caf\u00E9"},
    {"JapaneseUnderDoubleByte", FakeCodePage::DoubleByte, true, true, kTypeString, Text(u"C:\\\u65E5\u672C"), {}, true,
     u"C:\\\u65E5\u672C"},
    {"MissingKey", FakeCodePage::SingleByte, false, false, kTypeString, {}, {}, false, u""},
    {"MissingValue", FakeCodePage::SingleByte, true, false, kTypeString, {}, {}, false, u""},
    {"DwordType", FakeCodePage::SingleByte, true, true, kTypeDword, {0x3B, 0, 0, 0}, {}, false, u""},
    {"BinaryType", FakeCodePage::SingleByte, true, true, kTypeBinary, {'C', ':', 0}, {}, false, u""},
    {"MultiStringType", FakeCodePage::SingleByte, true, true, kTypeMultiString, Text(std::u16string(u"C:\\a\0", 5)), {}, false,
     u""},
    {"NoneType", FakeCodePage::SingleByte, true, true, kTypeNone, {'C', 0}, {}, false, u""},
    {"TooLongForBuffer", FakeCodePage::SingleByte, true, true, kTypeExpandString, Ascii(300, true), {}, false, u""},
    {"FullBufferWithoutTerminator", FakeCodePage::SingleByte, true, true, kTypeExpandString, Ascii(260, false), {},
     false, u""},
    {"LetterTheCodePageLacks", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\\u0141\u00F3d\u017A"),
     {}, false, u""},
    {"ChineseUnderSingleByte", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\\u65E5"), {}, false, u""},
    {"OpenFails", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\a"),
     {{FakeCall::Open, 1, kStatusAccessDenied}}, false, u""},
    {"QueryFails", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\a"),
     {{FakeCall::Query, 1, kStatusAccessDenied}}, false, u""},
    {"WideQueryFails", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\a"),
     {{FakeCall::QueryWide, 1, kStatusAccessDenied}}, false, u""},
    {"ConversionFails", FakeCodePage::SingleByte, true, true, kTypeString, Text(u"C:\\a"),
     {{FakeCall::Convert, 1, kStatusSuccess}}, false, u""},
};

void PrintTo(const ReadCase& c, std::ostream* os)
{
    *os << c.name;
}

class RegistryRead : public testing::TestWithParam<ReadCase> {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_P(RegistryRead, AcceptsOnlyWholeExactText)
{
    const ReadCase& c = GetParam();
    Fake().codePage = c.codePage;
    if (c.keyPresent) {
        AddKey(kCurrentUserRoot, kSubkey);
    }
    if (c.valuePresent) {
        PutRawValue(kCurrentUserRoot, kSubkey, kName, c.type, c.bytes);
    }
    Fake().faults = c.faults;
    char data[kValueBufferSize];
    memset(data, 'X', sizeof data);
    uint32_t size = kValueBufferSize;

    EXPECT_EQ(ReadRegistryValue(kCurrentUserRoot, kSubkey, kName, data, &size), c.whole);
    const std::string text = c.whole ? WideToAnsi(c.text) : std::string();
    if (c.whole) {
        EXPECT_EQ(std::string(data), text);
        EXPECT_LE(size, kValueBufferSize);
    }
    // The whole buffer gets written back: after the text there may only be zeros.
    for (size_t i = text.size(); i < kValueBufferSize; ++i) {
        ASSERT_EQ(data[i], '\0') << "byte " << i << " after the text is not zero";
    }
    EXPECT_EQ(Fake().keysOpened, Fake().keysClosed);
    EXPECT_EQ(Fake().badCloses, 0) << "closed a handle that was never opened";
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryRead, testing::ValuesIn(kReadCases),
                         [](const testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

TEST_F(RegistryValueAccess, WriteStoresWholeBufferAsExpandString)
{
    PutTextValue(kCurrentUserRoot, kSubkey, kName, kTypeString, u"C:\\old");
    char data[kValueBufferSize] = "C:\\new;";
    data[200] = 'q';  // the tail goes to the registry as it is
    RegistryKey key = kNullKey;

    ASSERT_TRUE(WriteRegistryValue(kCurrentUserRoot, kSubkey, kName, data, &key));
    ASSERT_EQ(Fake().opens.size(), 1u);
    EXPECT_EQ(Fake().opens[0].access, kKeyAllAccess);
    ASSERT_EQ(Fake().sets.size(), 1u);
    EXPECT_EQ(Fake().sets[0].type, kTypeExpandString);
    ASSERT_EQ(Fake().sets[0].data.size(), kValueBufferSize);
    EXPECT_EQ(memcmp(Fake().sets[0].data.data(), data, kValueBufferSize), 0);
    const FakeValue* stored = FindValue(kCurrentUserRoot, kSubkey, kName);
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(stored->type, kTypeExpandString);
    EXPECT_EQ(stored->bytes, BytesOf(AnsiToWide(std::string(data, kValueBufferSize))));
    EXPECT_EQ(key, kNullKey);
    ExpectEveryKeyClosed();
}

TEST_F(RegistryValueAccess, WriteFailsWhenKeyMayNotBeSet)
{
    AddKey(kCurrentUserRoot, kSubkey, kKeyAllAccess & ~kKeySetValue);
    PutTextValue(kCurrentUserRoot, kSubkey, kName, kTypeString, u"C:\\old");
    const std::vector<uint8_t> before = FindValue(kCurrentUserRoot, kSubkey, kName)->bytes;
    char data[kValueBufferSize] = "C:\\new;";
    RegistryKey key = kNullKey;

    EXPECT_FALSE(WriteRegistryValue(kCurrentUserRoot, kSubkey, kName, data, &key));
    EXPECT_TRUE(Fake().sets.empty());
    EXPECT_EQ(FindValue(kCurrentUserRoot, kSubkey, kName)->bytes, before);
    EXPECT_EQ(Fake().keysOpened, 0);
    ExpectEveryKeyClosed();
}

// A failed set is a failed write; a failed close after a good set is not. The key is closed either way.
struct WriteFaultCase {
    const char* name;
    FakeFault fault;
    bool written;
};

const WriteFaultCase kWriteFaultCases[] = {
    {"SetFails", {FakeCall::Set, 1, kStatusAccessDenied}, false},
    {"OnlyCloseFails", {FakeCall::Close, 1, kStatusInvalidHandle}, true},
};

void PrintTo(const WriteFaultCase& c, std::ostream* os)
{
    *os << c.name;
}

class RegistryWriteFault : public RegistryValueAccess, public testing::WithParamInterface<WriteFaultCase> {};

TEST_P(RegistryWriteFault, ResultFollowsTheSet)
{
    const WriteFaultCase& c = GetParam();
    PutTextValue(kCurrentUserRoot, kSubkey, kName, kTypeString, u"C:\\old");
    Fake().faults = {c.fault};
    char data[kValueBufferSize] = "C:\\new;";
    RegistryKey key = kNullKey;

    EXPECT_EQ(WriteRegistryValue(kCurrentUserRoot, kSubkey, kName, data, &key), c.written);
    const std::u16string stored = UnitsOf(FindValue(kCurrentUserRoot, kSubkey, kName)->bytes);
    EXPECT_EQ(stored.substr(0, stored.find(u'\0')), c.written ? u"C:\\new;" : u"C:\\old");
    EXPECT_EQ(Fake().keysOpened, 1);
    EXPECT_EQ(Fake().keysClosed, 1);
    EXPECT_TRUE(Fake().openHandles.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryWriteFault, testing::ValuesIn(kWriteFaultCases),
                         [](const testing::TestParamInfo<WriteFaultCase>& info) { return std::string(info.param.name); });

}  // namespace
