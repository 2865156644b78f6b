// The fake's ANSI code page: conversions both ways, and _mbscmp as Microsoft's C runtime defines it.
#include "fake_internal.h"

namespace {

constexpr char16_t kDoubleByteBase = 0x4E00;
constexpr int kTrailCount = 188;  // 0x40-0x7E and 0x80-0xFC
constexpr int kLeadCount = 60;    // 0x81-0x9F and 0xE0-0xFC

bool DoubleByte()
{
    return Fake().codePage == FakeCodePage::DoubleByte;
}

int LeadIndex(unsigned char byte)
{
    if (byte >= 0x81 && byte <= 0x9F) {
        return byte - 0x81;
    }
    if (byte >= 0xE0 && byte <= 0xFC) {
        return 31 + (byte - 0xE0);
    }
    return -1;
}

int TrailIndex(unsigned char byte)
{
    if (byte >= 0x40 && byte <= 0x7E) {
        return byte - 0x40;
    }
    if (byte >= 0x80 && byte <= 0xFC) {
        return 63 + (byte - 0x80);
    }
    return -1;
}

unsigned char LeadByteAt(int index)
{
    return static_cast<unsigned char>(index < 31 ? 0x81 + index : 0xE0 + (index - 31));
}

unsigned char TrailByteAt(int index)
{
    return static_cast<unsigned char>(index < 63 ? 0x40 + index : 0x80 + (index - 63));
}

}  // namespace

bool IsFakeLeadByte(unsigned char byte)
{
    return DoubleByte() && LeadIndex(byte) >= 0;
}

bool DecodeAnsi(const char* text, size_t length, bool strict, std::u16string* wide)
{
    wide->clear();
    for (size_t i = 0; i < length; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (!DoubleByte() || byte < 0x80) {
            wide->push_back(static_cast<char16_t>(byte));
            continue;
        }
        if (byte >= 0xA1 && byte <= 0xDF) {
            wide->push_back(static_cast<char16_t>(0xFF61 + (byte - 0xA1)));
            continue;
        }
        const int lead = LeadIndex(byte);
        if (lead >= 0 && i + 1 < length) {
            const int trail = TrailIndex(static_cast<unsigned char>(text[i + 1]));
            ++i;  // the pair is taken whole, valid or not
            if (trail >= 0) {
                wide->push_back(static_cast<char16_t>(kDoubleByteBase + lead * kTrailCount + trail));
                continue;
            }
        }
        if (strict) {
            return false;
        }
        wide->push_back(u'?');
    }
    return true;
}

std::u16string AnsiToWide(const std::string& ansi)
{
    std::u16string wide;
    DecodeAnsi(ansi.data(), ansi.size(), false, &wide);
    return wide;
}

std::string WideToAnsi(const std::u16string& wide)
{
    std::string ansi;
    for (char16_t unit : wide) {
        if (!DoubleByte()) {
            ansi.push_back(unit <= 0xFF ? static_cast<char>(unit) : '?');
        } else if (unit < 0x80) {
            ansi.push_back(static_cast<char>(unit));
        } else if (unit >= 0xFF61 && unit <= 0xFF9F) {
            ansi.push_back(static_cast<char>(0xA1 + (unit - 0xFF61)));
        } else if (unit >= kDoubleByteBase && unit < kDoubleByteBase + kLeadCount * kTrailCount) {
            const int index = unit - kDoubleByteBase;
            ansi.push_back(static_cast<char>(LeadByteAt(index / kTrailCount)));
            ansi.push_back(static_cast<char>(TrailByteAt(index % kTrailCount)));
        } else {
            ansi.push_back('?');
        }
    }
    return ansi;
}

int ConvertAnsiToWide(const char* text, int bytes, char16_t* wide, int capacity)
{
    PlatformStatus status = kStatusSuccess;
    if (RecordCall(FakeCall::Convert, &status) || bytes <= 0) {
        return 0;
    }
    std::u16string converted;
    if (!DecodeAnsi(text, static_cast<size_t>(bytes), true, &converted) ||
        converted.size() > static_cast<size_t>(capacity)) {
        return 0;
    }
    converted.copy(wide, converted.size());
    return static_cast<int>(converted.size());
}

int CompareMultibyteText(const char* left, const char* right)
{
    PlatformStatus ignored = kStatusSuccess;
    RecordCall(FakeCall::Compare, &ignored);
    // Microsoft's _mbscmp: a lead byte and the byte after it form one character, and a lead
    // byte standing just before the terminator ends the text.
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right);
    for (;;) {
        unsigned int charA = *a++;
        if (IsFakeLeadByte(static_cast<unsigned char>(charA))) {
            charA = *a == 0 ? 0 : (charA << 8) | *a++;
        }
        unsigned int charB = *b++;
        if (IsFakeLeadByte(static_cast<unsigned char>(charB))) {
            charB = *b == 0 ? 0 : (charB << 8) | *b++;
        }
        if (charA != charB) {
            return charA < charB ? -1 : 1;
        }
        if (charA == 0) {
            return 0;
        }
    }
}
