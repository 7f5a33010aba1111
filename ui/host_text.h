// The length a host's name and address are stored with. Any thread.
#pragma once

#include <cstddef>

#include "runtime/text.h"

// 255 bytes of GBK: a report list cell shows at most 259 characters (the
// list view's label buffer), so a longer name would be cut on the screen
// while the database kept it whole; the task's hand-off payload (16-bit
// text length) and the log's TEXT columns carry far more. A DNS name is at
// most 253 characters, so no usable address is lost.
constexpr std::size_t kHostTextBytes = 255;

// The text cut to at most maxBytes without splitting a double-byte
// character (a GBK lead byte is 0x81..0xFE and always has a trail byte).
Text capHostText(const Text& text, std::size_t maxBytes = kHostTextBytes);
