#include "report/report_csv.h"

#include "report/csv.h"
#include "report/report_text.h"

// u8 literals: the build turns plain literals into the program's code page.
namespace {

std::string share(const std::optional<double>& value, std::string (*text)(const std::optional<double>&)) {
    return value ? text(value) : std::string();
}

std::string number(const std::optional<int>& value) { return value ? std::to_string(*value) : std::string(); }

// What a cut row's times mean, as the report says it.
std::string cutNote(const ReportOutage& o) {
    std::string note;
    if (o.startsBefore) note += u8"此前已开始";
    if (o.lasting) note += std::string(note.empty() ? "" : u8"；") + u8"仍在持续";
    else if (o.endsAfter) note += std::string(note.empty() ? "" : u8"；") + u8"此后才结束";
    return note;
}

}  // namespace

std::string reportHostsCsv(const ReportFigures& r) {
    std::string out(kUtf8Bom);
    out += CsvLine({u8"主机", u8"地址", u8"可用率", u8"中断次数", u8"中断总时长(秒)", u8"最长中断(秒)",
                    u8"最高延迟(ms)", u8"平均延迟(ms)", u8"丢包率", u8"覆盖率", u8"延迟过高次数"});
    for (const HostFigures& h : r.hosts)
        out += CsvLine({h.host.name, h.host.address, share(h.availability, availabilityText),
                        std::to_string(h.outages), std::to_string(h.downtime), std::to_string(h.longest),
                        number(h.worstMs), number(h.averageMs), share(h.loss, lossText),
                        share(h.coverage, availabilityText), std::to_string(h.highLatency)});
    return out;
}

std::string reportOutagesCsv(const ReportFigures& r) {
    std::string out(kUtf8Bom);
    out += CsvLine({u8"主机", u8"地址", u8"类型", u8"开始", u8"结束", u8"时长(秒)", u8"最高延迟(ms)", u8"说明"});
    for (const ReportOutage& o : r.outageList)
        out += CsvLine({o.name, o.address, outageKindText(o.kind), dateTimeText(o.start), dateTimeText(o.end),
                        std::to_string(o.duration()), o.kind == kOutageDown ? std::string() : std::to_string(o.worst),
                        cutNote(o)});
    return out;
}
