// qerno-echo-responder: answers ICMP echo requests that the kernel routes to
// a TUN device, for test hosts that live nowhere but in a test's network
// namespace. The kernel here has no netem, so delay and loss are made here.
//
// Usage: qerno-echo-responder TUN RULE...
//   RULE  ADDR=DELAY_MS[/LOSS_PERCENT]   answer after DELAY_MS, drop LOSS_PERCENT of requests
//         ADDR=unreach/CODE              answer with ICMP destination unreachable CODE
//                                        (from ROUTER, the first address of the rules' /24 + .254)
// Requests to addresses without a rule are never answered. Runs until
// SIGTERM or SIGINT. The device must exist (ip tuntap add ... mode tun).
// QERNO_ECHO_REQUEST_LOG=FILE: every echo request read is also written there
// as "SECONDS.MICROSECONDS ADDR" (wall clock, at the read), for benchmarks
// that time each requester's cycle; the file is flushed every
// kLogFlushMs, so a reader sees it at most that late.
#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/time.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <queue>
#include <random>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Rule {
    int delayMs = 0;
    int lossPercent = 0;
    int unreachCode = -1;  // >= 0: reply with destination unreachable
};

struct Pending {
    Clock::time_point due;
    std::vector<uint8_t> packet;
    bool operator>(const Pending& o) const { return due > o.due; }
};

constexpr int kLogFlushMs = 200;

volatile sig_atomic_t g_stop = 0;
void onSignal(int) { g_stop = 1; }

uint16_t checksum(const uint8_t* p, size_t n) {
    uint32_t sum = 0;
    for (; n > 1; p += 2, n -= 2) sum += static_cast<uint32_t>(p[0] << 8 | p[1]);
    if (n) sum += static_cast<uint32_t>(p[0] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

void putChecksum(uint8_t* at, uint16_t sum) {
    at[0] = static_cast<uint8_t>(sum >> 8);
    at[1] = static_cast<uint8_t>(sum & 0xFF);
}

void fixIpHeader(std::vector<uint8_t>& p, size_t ihl) {
    p[8] = 64;  // TTL
    p[10] = p[11] = 0;
    putChecksum(&p[10], checksum(p.data(), ihl));
}

// The echo reply: addresses swapped, type 0, checksums recomputed.
std::vector<uint8_t> echoReply(const uint8_t* req, size_t n, size_t ihl) {
    std::vector<uint8_t> p(req, req + n);
    for (int i = 0; i < 4; ++i) std::swap(p[12 + i], p[16 + i]);
    p[ihl] = 0;
    p[ihl + 2] = p[ihl + 3] = 0;
    putChecksum(&p[ihl + 2], checksum(&p[ihl], n - ihl));
    fixIpHeader(p, ihl);
    return p;
}

// Destination unreachable from `router`, quoting the request's IP header and
// first 8 bytes of its ICMP message, as a router does.
std::vector<uint8_t> unreachable(const uint8_t* req, size_t ihl, uint32_t router, int code) {
    const size_t quoted = ihl + 8;
    std::vector<uint8_t> p(20 + 8 + quoted, 0);
    p[0] = 0x45;
    p[2] = static_cast<uint8_t>(p.size() >> 8);
    p[3] = static_cast<uint8_t>(p.size() & 0xFF);
    p[9] = 1;  // ICMP
    std::memcpy(&p[12], &router, 4);
    std::memcpy(&p[16], req + 12, 4);  // back to the requester
    p[20] = 3;
    p[21] = static_cast<uint8_t>(code);
    std::memcpy(&p[28], req, quoted);
    putChecksum(&p[22], checksum(&p[20], p.size() - 20));
    fixIpHeader(p, 20);
    return p;
}

// The request log of QERNO_ECHO_REQUEST_LOG: one line per request.
class RequestLog {
public:
    RequestLog() {
        const char* path = std::getenv("QERNO_ECHO_REQUEST_LOG");
        if (path && *path) file_ = std::fopen(path, "w");
    }
    ~RequestLog() {
        if (file_) std::fclose(file_);
    }
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;

    void add(uint32_t dst) {
        if (!file_) return;
        timeval now{};
        gettimeofday(&now, nullptr);
        char address[INET_ADDRSTRLEN] = "";
        inet_ntop(AF_INET, &dst, address, sizeof address);
        std::fprintf(file_, "%ld.%06ld %s\n", static_cast<long>(now.tv_sec), static_cast<long>(now.tv_usec),
                     address);
    }
    // Writes out what is buffered once kLogFlushMs have passed since the last time.
    void flushNow() {
        if (!file_ || Clock::now() < nextFlush_) return;
        std::fflush(file_);
        nextFlush_ = Clock::now() + std::chrono::milliseconds(kLogFlushMs);
    }

private:
    std::FILE* file_ = nullptr;
    Clock::time_point nextFlush_;
};

int openTun(const char* name) {
    int fd = open("/dev/net/tun", O_RDWR | O_CLOEXEC);
    if (fd < 0) return -1;
    ifreq ifr{};
    ifr.ifr_flags = IFF_TUN | IFF_NO_PI;
    std::strncpy(ifr.ifr_name, name, IFNAMSIZ - 1);
    if (ioctl(fd, TUNSETIFF, &ifr) < 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool parseRule(const std::string& arg, std::map<uint32_t, Rule>& rules) {
    size_t eq = arg.find('=');
    if (eq == std::string::npos) return false;
    in_addr addr{};
    if (inet_pton(AF_INET, arg.substr(0, eq).c_str(), &addr) != 1) return false;
    std::string behaviour = arg.substr(eq + 1);
    Rule rule;
    if (behaviour.rfind("unreach", 0) == 0) {
        size_t slash = behaviour.find('/');
        rule.unreachCode = slash == std::string::npos ? 1 : std::atoi(behaviour.c_str() + slash + 1);
    } else {
        rule.delayMs = std::atoi(behaviour.c_str());
        size_t slash = behaviour.find('/');
        if (slash != std::string::npos) rule.lossPercent = std::atoi(behaviour.c_str() + slash + 1);
    }
    rules[addr.s_addr] = rule;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TUN ADDR=DELAY_MS[/LOSS%%]|ADDR=unreach[/CODE]...\n", argv[0]);
        return 2;
    }
    std::map<uint32_t, Rule> rules;
    for (int i = 2; i < argc; ++i) {
        if (!parseRule(argv[i], rules)) {
            std::fprintf(stderr, "bad rule: %s\n", argv[i]);
            return 2;
        }
    }
    int tun = openTun(argv[1]);
    if (tun < 0) {
        std::perror("tun");
        return 1;
    }
    signal(SIGTERM, onSignal);
    signal(SIGINT, onSignal);
    std::mt19937 random(std::random_device{}());
    std::priority_queue<Pending, std::vector<Pending>, std::greater<Pending>> pending;
    uint8_t buf[65536];
    RequestLog requests;
    while (!g_stop) {
        requests.flushNow();
        int waitMs = kLogFlushMs;
        if (!pending.empty()) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(pending.top().due - Clock::now());
            waitMs = left.count() < 0 ? 0 : static_cast<int>(left.count()) + 1;
        }
        pollfd pfd{tun, POLLIN, 0};
        int ready = poll(&pfd, 1, waitMs);
        while (!pending.empty() && pending.top().due <= Clock::now()) {
            const auto& p = pending.top().packet;
            if (write(tun, p.data(), p.size()) < 0) std::perror("write");
            pending.pop();
        }
        if (ready <= 0) continue;
        ssize_t n = read(tun, buf, sizeof buf);
        if (n < 20 || (buf[0] >> 4) != 4 || buf[9] != 1) continue;
        size_t ihl = (buf[0] & 0x0F) * 4u;
        if (static_cast<size_t>(n) < ihl + 8 || buf[ihl] != 8) continue;  // echo requests only
        uint32_t dst;
        std::memcpy(&dst, buf + 16, 4);
        requests.add(dst);
        auto it = rules.find(dst);
        if (it == rules.end()) continue;  // silent host
        const Rule& rule = it->second;
        if (rule.unreachCode >= 0) {
            uint32_t router = (dst & htonl(0xFFFFFF00)) | htonl(254);
            auto p = unreachable(buf, ihl, router, rule.unreachCode);
            if (write(tun, p.data(), p.size()) < 0) std::perror("write");
            continue;
        }
        if (rule.lossPercent > 0 && static_cast<int>(random() % 100) < rule.lossPercent) continue;
        pending.push(Pending{Clock::now() + std::chrono::milliseconds(rule.delayMs),
                             echoReply(buf, static_cast<size_t>(n), ihl)});
    }
    close(tun);
    return 0;
}
