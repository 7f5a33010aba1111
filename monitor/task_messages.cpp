#include "monitor/task_messages.h"

#include "support/byte_stream.h"

ByteSet encodeTaskParams(const TaskParams& p) {
    ByteStream out;
    out.writeInt32(p.hostId);
    // A text the stream refuses would shift every later field: the reader
    // would take a wrong target, thresholds and stop token.
    if (!out.writeText(p.name) || !out.writeText(p.target)) return ByteSet();
    for (int i = 0; i < 4; ++i) {
        out.writeInt32(p.thresholds.time[i]);
        out.writeInt32(p.thresholds.color[i]);
    }
    out.writeBool(p.logFlag);
    out.writeInt32(p.stopToken);
    return out.getData();
}

TaskParams decodeTaskParams(const ByteSet& payload) {
    ByteStream in;
    in.setData(payload);
    TaskParams p;
    p.hostId = in.readInt32();
    p.name = in.readText();
    p.target = in.readText();
    for (int i = 0; i < 4; ++i) {
        p.thresholds.time[i] = in.readInt32();
        p.thresholds.color[i] = in.readInt32();
    }
    p.logFlag = in.readBool();
    p.stopToken = in.readInt32();
    return p;
}

ByteSet encodeTaskStatus(const TaskStatusMessage& m) {
    ByteStream out;
    out.writeInt32(m.hostId);
    out.writeInt32(m.roundTripTime);
    if (!out.writeText(m.statusText)) return ByteSet();
    out.writeInt32(m.color);
    out.writeInt32(m.average);
    out.writeInt32(m.level);
    out.writeInt32(m.status);
    return out.getData();
}

TaskStatusMessage decodeTaskStatus(const ByteSet& payload) {
    ByteStream in;
    in.setData(payload);
    TaskStatusMessage m;
    m.hostId = in.readInt32();
    m.roundTripTime = in.readInt32();
    m.statusText = in.readText();
    m.color = in.readInt32();
    m.average = in.readInt32();
    m.level = in.readInt32();
    m.status = in.readInt32();
    return m;
}
