#include "crashguard/stack_analysis.h"

namespace {

bool usableCode(const MemoryReader& memory, std::uint32_t address) {
    return static_cast<std::int32_t>(address) > 0 && memory.isCode(address);
}

// A stack read: addresses below 1 and unreadable words read as 0.
std::uint32_t stackWord(const MemoryReader& memory, std::uint32_t address) {
    return static_cast<std::int32_t>(address) < 1 ? 0 : memory.read32(address);
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        if (lowerAscii(*a) != lowerAscii(*b)) return false;
    }
    return *a == *b;
}

bool isSystemModule(const char* name) {
    return equalsIgnoringCase(name, "ntdll.dll") || equalsIgnoringCase(name, "kernel32.dll") ||
           equalsIgnoringCase(name, "kernelBase.dll");
}

// Export tables are 16-bit indexed; a larger count is a corrupt header.
constexpr std::uint32_t kMaxExports = 0x10000;

void nameFromModule(const MemoryReader& memory, const ModuleEntry& module, std::uint32_t code,
                    const StackAnalysisOptions& options, TextSink& text) {
    char symbolBuffer[256];
    TextSink symbol(symbolBuffer, sizeof symbolBuffer);
    std::uint32_t d = symbolizeAddress(memory, code, module.base, symbol);
    if (static_cast<std::int64_t>(d) > options.maxExportDistance) return;
    if (!symbol.empty()) {
        text.append("[").append(module.name).append("].").append(symbol.c_str());
        if (d != 0) text.append("+0x").appendHexAuto(d);
        return;
    }
    if (module.name[0] != '\0') text.append("[").append(module.name).append("]+");
    text.append("0x").appendHexAuto(code - module.base).append("=").appendHex8(code);
}

}  // namespace

int walkFramePointers(const MemoryReader& memory, std::uint32_t fp, std::uint32_t ip,
                      FramePair* out, int capacity) {
    int count = 0;
    while (count < capacity && memory.readable(fp, 8)) {
        if (usableCode(memory, ip)) out[count++] = FramePair{fp, ip};
        ip = stackWord(memory, fp + 4);
        std::uint32_t next = stackWord(memory, fp);
        if (next <= fp) break;
        fp = next;
    }
    return count;
}

std::uint32_t symbolizeAddress(const MemoryReader& memory, std::uint32_t address,
                               std::uint32_t base, TextSink& symbol) {
    symbol.clear();
    if (address == 0 || base == 0) return 0;
    if (memory.read16(base) != 0x5A4D) return 0;
    std::uint32_t nt = base + memory.read16(base + 60);
    if (!memory.readable(nt, 2) || memory.read16(nt) != 0x4550) return 0;
    std::uint32_t exportRva = memory.read32(nt + 120);
    if (exportRva == 0 || !memory.readable(base + exportRva, 40)) return 0;
    std::uint32_t dir = base + exportRva;
    std::uint32_t functionCount = memory.read32(dir + 20);
    std::uint32_t nameCount = memory.read32(dir + 24);
    std::uint32_t functions = memory.read32(dir + 28);
    std::uint32_t names = memory.read32(dir + 32);
    std::uint32_t ordinals = memory.read32(dir + 36);
    if (nameCount == 0 || functions == 0 || names == 0) return 0;
    if (functionCount > kMaxExports) functionCount = kMaxExports;
    if (nameCount > kMaxExports) nameCount = kMaxExports;

    bool found = false;
    std::uint32_t best = 0;
    std::uint32_t bestIndex = 0;
    for (std::uint32_t i = 0; i < functionCount; ++i) {
        std::uint32_t f = base + memory.read32(base + functions + 4 * i);
        if (f <= address && (!found || f > best)) {
            found = true;
            best = f;
            bestIndex = i;
        }
    }
    if (!found || bestIndex > nameCount + 1) return 0;
    for (std::uint32_t j = 0; j < nameCount; ++j) {
        auto ordinal = static_cast<std::int16_t>(memory.read16(base + ordinals + 2 * j));
        if (static_cast<std::int32_t>(ordinal) == static_cast<std::int32_t>(bestIndex)) {
            symbol.append(memory.textAt(base + memory.read32(base + names + 4 * j)));
            break;
        }
    }
    if (symbol.empty()) symbol.appendHex8(best);
    return address - best;
}

void buildStackAnalysis(const FramePair* pairs, int pairCount, const RecordedFrame* recorded,
                        int recordedCount, std::uint32_t thunk, const ModuleList& modules,
                        const MemoryReader& memory, const StackAnalysisOptions& options,
                        StackAnalysisScratch& scratch, TextSink& out) {
    int collected = 0;
    bool thunkSeen = false;
    if (pairCount > kMaxStackFrames) pairCount = kMaxStackFrames;
    for (int k = pairCount - 1; k >= 0; --k) {
        StackLine& line = scratch.lines[collected];
        line.codeAddress = pairs[k].codeAddress;
        line.framePointer = pairs[k].framePointer;
        TextSink text(line.text, sizeof line.text);

        int r = 0;
        while (r < recordedCount && recorded[r].framePointer != line.framePointer) ++r;
        if (r < recordedCount) {
            if (thunk != 0 && line.codeAddress == thunk) {
                // The routine's callee was hijacked too: the callee's entry
                // holds the real return address into this routine.
                line.codeAddress = recorded[r].returnAddress;
                if (r + 1 < recordedCount && k > 0 &&
                    recorded[r + 1].framePointer == pairs[k - 1].framePointer) {
                    line.codeAddress = recorded[r + 1].returnAddress;
                }
            }
            text.append("[").appendHex8(line.codeAddress).append("]").append(recorded[r].name);
        }
        if (text.empty() && thunk != 0 && line.codeAddress == thunk && !thunkSeen) {
            // Met from the outside, the first hijacked return slot marks the
            // outermost recorded routine: what lies beyond it is noise.
            thunkSeen = true;
            collected = 0;
            continue;
        }
        if (text.empty()) {
            if (const ModuleEntry* module = modules.find(line.codeAddress)) {
                if (options.skipOuterSystemFrames != 0 && collected == 0 &&
                    isSystemModule(module->name)) {
                    continue;
                }
                nameFromModule(memory, *module, line.codeAddress, options, text);
            }
        }
        if (text.empty()) text.append("0x").appendHex8(line.codeAddress);
        ++collected;
    }
    out.clear();
    for (int i = 1; i <= collected; ++i) {
        const StackLine& line =
            scratch.lines[options.outermostFirst != 0 ? i - 1 : collected - i];
        for (int s = 0; s < i; ++s) out.append(" ");
        out.append(line.text).append("\r\n");
    }
}
