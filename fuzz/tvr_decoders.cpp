// Any bytes through the checksum test, the answer decoder and the data
// decoder of the Talvor, as the link worker hands them a sentence. The
// first byte picks the model, so the model-dependent layouts are reached.
#include <cstddef>
#include <cstdint>
#include <string>

#include "helm/sensorlink/C_Q_Tools.h"
#include "helm/sensorlink/C_Q_TvrCtrlCmd.h"
#include "helm/sensorlink/C_Q_TvrData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static C_Q_TvrCtrlCmd commands;
    static C_Q_TvrData decoder;
    if (size == 0)
        return 0;
    const uint16_t model = data[0] % 3 == 0 ? 0 : (data[0] % 3 == 1 ? 7 : 15);
    if (commands.F_GetTvrSystemType() != model) {
        commands.P_InitAllTvrTextAndCnf();
        if (model != 0)
            commands.F_SetTvrSystemType(model);
    }
    const std::string sentence(reinterpret_cast<const char*>(data + 1), size - 1);
    C_Q_Tools::F_TestNMEAChecksum(sentence);
    if (commands.F_DecodeTvrCnf(sentence) == -1)
        decoder.F_DecodeTvrData(sentence, 0);
    // The frame builder reads what the decoders wrote.
    for (int id = 1524; id <= 1609; id += 1 + data[0] % 7) {
        CString frame;
        commands.P_MakeTvrFrame(static_cast<uint16_t>(id), static_cast<uint16_t>(data[0] & 1), &frame);
    }
    if (commands.F_GetTailleFifo() > 200)
        commands.P_RemoveAllFifo();
    return 0;
}
