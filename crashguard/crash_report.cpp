#include "crashguard/crash_report.h"

namespace {

// Codes with a fixed line; the first matching row wins. Access violations
// and stack overflows have rows of their own below.
struct ErrorLine {
    std::uint32_t code;
    const char* text;
};
const ErrorLine kErrorLines[] = {
    {0xC0000094, "错误信息:非法除0异常\r\n"},
    {0xC000008E, "错误信息:非法除0异常\r\n"},
    {0xC000001D, "错误信息:非法CPU指令\r\n"},
    {0x80000003, "错误信息:int3调试中断\r\n"},
    {0xC0000096, "错误信息:无法执行Ring0指令\r\n"},
    {kMsvcThrowCode, "错误信息:执行Virtual C++ throw()指令\r\n"},
    {kCppBuilderThrowCode, "错误信息:执行C++ Builder throw()指令\r\n"},
};

constexpr std::uint32_t kAccessViolation = 0xC0000005;
constexpr std::uint32_t kStackOverflow = 0xC00000FD;
constexpr int kMaxAnalysisFrames = 4096;  // a looping chain must still end

bool usable(const MemoryReader& memory, std::uint32_t address) {
    return static_cast<std::int32_t>(address) > 0 && memory.isCode(address);
}

}  // namespace

void appendErrorLines(const ExceptionSnapshot& s, TextSink& out) {
    if (s.code == kAccessViolation) {
        out.append("错误信息:内存").append(s.information[0] == 0 ? "读取" : "写入").append("异常\r\n");
        out.append("目标地址:").appendHex8(s.information[1]).append("\r\n");
        return;
    }
    if (s.code == kStackOverflow) {
        out.clear();
        out.append("错误信息:线程堆栈溢出异常\r\n");
        return;
    }
    for (const ErrorLine& line : kErrorLines) {
        if (line.code == s.code) {
            out.append(line.text);
            return;
        }
    }
    out.append("错误代码:").appendHex8(s.code).append("\r\n");
}

bool findAnalysisAddress(const MemoryReader& memory, const ModuleList& modules,
                         std::uint32_t ebp, std::uint32_t eip, std::uint32_t& address) {
    if (modules.count == 0) return false;
    const ModuleEntry& main = modules.entries[0];
    std::uint32_t fp = ebp;
    std::uint32_t ip = eip;
    for (int i = 0;; ++i) {
        if (i == kMaxAnalysisFrames) return false;
        if (!modules.find(ip)) break;
        // The frame pointer test is a readability probe (IsBadCodePtr on a
        // stack address checks only that a byte there can be read).
        if (static_cast<std::int32_t>(fp) <= 0 || !memory.readable(fp, 1)) return false;
        ip = memory.read32(fp + 4);
        fp = memory.read32(fp);
        if (main.base <= ip && ip <= main.end) break;
    }
    if (!usable(memory, ip)) return false;
    address = ip;
    return true;
}

void buildCrashReport(const ExceptionSnapshot& s, const ModuleList& modules,
                      const MemoryReader& memory, TextSink& out) {
    out.clear();
    out.append("警告:程序发生错误\r\n");
    appendErrorLines(s, out);
    out.append("发生位置:").appendHex8(s.address).append("\r\n");
    const ModuleEntry* module = modules.find(s.address);
    if (module && module->name[0] != '\0') {
        out.append("相对地址:[").append(module->name).append("].");
        out.appendHex8(s.address - module->base).append("\r\n");
    }
    std::uint32_t analysis = 0;
    if (findAnalysisAddress(memory, modules, s.ebp, s.eip, analysis)) {
        out.append("分析位置:").appendHex8(analysis).append("\r\n");
    }
    if (s.code != kAccessViolation && s.numberParameters != 0) {
        std::uint32_t n = s.numberParameters > 15 ? 15 : s.numberParameters;
        for (std::uint32_t i = 1; i <= n; ++i) {
            out.append("错误参数").appendDecimal(static_cast<std::int32_t>(i)).append(":");
            out.appendHex8(s.information[i - 1]).append("\r\n");
        }
    }
}
