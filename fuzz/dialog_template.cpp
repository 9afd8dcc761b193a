// Dialog templates from arbitrary bytes (a damaged resource): reading must
// refuse them or succeed within the bytes given, and a template that reads
// must make a dialog or fail cleanly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <windows.h>

#include "../platform/user/src/dialog_template.h"

// The windows live in a private station of their own.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static char dir[] = "/tmp/helm-fuzz-station-XXXXXX";
    if (!std::getenv("HELM_STATION") && mkdtemp(dir))
        setenv("HELM_STATION", dir, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A buffer of exactly `size` bytes, so a read past it is caught.
    std::vector<uint8_t> bytes(data, data + size);
    helm::user::DialogTemplate parsed;
    if (!helm::user::parse_dialog_template(bytes.data(), bytes.size(), &parsed))
        return 0;
    // Only as a top-level window without an owner: WS_CHILD ones are refused.
    if (HWND dialog = CreateDialogIndirectParam(nullptr, reinterpret_cast<const DLGTEMPLATE*>(bytes.data()), nullptr,
                                                nullptr, 0))
        DestroyWindow(dialog);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessage(&msg);
    return 0;
}
