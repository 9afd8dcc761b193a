// The two dump files of a port, traces for the operator while Portserver
// runs with "/logging": "ZQO_SerialDump<port>.txt" receives the bytes of
// the line as they were read, "ZQO_ParsedDump<port>.txt" one line per
// parsed record ("T=<time stamp>,K=<kind>,L=<length>,O=<offset>"). Both lie
// in the folder of the log file, are opened (for appending) when their
// first bytes come and closed with the channel, so they stay closed while
// nothing is logged.
#pragma once

#include <cstdio>
#include <string>

#include <windows.h>

namespace helm::portserver {

// What "/logging" switches on for a channel: the log file (a line per
// frame; null when off) and the folder of the dump files (empty when off).
struct ChannelTrace {
    std::FILE* log = nullptr;
    std::string dump_folder;
};

class PortDump {
public:
    // `folder` with its trailing slash; empty: no dump.
    PortDump(int port, std::string folder) : m_port(port), m_folder(std::move(folder)) {}
    ~PortDump();
    PortDump(const PortDump&) = delete;
    PortDump& operator=(const PortDump&) = delete;

    bool on() const { return !m_folder.empty(); }
    // The read (or raw) thread only.
    void raw(const BYTE* data, size_t length);
    // The processing thread only: the records one parse call wrote for a
    // frame of time stamp `timeStamp`.
    void parsed(DWORD timeStamp, const BYTE* recordArea, const DWORD* offsets, int count);

private:
    std::FILE* open(std::FILE*& file, const char* name);

    const int m_port;
    const std::string m_folder;
    std::FILE* m_raw = nullptr;
    std::FILE* m_parsed = nullptr;
};

}  // namespace helm::portserver
