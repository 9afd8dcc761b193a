// The component layer's readers of text from outside the program: the
// station's control registry file, and text turned into values (dates,
// numbers, booleans) on the way into a call by dispatch id.

#include <stdlib.h>
#include <unistd.h>

#include <windows.h>

#include "helm/kernel/station_path.h"

#include <cstdint>
#include <fstream>
#include <string>

#include <filesystem>

namespace {
char station[] = "/tmp/helm-fuzz-com-XXXXXX";
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!mkdtemp(station))
        abort();
    setenv("HELM_STATION", station, 1);
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(station, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] & 1) {
        std::ofstream(helm::kernel::station_object_path("registry", "controls"), std::ios::binary | std::ios::trunc)
            << "helm-controls 1\n"
            << bytes;
        for (const auto& e : helm::com::registered_classes())
            (void)helm::com::find_prog_id(e.prog_id);
        return 0;
    }
    helm::com::Bstr text(bytes);
    DATE date = 0;
    (void)VarDateFromStr(text.get() ? text.get() : u"", 0, 0, &date);
    VARIANT source = helm::com::arg_bstr(text.get());
    for (VARTYPE type : {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_I8, VT_UI8, VT_R4, VT_R8, VT_BOOL, VT_DATE,
                         VT_BSTR}) {
        helm::com::Variant out;
        if (SUCCEEDED(VariantChangeType(&out, &source, 0, type))) {
            helm::com::Variant back;
            (void)VariantChangeType(&back, &out, VARIANT_ALPHABOOL, VT_BSTR);
        }
    }
    return 0;
}
