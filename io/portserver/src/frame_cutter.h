// Cuts the bytes of a port's raw records into frames by the framing fields
// of its protocol: a fixed length, up to two start bytes, an end character.
// Each frame carries the time of its first byte on the line.
#pragma once

#include <cstdint>
#include <functional>

#include "helm/portlink/channel_memory.h"

namespace helm::portserver {

class FrameCutter {
public:
    // The longest frame; a longer one is abandoned.
    static constexpr uint32_t kMaxFrame = 1023;

    using Sink = std::function<void(const char* frame, uint32_t length, double timeMs, const SYSTEMTIME& localTime)>;

    void set_framing(const sPORT_PROTOCOL& protocol);
    // Forgets a frame in progress.
    void reset() { m_length = 0; }

    // One raw record: `timeMs` is the time of its first byte, and byte i
    // came `msPerCharacter` x i later. Whole frames go to `sink`.
    void feed(const BYTE* bytes, uint32_t length, double timeMs, const SYSTEMTIME& localTime, double msPerCharacter,
              const Sink& sink);

private:
    void append(BYTE byte);
    bool ends_with_start() const;
    void start_frame(double timeMs, const SYSTEMTIME& localTime);

    uint32_t m_fixed = 0;
    uint32_t m_start_count = 0;
    BYTE m_start[2] = {};
    bool m_end = false;
    BYTE m_end_character = 0;

    char m_frame[kMaxFrame + 1] = {};
    uint32_t m_length = 0;
    double m_time = 0;
    SYSTEMTIME m_local_time{};
};

}  // namespace helm::portserver
