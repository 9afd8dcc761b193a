// Debugger output: OutputDebugString goes to the trace sink, which is
// standard error when HELM_TRACE is set and nothing otherwise. Tests can
// replace the sink.
#pragma once

#include <functional>
#include <string_view>

#include "helm/kernel/types.h"

void OutputDebugString(LPCSTR text);
#define OutputDebugStringA OutputDebugString

namespace helm::kernel {
using TraceSink = std::function<void(std::string_view text)>;
// Replaces the sink; an empty function restores the default.
void set_trace_sink(TraceSink sink);
// printf-style trace through the same sink.
void trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
}  // namespace helm::kernel
