// Replay: the worker records the sentences it decoded, one a line,
// "<time stamp in ms>\t<sentence>" CR LF; a playback sends a recording
// through the decoders again on the window thread, in its recorded rhythm.
#include <afxwin.h>

#include <cstring>

#include "helm/kernel/station_path.h"
#include "helm/sensorlink/C_Q_Server.h"
#include "helm/sensorlink/window_post.h"
#include "helm/station/atoms.h"
#include "section_lock.h"
#include "server_link.h"

using namespace helm::sensorlink;

namespace {

UINT record_message()
{
    return RegisterWindowMessage("ZQO_RECORD_FOR_REPLAY");
}

// "<stamp>\t<sentence>" with the line end cut: false when the line is not
// that (no stamp, a stamp beyond 32 bits, no tab, no sentence).
bool parse_replay_line(const char* line, DWORD* stamp, std::string* sentence)
{
    uint64_t value = 0;
    std::size_t i = 0;
    for (; line[i] >= '0' && line[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(line[i] - '0');
        if (i >= 10 || value > UINT32_MAX)
            return false;
    }
    if (i == 0 || line[i] != '\t')
        return false;
    const char* text = line + i + 1;
    const std::size_t length = std::strcspn(text, "\r\n");
    if (length == 0)
        return false;
    *stamp = static_cast<DWORD>(value);
    sentence->assign(text, length);
    return true;
}

}  // namespace

int C_Q_Server::F_StartOrStopRecordFileReplay(const char* path)
{
    if (!m_connected || m_worker == nullptr)
        return -1;
    const char* target = path != nullptr && path[0] != '\0' ? path : m_replayPath;
    {
        SectionLock lock(&m_recordsLock);
        if (std::strlen(target) >= sizeof m_recordPath)
            return -1;
        std::strcpy(m_recordPath, target);
    }
    return m_worker->PostThreadMessage(record_message(), 0, 0) ? 0 : -1;
}

void C_Q_Server::toggle_recording()
{
    if (m_recording) {
        m_recording = 0;
        if (m_replayFile != nullptr)
            std::fclose(m_replayFile);
        m_replayFile = nullptr;
        return;
    }
    std::string path;
    {
        SectionLock lock(&m_recordsLock);
        path = m_recordPath;
    }
    if (path.empty())
        return;
    m_replayFile = std::fopen(helm::kernel::native_path(path).c_str(), "wb");
    m_recording = m_replayFile != nullptr ? 1 : 0;
}

void C_Q_Server::record(std::string_view text, DWORD timeStamp)
{
    if (!m_recording || m_replayFile == nullptr)
        return;
    text = text.substr(0, text.find_first_of("\r\n"));
    std::fprintf(m_replayFile, "%lu\t%.*s\r\n", static_cast<unsigned long>(timeStamp), static_cast<int>(text.size()),
                 text.data());
}

int C_Q_Server::F_StartReplayFile(const char* path)
{
    reap_if_ended(&m_worker);
    if (path == nullptr || m_worker != nullptr || m_connected)
        return -1;
    if (m_replaying)
        F_StopReplayFile();
    std::FILE* file = std::fopen(helm::kernel::native_path(path).c_str(), "rb");
    if (file == nullptr)
        return -1;
    init_records();
    m_replayFile = file;
    m_replaying = 1;
    m_replayDone = false;
    m_replayClock = 0;
    m_replayDue = 0;
    m_replayHasLast = false;
    m_replayNext.clear();
    return 0;
}

bool C_Q_Server::next_replay_line()
{
    char line[kMaxSentence + 32];
    while (std::fgets(line, sizeof line, m_replayFile) != nullptr) {
        const std::size_t length = std::strlen(line);
        if (length == sizeof line - 1 && line[length - 1] != '\n') {
            // Too long for a sentence: the rest of the line goes too.
            int c = 0;
            while ((c = std::fgetc(m_replayFile)) != EOF && c != '\n') {
            }
            continue;
        }
        DWORD stamp = 0;
        std::string sentence;
        if (!parse_replay_line(line, &stamp, &sentence))
            continue;
        // Due after the gap to the sentence before; a stamp that goes back
        // is due at once.
        if (m_replayHasLast && static_cast<int32_t>(stamp - m_replayLastStamp) > 0)
            m_replayDue += static_cast<uint32_t>(stamp - m_replayLastStamp);
        m_replayLastStamp = stamp;
        m_replayHasLast = true;
        m_replayNext = sentence + "\r\n";
        return true;
    }
    return false;
}

int C_Q_Server::F_ReadReplayFile(unsigned int elapsedMs)
{
    if (!m_replaying || m_replayFile == nullptr || m_replayDone)
        return -1;
    m_replayClock += elapsedMs;
    int played = 0;
    while (played < kMaxReplayPerRead) {
        if (m_replayNext.empty() && !next_replay_line()) {
            m_replayDone = true;
            post_to_main_window(F_GetReplayMessage(), 0, 0);
            return played > 0 ? played : -1;
        }
        if (m_replayDue > m_replayClock)
            break;
        F_DecodeFrameFromSystem(m_replayNext, m_replayLastStamp);
        m_replayNext.clear();
        ++played;
    }
    return played;
}

int C_Q_Server::F_StopReplayFile()
{
    if (!m_replaying)
        return -1;
    if (m_replayFile != nullptr)
        std::fclose(m_replayFile);
    m_replayFile = nullptr;
    m_replaying = 0;
    init_records();
    return 0;
}
