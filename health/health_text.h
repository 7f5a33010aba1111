// Texts the alerts show: durations in Chinese units and GBK texts cut to a
// shell field's size in characters.
//
// Any thread may call these (pure).
#pragma once

#include "runtime/text.h"

// "37秒", "2分15秒", "1小时5分", "3天2小时": the two largest units, a zero
// second unit left out. Seconds are rounded to whole ones; negative is 0.
Text FormatDuration(double seconds);

// Characters in a GBK text (a double-byte character counts once, as it
// does in the UTF-16 field it ends up in).
std::size_t CharacterCount(const Text& text);

// The text itself when it has at most maxChars characters; otherwise its
// first maxChars - 1 characters and "…", never cutting a character in two.
Text CutToCharacters(const Text& text, std::size_t maxChars);
