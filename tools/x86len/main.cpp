// x86len HEX...            lengths of the successive instructions in the bytes
// x86len --file PATH --at  reads decimal offsets from stdin, prints "offset length"
//                          for the instruction at each offset of the file
// A length of 0 means the decoder does not know the bytes there.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "support/x86_length.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: x86len HEX...\n       x86len --file PATH --at < offsets\n");
    return 2;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Hex digits with any spaces between them; false on anything else or an odd count.
bool parseHex(int argc, char** argv, std::vector<std::uint8_t>* bytes) {
    std::string digits;
    for (int i = 1; i < argc; ++i) {
        for (const char* s = argv[i]; *s; ++s) {
            if (std::isspace(static_cast<unsigned char>(*s))) continue;
            if (hexDigit(*s) < 0) return false;
            digits += *s;
        }
    }
    if (digits.empty() || digits.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes->push_back(static_cast<std::uint8_t>(hexDigit(digits[i]) * 16 + hexDigit(digits[i + 1])));
    }
    return true;
}

int printLengths(const std::vector<std::uint8_t>& bytes) {
    std::size_t pos = 0;
    const char* sep = "";
    while (pos < bytes.size()) {
        const int n = decodeInstructionLength(bytes.data() + pos, bytes.size() - pos);
        std::printf("%s%d", sep, n);
        sep = " ";
        if (n == 0) break;  // nothing after an unknown instruction can be trusted
        pos += static_cast<std::size_t>(n);
    }
    std::printf("\n");
    return 0;
}

int lengthsAtOffsets(const char* path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "x86len: cannot read %s\n", path);
        return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                          std::istreambuf_iterator<char>());
    std::string line;
    while (std::getline(std::cin, line)) {
        char* end = nullptr;
        const unsigned long long offset = std::strtoull(line.c_str(), &end, 10);
        if (end == line.c_str()) continue;
        int n = 0;
        if (offset < bytes.size()) {
            n = decodeInstructionLength(bytes.data() + offset, bytes.size() - offset);
        }
        std::printf("%llu %d\n", offset, n);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--file" && std::string(argv[3]) == "--at") {
        return lengthsAtOffsets(argv[2]);
    }
    std::vector<std::uint8_t> bytes;
    if (argc < 2 || !parseHex(argc, argv, &bytes)) return usage();
    return printLengths(bytes);
}
