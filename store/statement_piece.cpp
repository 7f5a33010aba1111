#include "store/statement_piece.h"

namespace {

// Substitutes "%s" in order; the pieces are written by the layer itself, so
// no other directive occurs.
bool append(std::string& out, const char* format, const Text* args, int count) {
    std::string piece;
    int next = 0;
    for (const char* p = format; *p; ++p) {
        if (p[0] == '%' && p[1] == 's' && next < count) {
            piece += args[next++].str();
            ++p;
        } else {
            piece += *p;
        }
    }
    if (piece.size() + 1 > kStatementPieceBuffer) return false;
    out += piece;
    return true;
}

}  // namespace

bool appendPiece(std::string& out, const char* format, const Text& a) {
    const Text args[] = {a};
    return append(out, format, args, 1);
}

bool appendPiece(std::string& out, const char* format, const Text& a, const Text& b) {
    const Text args[] = {a, b};
    return append(out, format, args, 2);
}

bool appendPiece(std::string& out, const char* format, const Text& a, const Text& b,
                 const Text& c) {
    const Text args[] = {a, b, c};
    return append(out, format, args, 3);
}
