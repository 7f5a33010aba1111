#include "runtime/runtime_error.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "runtime/convert.h"

namespace {

void writeToStderr(const RuntimeError& error) {
    Text text = runtimeErrorText(error);
    std::fwrite(text.c_str(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::atomic<RuntimeErrorHandler> g_handler{nullptr};

}  // namespace

Text runtimeErrorText(const RuntimeError& error) {
    Text text = "运行时出错!\r\n\r\n";
    if (error.code != 0) text += "错误代码：" + toText(error.code) + "\r\n\r\n";
    if (!error.message.empty()) text += "错误信息：" + error.message + "\r\n";
    return text;
}

RuntimeErrorHandler setRuntimeErrorHandler(RuntimeErrorHandler handler) {
    return g_handler.exchange(handler);
}

void raiseRuntimeError(const RuntimeError& error) {
    RuntimeErrorHandler handler = g_handler.load();
    if (handler) handler(error);
    writeToStderr(error);
    std::_Exit(-1);
}
