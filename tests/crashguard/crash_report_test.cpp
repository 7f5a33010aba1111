// The crash report text, built from made-up exception snapshots.
#include <gtest/gtest.h>

#include <string>

#include "crashguard/crash_report.h"
#include "crashguard/hex_format.h"
#include "fake_memory.h"

namespace {

constexpr const char* kHeader = "警告:程序发生错误\r\n";

std::string report(const ExceptionSnapshot& s, const ModuleList& modules,
                   const FakeMemory& memory) {
    FixedText<4096> out;
    buildCrashReport(s, modules, memory, out);
    return out.c_str();
}

ExceptionSnapshot snapshot(std::uint32_t code, std::uint32_t address,
                           std::initializer_list<std::uint32_t> params) {
    ExceptionSnapshot s;
    s.code = code;
    s.address = address;
    s.numberParameters = static_cast<std::uint32_t>(params.size());
    int i = 0;
    for (std::uint32_t p : params) s.information[i++] = p;
    return s;
}

TEST(HexFormat, WidthsAndAutomaticWidth) {
    EXPECT_EQ(formatHex(0xAB, 2), Text("AB"));
    EXPECT_EQ(formatHex(0xAB, 4), Text("00AB"));
    EXPECT_EQ(formatHex(0xAB, 8), Text("000000AB"));
    EXPECT_EQ(formatHex(0xAB, 3), Text("AB"));
    EXPECT_EQ(formatHex(0x12345, 2), Text("12345"));  // a width is a minimum
    EXPECT_EQ(formatHex(0xFFFFFFFF, 8), Text("FFFFFFFF"));
    EXPECT_EQ(formatHex(0, 0), Text("0"));
    EXPECT_EQ(hexAuto(0xFF), Text("FF"));
    EXPECT_EQ(hexAuto(0x100), Text("0100"));
    EXPECT_EQ(hexAuto(0xFFFF), Text("FFFF"));
    EXPECT_EQ(hexAuto(0x10000), Text("00010000"));
}

TEST(CrashReport, ErrorLinesByCode) {
    FakeMemory memory;
    ModuleList none;
    struct Case {
        ExceptionSnapshot s;
        std::string expected;
    };
    const std::string at = "发生位置:00000010\r\n";
    const Case cases[] = {
        // Access violations never list their two parameters.
        {snapshot(0xC0000005, 0x10, {0, 0}),
         kHeader + std::string("错误信息:内存读取异常\r\n目标地址:00000000\r\n") + at},
        {snapshot(0xC0000005, 0x10, {1, 0x1234}),
         kHeader + std::string("错误信息:内存写入异常\r\n目标地址:00001234\r\n") + at},
        {snapshot(0xC0000005, 0x10, {8, 0x10}),  // execution fault reads as a write
         kHeader + std::string("错误信息:内存写入异常\r\n目标地址:00000010\r\n") + at},
        {snapshot(0xC0000094, 0x10, {}), kHeader + std::string("错误信息:非法除0异常\r\n") + at},
        {snapshot(0xC000008E, 0x10, {}), kHeader + std::string("错误信息:非法除0异常\r\n") + at},
        // A stack overflow replaces the header; its parameters are listed.
        {snapshot(0xC00000FD, 0x10, {1, 0x00031FFC}),
         "错误信息:线程堆栈溢出异常\r\n" + at + "错误参数1:00000001\r\n错误参数2:00031FFC\r\n"},
        {snapshot(0xC000001D, 0x10, {}), kHeader + std::string("错误信息:非法CPU指令\r\n") + at},
        {snapshot(0x80000003, 0x10, {0}),
         kHeader + std::string("错误信息:int3调试中断\r\n") + at + "错误参数1:00000000\r\n"},
        {snapshot(0xC0000096, 0x10, {}),
         kHeader + std::string("错误信息:无法执行Ring0指令\r\n") + at},
        {snapshot(0xE06D7363, 0x10, {0x19930520, 0x0022FF00, 0x00405000}),
         kHeader + std::string("错误信息:执行Virtual C++ throw()指令\r\n") + at +
             "错误参数1:19930520\r\n错误参数2:0022FF00\r\n错误参数3:00405000\r\n"},
        {snapshot(0x0EEDFAE6, 0x10, {}),
         kHeader + std::string("错误信息:执行C++ Builder throw()指令\r\n") + at},
        {snapshot(0xC0000093, 0x10, {}), kHeader + std::string("错误代码:C0000093\r\n") + at},
        {snapshot(0x20474343, 0x10, {7}),
         kHeader + std::string("错误代码:20474343\r\n") + at + "错误参数1:00000007\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(report(c.s, none, memory), c.expected) << std::hex << c.s.code;
    }
}

TEST(CrashReport, MoreThanFifteenParametersListsFifteen) {
    FakeMemory memory;
    ModuleList none;
    ExceptionSnapshot s = snapshot(0xE0000001, 0x10, {});
    s.numberParameters = 40;
    for (int i = 0; i < 15; ++i) s.information[i] = 0xA0 + i;
    std::string expected = kHeader + std::string("错误代码:E0000001\r\n发生位置:00000010\r\n");
    for (int i = 1; i <= 15; ++i) {
        expected += "错误参数" + std::to_string(i) + ":" + formatHex(0xA0 + i - 1, 8).str() + "\r\n";
    }
    EXPECT_EQ(report(s, none, memory), expected);
}

// app.exe at 0x00400000 calls helper() at 0x00401010 which faults; its frame
// at 0x00200100 returns to 0x00402020, also in app.exe.
struct FaultInMainExe : ::testing::Test {
    void SetUp() override {
        memory.map(0x00200000, 0x1000);
        memory.code(0x00400000, 0x0040FFFF);
        memory.code(0x7B800000, 0x7B80FFFF);
        modules.add("app.exe", 0x00400000, 0x10000);
        modules.add("kernel32.dll", 0x7B800000, 0x10000);
        memory.put32(0x00200100, 0x00200200);
        memory.put32(0x00200104, 0x00402020);
        memory.put32(0x00200200, 0);
        memory.put32(0x00200204, 0x7B801234);
    }
    FakeMemory memory;
    ModuleList modules;
};

TEST_F(FaultInMainExe, ReportNamesModuleOffsetAndCallerAsAnalysisAddress) {
    ExceptionSnapshot s = snapshot(0xC0000094, 0x00401010, {});
    s.ebp = 0x00200100;
    s.eip = 0x00401010;
    EXPECT_EQ(report(s, modules, memory),
              kHeader + std::string("错误信息:非法除0异常\r\n发生位置:00401010\r\n"
                                    "相对地址:[app.exe].00001010\r\n分析位置:00402020\r\n"));
}

TEST_F(FaultInMainExe, AnalysisAddressSkipsFramesOutsideTheMainExe) {
    // kernel32 code called back into app.exe: the first return address that
    // lands in app.exe is the answer, not the faulting kernel32 address.
    memory.put32(0x00200104, 0x7B805000);
    memory.put32(0x00200200, 0x00200300);
    memory.put32(0x00200204, 0x00403030);
    std::uint32_t address = 0;
    ASSERT_TRUE(findAnalysisAddress(memory, modules, 0x00200100, 0x7B801000, address));
    EXPECT_EQ(address, 0x00403030u);
}

TEST_F(FaultInMainExe, AnalysisAddressFailures) {
    std::uint32_t address = 0;
    EXPECT_FALSE(findAnalysisAddress(memory, ModuleList{}, 0x00200100, 0x00401010, address));
    // Frame pointer 0 or unreadable: the chain is broken.
    EXPECT_FALSE(findAnalysisAddress(memory, modules, 0, 0x00401010, address));
    EXPECT_FALSE(findAnalysisAddress(memory, modules, 0x00900000, 0x00401010, address));
    // A code address outside every module stops the walk at once.
    memory.code(0x00500000, 0x00500FFF);
    ASSERT_TRUE(findAnalysisAddress(memory, modules, 0x00200100, 0x00500010, address));
    EXPECT_EQ(address, 0x00500010u);
    // A self-referencing frame still ends.
    memory.put32(0x00200100, 0x00200100);
    memory.put32(0x00200104, 0x7B801000);
    EXPECT_FALSE(findAnalysisAddress(memory, modules, 0x00200100, 0x7B801000, address));
}

TEST_F(FaultInMainExe, AddressOutsideEveryModuleHasNoRelativeLine) {
    ExceptionSnapshot s = snapshot(0x80000003, 0x00600000, {});
    EXPECT_EQ(report(s, modules, memory),
              kHeader + std::string("错误信息:int3调试中断\r\n发生位置:00600000\r\n"));
}

}  // namespace
