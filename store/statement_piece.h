// The layer formats each statement piece that carries a name or a value into
// a 1024-byte buffer before appending it. A piece that would not fit makes
// the operation fail instead of being cut or overrunning the buffer.
#pragma once

#include <string>

#include "runtime/text.h"

constexpr std::size_t kStatementPieceBuffer = 1024;  // including the terminating zero

// Appends `format` with each "%s" replaced by the next argument to `out`;
// false (and `out` unchanged) when the piece needs more than the buffer.
bool appendPiece(std::string& out, const char* format, const Text& a);
bool appendPiece(std::string& out, const char* format, const Text& a, const Text& b);
bool appendPiece(std::string& out, const char* format, const Text& a, const Text& b, const Text& c);
