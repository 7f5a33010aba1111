// Echo status codes in the numbering of the Windows ICMP library (IP_STATUS),
// which every platform's echo facility reports.
#pragma once

#include <cstdint>

enum IpStatus : int32_t {
    ipSuccess = 0,
    ipDestNetUnreachable = 11002,
    ipDestHostUnreachable = 11003,
    ipDestProtUnreachable = 11004,
    ipDestPortUnreachable = 11005,
    ipNoResources = 11006,
    ipPacketTooBig = 11009,
    ipReqTimedOut = 11010,
    ipTtlExpiredTransit = 11013,
    ipTtlExpiredReassem = 11014,
    ipParamProblem = 11015,
    ipSourceQuench = 11016,
    ipGeneralFailure = 11050,
};
