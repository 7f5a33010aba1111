#include "monitor/status_text.h"

#include "runtime/ip_status.h"

Text StatusText(int32_t code) {
    switch (code) {
        case ipSuccess: return "网络可通";
        case 11001: return "缓存太小";
        case ipDestNetUnreachable: return "目标网络不可到达";
        case ipDestHostUnreachable: return "目标主机不可到达";
        case ipDestProtUnreachable: return "目标地协议不可到达";
        case ipDestPortUnreachable: return "目标端口不可到达";
        case 11006: return "IP资源不足";
        case 11007: return "错误的IP选项";
        case 11008: return "硬件错误";
        case ipPacketTooBig: return "信息包太大";
        case ipReqTimedOut: return "请求超时";
        case 11011: return "错误请求";
        case 11012: return "错误路由";
        case ipTtlExpiredTransit: return "TTL终止传输";
        case ipTtlExpiredReassem: return "TTL终止重新组装";
        case ipParamProblem: return "参数有问题";
        case ipSourceQuench: return "资源结束";
        case 11017: return "选项太大";
        case 11018: return "错误目的地";
        case ipGeneralFailure: return "常规失败";
        default: return Text();
    }
}
