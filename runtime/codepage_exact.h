// The system halves of the code-page layer: GBK <-> UTF-16 that succeed
// only when nothing is lost. runtime/codepage_replace.cpp builds the
// conversions that put "?" in place of what does not convert on these.
// Any thread may call them.
#pragma once

#include <string>
#include <string_view>

// False (out unspecified) when a byte sequence is not GBK.
bool gbkToUtf16Exact(std::string_view gbk, std::u16string& out);
// False (out unspecified) when a character has no GBK form.
bool utf16ToGbkExact(std::u16string_view utf16, std::string& out);
