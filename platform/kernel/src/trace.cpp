#include "helm/kernel/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

std::mutex g_sink_mutex;
helm::kernel::TraceSink g_sink;

void default_sink(std::string_view text)
{
    static const bool enabled = std::getenv("HELM_TRACE") != nullptr;
    if (enabled)
        std::fwrite(text.data(), 1, text.size(), stderr);
}

}  // namespace

void OutputDebugString(LPCSTR text)
{
    if (!text)
        return;
    std::lock_guard lock(g_sink_mutex);
    if (g_sink)
        g_sink(text);
    else
        default_sink(text);
}

namespace helm::kernel {

void set_trace_sink(TraceSink sink)
{
    std::lock_guard lock(g_sink_mutex);
    g_sink = std::move(sink);
}

void trace(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    OutputDebugString(buffer);
}

}  // namespace helm::kernel
