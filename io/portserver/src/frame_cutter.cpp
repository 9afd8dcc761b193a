#include "frame_cutter.h"

#include <algorithm>
#include <cstring>

namespace helm::portserver {

void FrameCutter::set_framing(const sPORT_PROTOCOL& protocol)
{
    // Copied first: the record is packed, and its fields may lie unaligned.
    const int32_t fixed = protocol.fixed_frame_length;
    const int32_t start_mode = protocol.start_mode;
    m_fixed = fixed > 0 ? std::min<uint32_t>(static_cast<uint32_t>(fixed), kMaxFrame) : 0;
    m_start_count = static_cast<uint32_t>(std::clamp(start_mode, 0, 2));
    m_start[0] = protocol.start_character;
    m_start[1] = protocol.second_start_byte;
    m_end = protocol.end_flag != 0;
    m_end_character = protocol.end_character;
    m_length = 0;
}

void FrameCutter::append(BYTE byte) { m_frame[m_length++] = static_cast<char>(byte); }

void FrameCutter::start_frame(double timeMs, const SYSTEMTIME& localTime)
{
    m_time = timeMs;
    m_local_time = localTime;
}

bool FrameCutter::ends_with_start() const
{
    if (m_length < 2 * m_start_count)
        return false;
    return std::memcmp(m_frame + m_length - m_start_count, m_start, m_start_count) == 0;
}

void FrameCutter::feed(const BYTE* bytes, uint32_t length, double timeMs, const SYSTEMTIME& localTime,
                       double msPerCharacter, const Sink& sink)
{
    if (!bytes || length == 0)
        return;

    if (m_start_count == 0 && !m_end) {
        // Fixed-length frames with no marker: a record that would overrun
        // the frame is taken as a loss of step and dropped, so that the
        // next record starts a frame again.
        if (m_fixed == 0 || m_length >= m_fixed)
            return;
        if (m_length + length > m_fixed) {
            m_length = 0;
            return;
        }
        if (m_length == 0)
            start_frame(timeMs, localTime);
        std::memcpy(m_frame + m_length, bytes, length);
        m_length += length;
        if (m_length == m_fixed) {
            m_frame[m_length] = '\0';
            sink(m_frame, m_length, m_time, m_local_time);
            m_length = 0;
        }
        return;
    }

    for (uint32_t i = 0; i < length; ++i) {
        const BYTE byte = bytes[i];
        const double byte_time = timeMs + i * msPerCharacter;
        if (m_length < m_start_count) {
            if (byte != m_start[m_length]) {
                if (m_length == 0)
                    continue;
                m_length = 0;
                if (byte != m_start[0])
                    continue;
            }
            if (m_length == 0)
                start_frame(byte_time, localTime);
            append(byte);
            continue;
        }
        if (m_length == 0)
            start_frame(byte_time, localTime);  // no start marker: the first byte's time
        if (m_length >= kMaxFrame) {
            m_length = 0;
            continue;
        }
        append(byte);

        if (m_end) {
            if (m_length >= 2 && static_cast<BYTE>(m_frame[m_length - 1]) == m_end_character) {
                m_frame[m_length] = '\0';
                sink(m_frame, m_length, m_time, m_local_time);
                m_length = 0;
            }
        } else if (m_fixed > 0) {
            if (m_length == m_fixed) {
                m_frame[m_length] = '\0';
                sink(m_frame, m_length, m_time, m_local_time);
                m_length = 0;
            }
        } else if (ends_with_start()) {
            // The start bytes that close this frame open the next one.
            const uint32_t frame_length = m_length - m_start_count;
            const char saved = m_frame[frame_length];
            m_frame[frame_length] = '\0';
            sink(m_frame, frame_length, m_time, m_local_time);
            m_frame[frame_length] = saved;
            std::memmove(m_frame, m_frame + frame_length, m_start_count);
            m_length = m_start_count;
            start_frame(byte_time - (m_start_count - 1) * msPerCharacter, localTime);
        }
    }
}

}  // namespace helm::portserver
