// Any bytes through the checksum test, the inertial answer decoder and the
// data decoder, as the link worker hands them a sentence; then the frame
// builder reads what the decoders wrote. The first byte picks the system.
#include <cstddef>
#include <cstdint>
#include <string>

#include "helm/sensorlink/C_Q_InsCtrlCmd.h"
#include "helm/sensorlink/C_Q_InsData.h"
#include "helm/sensorlink/C_Q_Tools.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static C_Q_InsCtrlCmd commands;
    static C_Q_InsData decoder;
    static const char* const kCodes[] = {"SELVO", "QUIL3", "PELNO", "GRAVO", "QUIL7", "TARNO", "SUBQU", "OTHER"};
    if (size == 0)
        return 0;
    if (data[0] & 0x80) {
        commands.P_InitAllInsTextAndCnf();
        std::string eqp = std::string("$PVRNK,TEXT__,EQP___,0,0,") + kCodes[data[0] & 7];
        commands.F_DecodeInsCnf(eqp);
    }
    const std::string sentence(reinterpret_cast<const char*>(data + 1), size - 1);
    C_Q_Tools::F_TestNMEAChecksum(sentence);
    if (commands.F_DecodeInsCnf(sentence) == -1)
        decoder.F_DecodeInsData(sentence, 0);
    for (int id = 1523; id <= 1625; id += 1 + data[0] % 5) {
        CString frame;
        commands.P_MakeInsFrame(static_cast<uint16_t>(id), static_cast<uint16_t>(data[0] & 1), &frame);
    }
    commands.F_UpdateInsAllCnf((data[0] & 2) != 0, (data[0] & 4) != 0);
    if (commands.F_GetTailleFifo() > 200)
        commands.P_RemoveAllFifo();
    return 0;
}
