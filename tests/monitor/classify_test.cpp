// Classification of probe outcomes and the status texts.
#include <gtest/gtest.h>

#include "monitor/classify.h"
#include "monitor/status_text.h"

namespace {

constexpr int32_t kGreen = 0x008000, kOrange = 0x0080FF, kRed = 0x0000FF, kGrey = 0x606060;
const Thresholds kDefaults{{30, 100, 200, 500}, {kGreen, kOrange, kRed, kGrey}};

struct ClassifyCase {
    int32_t roundTrip, status;
    Thresholds thresholds;
    int level;
    int32_t color, latency;
};

TEST(Classify, StepsInOrderLaterOverride) {
    const Thresholds notRising{{30, 300, 200, 500}, {kGreen, kOrange, kRed, kGrey}};
    const Thresholds negative{{-5, 100, 200, 500}, {kGreen, kOrange, kRed, kGrey}};
    const ClassifyCase cases[] = {
        {0, 0, kDefaults, 0, kGreen, 0},          // reply in under a millisecond
        {29, 0, kDefaults, 0, kGreen, 29},
        {30, 0, kDefaults, 1, kGreen, 30},        // equal to a threshold: the higher class
        {99, 0, kDefaults, 1, kGreen, 99},
        {100, 0, kDefaults, 2, kOrange, 100},
        {199, 0, kDefaults, 2, kOrange, 199},
        {200, 0, kDefaults, 3, kRed, 200},
        {499, 0, kDefaults, 3, kRed, 499},
        {500, 0, kDefaults, 4, kGrey, 500},
        {1200, 0, kDefaults, 4, kGrey, 1200},
        {0, 11010, kDefaults, 4, kGrey, 1000},    // timeout
        {0, -1, kDefaults, 4, kGrey, 1000},       // nothing sent
        {5, 11013, kDefaults, 0, kGreen, 5},      // an error that came with a time
        {250, 11003, kDefaults, 3, kRed, 250},
        {250, 0, notRising, 3, kRed, 250},        // a later threshold wins: they need not rise
        {0, 0, negative, 1, kGreen, 0},           // signed comparison
        {-1, 0, kDefaults, 0, kGreen, -1},
    };
    for (const ClassifyCase& c : cases) {
        Classification got = Classify(c.roundTrip, c.status, c.thresholds);
        SCOPED_TRACE(testing::Message() << "r=" << c.roundTrip << " s=" << c.status);
        EXPECT_EQ(got.level, c.level);
        EXPECT_EQ(got.color, c.color);
        EXPECT_EQ(got.effectiveLatency, c.latency);
    }
}

TEST(StatusText, TableAndUnlistedCodes) {
    const struct { int32_t code; const char* text; } cases[] = {
        {0, "网络可通"},          {11001, "缓存太小"},        {11002, "目标网络不可到达"},
        {11003, "目标主机不可到达"}, {11004, "目标地协议不可到达"}, {11005, "目标端口不可到达"},
        {11006, "IP资源不足"},     {11007, "错误的IP选项"},    {11008, "硬件错误"},
        {11009, "信息包太大"},      {11010, "请求超时"},        {11011, "错误请求"},
        {11012, "错误路由"},        {11013, "TTL终止传输"},     {11014, "TTL终止重新组装"},
        {11015, "参数有问题"},      {11016, "资源结束"},        {11017, "选项太大"},
        {11018, "错误目的地"},      {11050, "常规失败"},
        {-1, ""}, {11000, ""}, {11019, ""}, {11049, ""}, {12345, ""}, {1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(StatusText(c.code), Text(c.text)) << c.code;
}

}  // namespace
