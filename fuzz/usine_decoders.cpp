// Any bytes through the factory answer decoder as the serial-only link
// worker hands it a sentence; then the frame builder (matrix cursors,
// program data) reads what the decoder wrote. The first byte picks the
// DSP type and the ids built.
#include <cstddef>
#include <cstdint>
#include <string>

#include "helm/sensorlink/C_Q_CnfUsineCtrlCmd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static C_Q_CnfUsineCtrlCmd commands;
    if (size == 0)
        return 0;
    commands.P_SetTypeDSP(static_cast<uint16_t>(data[0] % 6));
    const std::string sentence(reinterpret_cast<const char*>(data + 1), size - 1);
    commands.F_DecodeUsineCnf(sentence);
    for (int id = 1023; id <= 1107; id += 1 + data[0] % 7) {
        CString frame;
        commands.P_MakeUsineFrame(static_cast<uint16_t>(id), static_cast<uint16_t>(data[0] & 1), &frame);
    }
    commands.F_GetInfoLoadProgState();
    if (commands.F_GetTailleFifo() > 200)
        commands.P_InitAllUsineCnf();
    return 0;
}
