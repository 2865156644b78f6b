// The value buffer that holds a Path text, and the two tests the run makes on it.
#pragma once

#include <cstddef>

// A Path text of at most 259 ANSI bytes and its terminator. Bytes after the terminator
// are stored along with the text, so the reader keeps them zero.
constexpr size_t kValueBufferSize = 260;

// Whether the text compares equal to "" under the ANSI code page. Under a double-byte
// code page a lone lead byte before the terminator counts as empty too.
bool IsPathTextEmpty(const char (&value)[kValueBufferSize]);

// Removes the text's last byte if it is ';', else appends ';'. Leaves the buffer untouched
// and returns false when there is no terminator in the buffer or no room for the
// appended ';' and its terminator (a 259-byte text not ending in ';').
bool ToggleTrailingSemicolon(char (&value)[kValueBufferSize]);
