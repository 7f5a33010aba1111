// Frame walk, export lookup and the call-stack text over a fake address space.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "crashguard/stack_analysis.h"
#include "fake_memory.h"

namespace {

constexpr std::uint32_t kThunk = 0x00300000;
constexpr std::uint32_t kDll = 0x10000000;

// app.exe (no headers), kernel32.dll (no headers), mod.dll with an export
// table: Alpha at +0x1000, an unnamed routine at +0x1100, Gamma at +0x2000.
struct Frames : ::testing::Test {
    void SetUp() override {
        memory.map(0x00200000, 0x1000);  // the stack
        memory.code(0x00400000, 0x0040FFFF);
        memory.code(0x7B800000, 0x7B80FFFF);
        memory.code(kDll, kDll + 0xFFFF);
        memory.code(kThunk, kThunk + 16);
        modules.add("app.exe", 0x00400000, 0x10000);
        modules.add("kernel32.dll", 0x7B800000, 0x10000);
        modules.add("mod.dll", kDll, 0x10000);
        buildExportImage();
    }

    void buildExportImage() {
        memory.map(kDll, 0x1000);
        memory.put16(kDll, 0x5A4D);
        memory.put16(kDll + 60, 0x80);
        memory.put16(kDll + 0x80, 0x4550);
        memory.put32(kDll + 0x80 + 120, 0x200);
        memory.put32(kDll + 0x200 + 20, 3);      // NumberOfFunctions
        memory.put32(kDll + 0x200 + 24, 2);      // NumberOfNames
        memory.put32(kDll + 0x200 + 28, 0x300);  // AddressOfFunctions
        memory.put32(kDll + 0x200 + 32, 0x340);  // AddressOfNames
        memory.put32(kDll + 0x200 + 36, 0x360);  // AddressOfNameOrdinals
        memory.put32(kDll + 0x300, 0x1000);
        memory.put32(kDll + 0x304, 0x1100);
        memory.put32(kDll + 0x308, 0x2000);
        memory.put32(kDll + 0x340, 0x380);
        memory.put32(kDll + 0x344, 0x390);
        memory.put16(kDll + 0x360, 0);
        memory.put16(kDll + 0x362, 2);
        memory.putText(kDll + 0x380, "Alpha");
        memory.putText(kDll + 0x390, "Gamma");
    }

    // Frame at fp: saved frame pointer `next`, return address `ret`.
    void frame(std::uint32_t fp, std::uint32_t next, std::uint32_t ret) {
        memory.put32(fp, next);
        memory.put32(fp + 4, ret);
    }

    std::string analyse(std::uint32_t ebp, std::uint32_t eip,
                        std::initializer_list<RecordedFrame> recorded = {},
                        StackAnalysisOptions options = {}) {
        FramePair pairs[kMaxStackFrames];
        int n = walkFramePointers(memory, ebp, eip, pairs, kMaxStackFrames);
        FixedText<8192> out;
        buildStackAnalysis(pairs, n, recorded.begin(), static_cast<int>(recorded.size()), kThunk,
                           modules, memory, options, *scratch, out);
        return out.c_str();
    }

    std::string symbol(std::uint32_t address, std::uint32_t& distance) {
        FixedText<256> text;
        distance = symbolizeAddress(memory, address, kDll, text);
        return text.c_str();
    }

    FakeMemory memory;
    ModuleList modules;
    std::unique_ptr<StackAnalysisScratch> scratch = std::make_unique<StackAnalysisScratch>();
};

TEST_F(Frames, SymbolizeFindsNearestExportAtOrBelow) {
    std::uint32_t d = 0;
    EXPECT_EQ(symbol(kDll + 0x1000 + 31, d), "Alpha");
    EXPECT_EQ(d, 31u);
    EXPECT_EQ(symbol(kDll + 0x1100 + 4, d), "10001100");  // unnamed: its address
    EXPECT_EQ(d, 4u);
    EXPECT_EQ(symbol(kDll + 0x2000, d), "Gamma");
    EXPECT_EQ(d, 0u);
    EXPECT_EQ(symbol(kDll + 0x20, d), "");  // below every export
    EXPECT_EQ(d, 0u);
    FixedText<256> text;
    EXPECT_EQ(symbolizeAddress(memory, 0x00401000, 0x00400000, text), 0u);  // no "MZ"
    EXPECT_STREQ(text.c_str(), "");
    EXPECT_EQ(symbolizeAddress(memory, kDll + 0x1000, 0, text), 0u);
}

TEST_F(Frames, SymbolizeRejectsBrokenHeaders) {
    std::uint32_t d = 0;
    memory.put32(kDll + 0x200 + 24, 0);  // no names
    EXPECT_EQ(symbol(kDll + 0x1010, d), "");
    memory.put32(kDll + 0x200 + 24, 2);
    memory.put32(kDll + 0x200 + 20, 0x7FFFFFFF);  // absurd count still ends
    EXPECT_EQ(symbol(kDll + 0x1010, d), "Alpha");
    memory.put16(kDll + 0x80, 0x4551);
    EXPECT_EQ(symbol(kDll + 0x1010, d), "");
}

TEST_F(Frames, NothingRecordedListsEveryFrameInnermostFirstWithoutOuterSystemFrames) {
    frame(0x00200100, 0x00200200, kDll + 0x1000 + 31);
    frame(0x00200200, 0x00200300, kDll + 0x2000 + 5000);
    frame(0x00200300, 0x00200400, 0x00412345 - 0x10000);
    frame(0x00200400, 0x00200500, 0x7B801234);
    frame(0x00200500, 0, 0);
    EXPECT_EQ(analyse(0x00200100, 0x00401010),
              " [app.exe]+0x1010=00401010\r\n"
              "  [mod.dll].Alpha+0x1F\r\n"
              "   0x10003388\r\n"  // beyond the export distance
              "    [app.exe]+0x2345=00402345\r\n");
    StackAnalysisOptions keepSystem;
    keepSystem.skipOuterSystemFrames = 0;
    keepSystem.outermostFirst = 1;
    EXPECT_EQ(analyse(0x00200100, 0x00401010, {}, keepSystem),
              " [kernel32.dll]+0x1234=7B801234\r\n"
              "  [app.exe]+0x2345=00402345\r\n"
              "   0x10003388\r\n"
              "    [mod.dll].Alpha+0x1F\r\n"
              "     [app.exe]+0x1010=00401010\r\n");
}

TEST_F(Frames, SystemFramesInsideTheStackStay) {
    // Only outermost system frames are dropped; one between app frames stays.
    frame(0x00200100, 0x00200200, 0x7B801234);
    frame(0x00200200, 0x00200300, 0x00400020);
    frame(0x00200300, 0, 0);
    EXPECT_EQ(analyse(0x00200100, 0x00401010),
              " [app.exe]+0x1010=00401010\r\n"
              "  [kernel32.dll]+0x1234=7B801234\r\n"
              "   [app.exe]+0x20=00400020\r\n");
}

TEST_F(Frames, CrashBelowRecordedHandlerShowsCalleeThenHandler) {
    // callee (fp 0x100) <- handler "事件_托盘" (fp 0x200, return slot
    // hijacked) <- dispatcher (fp 0x300) <- outer frames.
    frame(0x00200100, 0x00200200, 0x00402020);
    frame(0x00200200, 0x00200300, kThunk);
    frame(0x00200300, 0x00200400, 0x00403030);
    frame(0x00200400, 0, 0x7B801234);
    EXPECT_EQ(analyse(0x00200100, 0x00401010, {{0x00403030, 0x00200200, "事件_托盘"}}),
              " [app.exe]+0x1010=00401010\r\n"
              "  [00402020]事件_托盘\r\n");
}

TEST_F(Frames, TwoRecordedRoutinesGetTheirRealReturnAddresses) {
    // H (fp 0x200) records itself, calls G (fp 0x100) which records itself
    // and faults: both return slots hold the thunk.
    frame(0x00200100, 0x00200200, kThunk);
    frame(0x00200200, 0x00200300, kThunk);
    frame(0x00200300, 0, 0x00403030);
    EXPECT_EQ(analyse(0x00200100, 0x00401010,
                      {{0x00403030, 0x00200200, "H"}, {0x00402020, 0x00200100, "G"}}),
              " [00401010]G\r\n"
              "  [00402020]H\r\n");
}

TEST_F(Frames, WalkIsBoundedOnLoopingAndEndlessChains) {
    frame(0x00200100, 0x00200100, 0x00401000);  // points at itself
    FramePair pairs[8];
    EXPECT_EQ(walkFramePointers(memory, 0x00200100, 0x00401010, pairs, 8), 1);
    frame(0x00200100, 0x00200080, 0x00401000);  // points downwards
    EXPECT_EQ(walkFramePointers(memory, 0x00200100, 0x00401010, pairs, 8), 1);
    for (std::uint32_t fp = 0x00200000; fp < 0x00200F00; fp += 0x10) frame(fp, fp + 0x10, 0x00401000);
    EXPECT_EQ(walkFramePointers(memory, 0x00200000, 0x00401010, pairs, 8), 8);
    EXPECT_EQ(pairs[0].framePointer, 0x00200000u);
    EXPECT_EQ(pairs[0].codeAddress, 0x00401010u);
    EXPECT_EQ(pairs[1].framePointer, 0x00200010u);
    EXPECT_EQ(pairs[1].codeAddress, 0x00401000u);
    // Unreadable start and non-code addresses give no pairs.
    EXPECT_EQ(walkFramePointers(memory, 0x00900000, 0x00401010, pairs, 8), 0);
    frame(0x00200100, 0, 0x00401000);
    EXPECT_EQ(walkFramePointers(memory, 0x00200100, 0x00900000, pairs, 8), 0);
}

}  // namespace
