// The per-user control registry: which plug-in file serves a class id, by
// what ProgIDs it is known, and what the class declares of itself. It lives
// in the station (file "registry.controls"), so each user and each test
// station has its own, and it is read again at every look-up: a class
// registered or removed by another process counts at once.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "helm/com/guid.h"

// What a plug-in exports.
extern "C" {
typedef HRESULT (*DllRegisterServerFn)();
typedef HRESULT (*DllUnregisterServerFn)();
typedef HRESULT (*DllGetClassObjectFn)(REFCLSID clsid, REFIID riid, LPVOID* object);
typedef HRESULT (*DllCanUnloadNowFn)();
}

// Status bits a control declares ("MiscStatus"), as on Windows.
#define OLEMISC_RECOMPOSEONRESIZE 0x1
#define OLEMISC_ONLYICONIC 0x2
#define OLEMISC_INSERTNOTREPLACE 0x4
#define OLEMISC_STATIC 0x8
#define OLEMISC_CANTLINKINSIDE 0x10
#define OLEMISC_CANLINKBYOLE1 0x20
#define OLEMISC_ISLINKOBJECT 0x40
#define OLEMISC_INSIDEOUT 0x80
#define OLEMISC_ACTIVATEWHENVISIBLE 0x100
#define OLEMISC_RENDERINGISDEVICEINDEPENDENT 0x200
#define OLEMISC_INVISIBLEATRUNTIME 0x400
#define OLEMISC_ALWAYSRUN 0x800
#define OLEMISC_ACTSLIKEBUTTON 0x1000
#define OLEMISC_ACTSLIKELABEL 0x2000
#define OLEMISC_NOUIACTIVATE 0x4000
#define OLEMISC_ALIGNABLE 0x8000
#define OLEMISC_SIMPLEFRAME 0x10000
#define OLEMISC_SETCLIENTSITEFIRST 0x20000
#define OLEMISC_IMEMODE 0x40000

namespace helm::com {

// The keys a class may carry beside its ids.
enum ClassKeys : DWORD {
    key_programmable = 0x1,
    key_control = 0x2,
    key_insertable = 0x4,
};

struct ClassEntry {
    CLSID clsid{};
    std::string description;
    std::string prog_id;                      // "Library.Class.1"
    std::string version_independent_prog_id;  // "Library.Class"
    std::string file;                         // absolute path of the plug-in
    std::string threading_model = "Apartment";
    DWORD keys = 0;                           // ClassKeys
    DWORD misc_status = 0;                    // OLEMISC_ bits
    int toolbox_bitmap = 0;                   // resource id in the plug-in, 0 for none
    GUID type_library{};                      // GUID_NULL for none
    std::string type_library_version;         // "1.0"
};

// Every valid entry, in registration order. Damaged lines are skipped; the
// file is read with bounds (1 MiB, 4096 entries).
std::vector<ClassEntry> registered_classes();
std::optional<ClassEntry> find_class(const CLSID& clsid);
// Either ProgID, compared without regard to ASCII case.
std::optional<ClassEntry> find_prog_id(std::string_view prog_id);

// Adds the entries, replacing any of the same class id; the file is
// rewritten whole under a lock, so concurrent registrations do not lose
// each other. Fails with REGDB_E_WRITEREGDB when the station cannot be
// written, E_INVALIDARG for an entry without a file or with a field that
// cannot be stored (a byte below 0x20 in a ProgID).
HRESULT register_classes(std::span<const ClassEntry> entries);
// Removes the entries of these class ids; S_FALSE when none was there.
HRESULT unregister_classes(std::span<const CLSID> clsids);

// For a plug-in's DllRegisterServer: the file of the module that holds
// `address_in_module` (pass the address of one of its own functions).
std::string module_file(const void* address_in_module);

// The command behind helm_regsvr: "[-u] [-s] <plug-in>...", registering
// (or with -u unregistering) each plug-in through its own entry point.
// Messages go to `out` and `err` unless -s; the exit code is 0 when every
// plug-in succeeded, 1 for a usage error, 3 when a file cannot be loaded,
// 4 when it lacks the entry point, 5 when the entry point failed.
int run_register_command(const std::vector<std::string>& args, std::string& out, std::string& err);

}  // namespace helm::com
