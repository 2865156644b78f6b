// The Path value rule: the emptiness test and the trailing-semicolon toggle.
#include "path_value_rule.h"

#include "platform/platform_api.h"

namespace {

// Length of the text in bytes, or kValueBufferSize when the buffer holds no terminator.
size_t TextLength(const char (&value)[kValueBufferSize])
{
    size_t length = 0;
    while (length < kValueBufferSize && value[length] != '\0') {
        ++length;
    }
    return length;
}

}  // namespace

bool IsPathTextEmpty(const char (&value)[kValueBufferSize])
{
    return CompareMultibyteText(value, "") == 0;
}

bool ToggleTrailingSemicolon(char (&value)[kValueBufferSize])
{
    const size_t length = TextLength(value);
    if (length == 0 || length >= kValueBufferSize) {
        return false;
    }
    // Compare the one-byte tail, not the raw byte: under a double-byte code page a final
    // lead byte then reads as the end of the text and never matches ';'.
    if (CompareMultibyteText(&value[length - 1], ";") == 0) {
        value[length - 1] = '\0';
        return true;
    }
    if (length + 1 >= kValueBufferSize) {
        return false;
    }
    value[length] = ';';
    value[length + 1] = '\0';
    return true;
}
