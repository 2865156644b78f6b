// The registry contract cases: what open, query, set, close, conversion and comparison return and do to buffers.
#include "registry_contract.h"

#include <cstdio>
#include <cstring>

namespace {

const char kScratch[] = "Software\\EnvrefreshContract";
const char kLocked[] = "Software\\EnvrefreshContractLocked";
const char kName[] = "Value";
constexpr int kDetail = 256;

enum class Needs { AnyCodePage, SingleByte, DoubleByte };

bool Applies(Needs needs, ContractCodePage codePage)
{
    return needs == Needs::AnyCodePage || (needs == Needs::SingleByte) == (codePage == ContractCodePage::SingleByte);
}

// Stores `count` UTF-16 units of `units` as they are: a terminator only if it is among them.
bool PutUnits(const char* subkey, uint32_t type, const char16_t* units, int count)
{
    unsigned char bytes[1024];
    for (int i = 0; i < count; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
    }
    return ContractPutValue(kCurrentUserRoot, subkey, kName, type, bytes, static_cast<uint32_t>(2 * count));
}

void FillUnits(char16_t* units, int count, char16_t unit)
{
    for (int i = 0; i < count; ++i) units[i] = unit;
}

// Opens the scratch key for reading, queries `name` with the ANSI or the wide call, and closes it.
PlatformStatus QueryScratch(const char* name, bool wide, void* data, uint32_t* size, uint32_t* type)
{
    RegistryKey key = kNullKey;
    const PlatformStatus opened = OpenRegistryKey(kCurrentUserRoot, kScratch, kKeyRead, &key);
    if (opened != kStatusSuccess) return opened;
    const PlatformStatus status = wide ? QueryRegistryValueWide(key, name, type, static_cast<char16_t*>(data), size)
                                       : QueryRegistryValue(key, name, type, static_cast<unsigned char*>(data), size);
    CloseRegistryKey(key);
    return status;
}

// ---- ANSI queries of stored values

struct QueryCase {
    const char* name;
    Needs needs;
    uint32_t type;
    const char16_t* units;  // stored string units, or nullptr for raw bytes
    int count;              // units, or raw bytes
    const char* raw;
    uint32_t capacity;
    PlatformStatus status;
    uint32_t size;
    const char* bytes;     // expected first `size` bytes, or nullptr when they depend on the code page
    bool zeroAfter;        // the byte after the data is zero although the size does not count it
};

const char16_t kAbc[] = u"abc";
const char16_t kCafe[] = u"caf\u00E9";
const char16_t kNihon[] = u"\u65E5\u672C";

const QueryCase kQueryCases[] = {
    {"query: terminated string", Needs::AnyCodePage, kTypeString, kAbc, 4, nullptr, 260, kStatusSuccess, 4, "abc", false},
    {"query: string stored without terminator gets one after it, uncounted", Needs::AnyCodePage, kTypeExpandString,
     kAbc, 3, nullptr, 260, kStatusSuccess, 3, "abc", true},
    {"query: empty string", Needs::AnyCodePage, kTypeExpandString, u"", 1, nullptr, 260, kStatusSuccess, 1, "", false},
    {"query: dword comes back raw", Needs::AnyCodePage, kTypeDword, nullptr, 4, "\x3B\x00\x00\x00", 260,
     kStatusSuccess, 4, "\x3B\x00\x00\x00", false},
    {"query: binary comes back raw, not converted", Needs::AnyCodePage, kTypeBinary, nullptr, 4, "C\0:\0", 260,
     kStatusSuccess, 4, "C\0:\0", false},
    {"query: Latin letter in a single-byte code page", Needs::SingleByte, kTypeString, kCafe, 5, nullptr, 260,
     kStatusSuccess, 5, "caf\xE9", false},
    {"query: two double-byte characters take four bytes", Needs::DoubleByte, kTypeString, kNihon, 3, nullptr, 260,
     kStatusSuccess, 5, nullptr, false},
};

bool RunQueryCase(const QueryCase& c, char* detail)
{
    bool put = c.units != nullptr
                   ? PutUnits(kScratch, c.type, c.units, c.count)
                   : ContractPutValue(kCurrentUserRoot, kScratch, kName, c.type,
                                      reinterpret_cast<const unsigned char*>(c.raw), static_cast<uint32_t>(c.count));
    if (!put) {
        snprintf(detail, kDetail, "fixture could not store the value");
        return false;
    }
    unsigned char data[512];
    memset(data, 0xBD, sizeof data);
    uint32_t type = 0xDEAD;
    uint32_t size = c.capacity;
    const PlatformStatus status = QueryScratch(kName, false, data, &size, &type);
    if (status != c.status || type != c.type || size != c.size) {
        snprintf(detail, kDetail, "status %d type %u size %u, want %d %u %u", status, type, size, c.status, c.type,
                 c.size);
        return false;
    }
    if (c.bytes != nullptr && memcmp(data, c.bytes, c.size) != 0) {
        snprintf(detail, kDetail, "data differs");
        return false;
    }
    if (c.zeroAfter && data[c.size] != 0) {
        snprintf(detail, kDetail, "byte after the data is %02x", data[c.size]);
        return false;
    }
    if (!c.zeroAfter && data[c.size] != 0xBD) {
        snprintf(detail, kDetail, "wrote past the %u bytes it reported: %02x", c.size, data[c.size]);
        return false;
    }
    return true;
}

// ---- the other calls, one case each

bool Check(bool condition, char* detail, const char* what)
{
    if (!condition) snprintf(detail, kDetail, "%s", what);
    return condition;
}

bool OpenMissingKey(char* detail)
{
    RegistryKey key = kNullKey;
    const PlatformStatus status = OpenRegistryKey(kCurrentUserRoot, "Software\\EnvrefreshContractMissing", kKeyRead, &key);
    snprintf(detail, kDetail, "status %d", status);
    return status == kStatusFileNotFound;
}

bool OpenLockedKey(char* detail)
{
    RegistryKey key = kNullKey;
    if (OpenRegistryKey(kCurrentUserRoot, kLocked, kKeyAllAccess, &key) != kStatusAccessDenied) {
        return Check(false, detail, "full access to a key that refuses KEY_SET_VALUE was not denied");
    }
    key = kNullKey;
    const PlatformStatus status = OpenRegistryKey(kCurrentUserRoot, kLocked, kKeyRead, &key);
    if (status == kStatusSuccess) CloseRegistryKey(key);
    return Check(status == kStatusSuccess, detail, "KEY_READ on the locked key failed");
}

bool QueryMissingValue(char* detail)
{
    unsigned char data[16];
    uint32_t type = 0;
    uint32_t size = sizeof data;
    const PlatformStatus status = QueryScratch("NoSuchValue", false, data, &size, &type);
    snprintf(detail, kDetail, "status %d", status);
    return status == kStatusFileNotFound;
}

// Too small a buffer: ERROR_MORE_DATA and the size needed. The contents are undefined.
bool QueryTooLong(char* detail)
{
    char16_t units[301];
    FillUnits(units, 300, u'a');
    units[300] = 0;
    if (!PutUnits(kScratch, kTypeExpandString, units, 301)) return Check(false, detail, "fixture");
    unsigned char data[300];
    uint32_t type = 0;
    uint32_t size = 260;
    const PlatformStatus status = QueryScratch(kName, false, data, &size, &type);
    snprintf(detail, kDetail, "status %d size %u", status, size);
    return status == kStatusMoreData && size == 301;
}

// 260 characters without a terminator fill the buffer: no terminator anywhere in it.
bool QueryFullWithoutTerminator(char* detail)
{
    char16_t units[260];
    FillUnits(units, 260, u'b');
    if (!PutUnits(kScratch, kTypeExpandString, units, 260)) return Check(false, detail, "fixture");
    unsigned char data[260];
    uint32_t type = 0;
    uint32_t size = sizeof data;
    const PlatformStatus status = QueryScratch(kName, false, data, &size, &type);
    snprintf(detail, kDetail, "status %d size %u", status, size);
    return status == kStatusSuccess && size == 260 && memchr(data, 0, sizeof data) == nullptr;
}

bool QueryWideUnits(char* detail)
{
    if (!PutUnits(kScratch, kTypeString, kAbc, 4)) return Check(false, detail, "fixture");
    char16_t data[8];
    uint32_t type = 0;
    uint32_t size = sizeof data;
    const PlatformStatus status = QueryScratch(kName, true, data, &size, &type);
    snprintf(detail, kDetail, "status %d type %u size %u", status, type, size);
    return status == kStatusSuccess && type == kTypeString && size == 8 && memcmp(data, kAbc, 8) == 0;
}

// The ANSI query replaces what the code page lacks; converting back does not give the stored text.
bool LossyLetterDoesNotRoundTrip(char* detail)
{
    const char16_t lodz[] = u"\u0141\u00F3d\u017A";
    if (!PutUnits(kScratch, kTypeString, lodz, 5)) return Check(false, detail, "fixture");
    char data[16] = {0};
    uint32_t type = 0;
    uint32_t size = sizeof data;
    const PlatformStatus status = QueryScratch(kName, false, data, &size, &type);
    if (status != kStatusSuccess || size != 5) return Check(false, detail, "query");
    char16_t back[8];
    const int units = ConvertAnsiToWide(data, 4, back, 8);
    snprintf(detail, kDetail, "converted back to %d units", units);
    return units == 4 && memcmp(back, lodz, 8) != 0;
}

// Under a double-byte code page the ANSI text converts back to the stored characters exactly.
bool DoubleByteRoundTrip(char* detail)
{
    if (!PutUnits(kScratch, kTypeString, kNihon, 3)) return Check(false, detail, "fixture");
    char data[16] = {0};
    uint32_t type = 0;
    uint32_t size = sizeof data;
    const PlatformStatus status = QueryScratch(kName, false, data, &size, &type);
    char16_t back[8];
    const int units = ConvertAnsiToWide(data, 4, back, 8);
    snprintf(detail, kDetail, "status %d size %u, converted back to %d units", status, size, units);
    return status == kStatusSuccess && size == 5 && units == 2 && memcmp(back, kNihon, 4) == 0;
}

// The write the program makes: 260 bytes as REG_EXPAND_SZ, read back as 260 ANSI bytes and
// as one UTF-16 unit per byte.
bool SetWholeBuffer(char* detail)
{
    if (!PutUnits(kScratch, kTypeString, kAbc, 4)) return Check(false, detail, "fixture");
    RegistryKey key = kNullKey;
    if (OpenRegistryKey(kCurrentUserRoot, kScratch, kKeyAllAccess, &key) != kStatusSuccess) return Check(false, detail, "open");
    unsigned char buffer[260] = {'x', ';'};
    const PlatformStatus set = SetRegistryValue(key, kName, kTypeExpandString, buffer, sizeof buffer);
    char16_t wide[300];
    uint32_t type = 0;
    uint32_t wideSize = sizeof wide;
    const PlatformStatus wideStatus = QueryRegistryValueWide(key, kName, &type, wide, &wideSize);
    unsigned char ansi[300];
    uint32_t ansiType = 0;
    uint32_t ansiSize = sizeof ansi;
    const PlatformStatus ansiStatus = QueryRegistryValue(key, kName, &ansiType, ansi, &ansiSize);
    CloseRegistryKey(key);
    snprintf(detail, kDetail, "set %d, wide %d type %u size %u, ansi %d size %u", set, wideStatus, type, wideSize,
             ansiStatus, ansiSize);
    bool tailZero = true;
    for (int i = 2; i < 260; ++i) tailZero = tailZero && wide[i] == 0 && ansi[i] == 0;
    return set == kStatusSuccess && wideStatus == kStatusSuccess && type == kTypeExpandString &&
                  wideSize == 520 && wide[0] == u'x' && wide[1] == u';' && ansiStatus == kStatusSuccess &&
                  ansiSize == 260 && memcmp(ansi, buffer, 260) == 0 && tailZero;
}

// A size that leaves out the terminator placed right after the data still stores it.
bool SetCountsForgottenTerminator(char* detail)
{
    RegistryKey key = kNullKey;
    if (OpenRegistryKey(kCurrentUserRoot, kScratch, kKeyAllAccess, &key) != kStatusSuccess) return Check(false, detail, "open");
    const unsigned char text[] = "abc";
    const PlatformStatus set = SetRegistryValue(key, kName, kTypeString, text, 3);
    char16_t wide[8];
    uint32_t type = 0;
    uint32_t size = sizeof wide;
    QueryRegistryValueWide(key, kName, &type, wide, &size);
    CloseRegistryKey(key);
    snprintf(detail, kDetail, "set %d, stored %u bytes", set, size);
    return set == kStatusSuccess && size == 8 && wide[3] == 0;
}

bool SetThroughReadHandle(char* detail)
{
    RegistryKey key = kNullKey;
    if (OpenRegistryKey(kCurrentUserRoot, kScratch, kKeyRead, &key) != kStatusSuccess) return Check(false, detail, "open");
    const unsigned char text[] = "abc";
    const PlatformStatus set = SetRegistryValue(key, kName, kTypeString, text, 4);
    CloseRegistryKey(key);
    snprintf(detail, kDetail, "set %d", set);
    return set == kStatusAccessDenied;
}

bool CloseTwice(char* detail)
{
    RegistryKey key = kNullKey;
    if (OpenRegistryKey(kCurrentUserRoot, kScratch, kKeyRead, &key) != kStatusSuccess) return Check(false, detail, "open");
    const PlatformStatus first = CloseRegistryKey(key);
    const PlatformStatus second = CloseRegistryKey(key);
    snprintf(detail, kDetail, "first %d second %d", first, second);
    return first == kStatusSuccess && second == kStatusInvalidHandle;
}

bool ConvertStrict(char* detail)
{
    char16_t wide[4];
    const int plain = ConvertAnsiToWide("abc", 3, wide, 4);
    const int tooSmall = ConvertAnsiToWide("abc", 3, wide, 2);
    snprintf(detail, kDetail, "plain %d, too small %d", plain, tooSmall);
    return plain == 3 && wide[0] == u'a' && wide[2] == u'c' && tooSmall == 0;
}

bool ConvertLoneLeadByte(char* detail)
{
    char16_t wide[4];
    const int units = ConvertAnsiToWide("a\x81", 2, wide, 4);
    snprintf(detail, kDetail, "%d units", units);
    return units == 0;
}

bool CompareSingleByte(char* detail)
{
    return Check(CompareMultibyteText("", "") == 0 && CompareMultibyteText("a", "") != 0 &&
                     CompareMultibyteText(";", ";") == 0 && CompareMultibyteText("\x81", "") != 0 &&
                     CompareMultibyteText("\xE9", ";") != 0,
                 detail, "single-byte comparison");
}

bool CompareLeadByteBeforeTerminator(char* detail)
{
    return Check(CompareMultibyteText("\x81", "") == 0 && CompareMultibyteText("\x81", ";") != 0 &&
                     CompareMultibyteText(";", ";") == 0,
                 detail, "a lead byte before the terminator must read as the end of the text");
}

struct CallCase {
    const char* name;
    Needs needs;
    const char* wineDiffers;  // where Wine is known to differ from Windows; the case then runs on the fake only
    bool (*run)(char* detail);  // whether the case held
};

// The broadcast is left out on purpose: the run reads neither its result nor its return value,
// and Wine's SendMessageTimeout to HWND_BROADCAST returns TRUE even where Windows would report
// a time-out, so there is nothing here the two could agree on.

const CallCase kCallCases[] = {
    {"open: missing key is ERROR_FILE_NOT_FOUND", Needs::AnyCodePage, nullptr, OpenMissingKey},
    {"open: KEY_ALL_ACCESS denied, KEY_READ granted on a key refusing KEY_SET_VALUE", Needs::AnyCodePage, nullptr,
     OpenLockedKey},
    {"query: missing value is ERROR_FILE_NOT_FOUND", Needs::AnyCodePage, nullptr, QueryMissingValue},
    {"query: too long is ERROR_MORE_DATA with the size needed", Needs::AnyCodePage, nullptr, QueryTooLong},
    {"query: 260 characters without terminator fill the buffer", Needs::AnyCodePage, nullptr,
     QueryFullWithoutTerminator},
    {"query wide: stored units and byte size", Needs::AnyCodePage, nullptr, QueryWideUnits},
    {"query: a letter the code page lacks does not convert back", Needs::SingleByte, nullptr,
     LossyLetterDoesNotRoundTrip},
    {"query: double-byte text converts back exactly", Needs::DoubleByte, nullptr, DoubleByteRoundTrip},
    {"set: 260-byte REG_EXPAND_SZ reads back whole", Needs::AnyCodePage, nullptr, SetWholeBuffer},
    {"set: terminator right after the data is stored", Needs::AnyCodePage, nullptr, SetCountsForgottenTerminator},
    {"set: through a KEY_READ handle is ERROR_ACCESS_DENIED", Needs::AnyCodePage, nullptr, SetThroughReadHandle},
    {"close: a closed handle is ERROR_INVALID_HANDLE", Needs::AnyCodePage, nullptr, CloseTwice},
    {"convert: strict, and 0 when it does not fit", Needs::AnyCodePage, nullptr, ConvertStrict},
    {"convert: a lone lead byte is invalid", Needs::DoubleByte, nullptr, ConvertLoneLeadByte},
    {"compare: single-byte code page", Needs::SingleByte, nullptr, CompareSingleByte},
    {"compare: lead byte before the terminator ends the text", Needs::DoubleByte,
     "Wine's _mbscmp counts a lone lead byte as a character, so it compares unequal to \"\"",
     CompareLeadByteBeforeTerminator},
};

}  // namespace

int RunRegistryContract(ContractBackend backend, ContractCodePage codePage, ContractReport report)
{
    int failures = 0;
    char detail[kDetail];
    const unsigned char empty[2] = {0, 0};
    if (!ContractRemoveKey(kCurrentUserRoot, kLocked) ||
        !ContractPutValue(kCurrentUserRoot, kLocked, kName, kTypeString, empty, 2) ||
        !ContractDenySetValue(kCurrentUserRoot, kLocked)) {
        report("fixture: a key refusing KEY_SET_VALUE", false, "could not be made");
        ++failures;
    }
    for (const QueryCase& c : kQueryCases) {
        if (!Applies(c.needs, codePage)) continue;
        detail[0] = '\0';
        const bool held = RunQueryCase(c, detail);
        report(c.name, held, detail);
        failures += held ? 0 : 1;
    }
    for (const CallCase& c : kCallCases) {
        if (!Applies(c.needs, codePage)) continue;
        if (backend == ContractBackend::Wine && c.wineDiffers != nullptr) {
            snprintf(detail, kDetail, "not run on Wine: %s", c.wineDiffers);
            report(c.name, true, detail);
            continue;
        }
        detail[0] = '\0';
        const bool held = c.run(detail);
        report(c.name, held, detail);
        failures += held ? 0 : 1;
    }
    return failures;
}
