#include "sysdesc/CGeoFileXml.h"

#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <vector>
#include <mutex>

#include "helm/outside/toolbase.h"
#include "sysdesc/GeoCodes.h"

IMPLEMENT_DYNAMIC(CGeoFileXml, CObject)

using helm::com::Bstr;
using helm::com::ComPtr;
using helm::com::Variant;

namespace {

// Every element and attribute name, the two root paths and the version
// text, indexed by every reader and writer.
enum Name {
    ROOT, VERSION_TEXT, VERSION, ROOT_PATH, VALID, NAME, DATE_FROM, DATE_TO, CREATION_DATE, LAST_UPDATE_DATE,
    MOBILE_PATH, MOBILE, MOBILE_ID, MOBILE_TYPE, MOBILE_NAME,
    EQUIPMENT, EQUIPMENT_ID, ID_MOBILE, ID_EQUIPMENT_DUAL, ID_POSITION_MESURE, ID_ATTITUDE_MESURE, EQUIPMENT_TYPE,
    EQUIPMENT_NAME, OFFSET, OFFSET_X, OFFSET_Y, OFFSET_Z, OFFSET_ROLL, OFFSET_PITCH, OFFSET_YAW, LATENCY, MOUNT,
    MOUNT_TYPE,
    MESURE, MESURE_ID, ID_EQUIPMENT, MESURE_TYPE, CONNEXION, PORT_NUMBER, SERVEUR,
};
constexpr const char* names[] = {
    "geometry", "1.0", "version", "/geometry", "valid", "name", "dateFrom", "dateTo", "creationDate", "lastUpdateDate",
    "/geometry/mobile", "mobile", "ID", "type", "name",
    "equipment", "ID", "IDmobile", "IDequipmentDual", "IDpositionMesure", "IDattitudeMesure", "type", "name",
    "offset", "offsetX", "offsetY", "offsetZ", "offsetRoll", "offsetPitch", "offsetYaw", "latency", "mount", "type",
    "mesure", "ID", "IDequipment", "type", "connexion", "portNumber", "serveur",
};
static_assert(std::size(names) == SERVEUR + 1);

// The names as the DOM takes them, made once.
BSTR name_of(Name name)
{
    static const std::vector<Bstr> table = [] {
        std::vector<Bstr> all;
        for (const char* text : names)
            all.emplace_back(text);
        return all;
    }();
    return table[size_t(name)].get();
}

// Dates are written as French Windows writes them: day/month/year, 24 h.
constexpr LCID date_locale = 1036;

Variant text_value(const char* text)
{
    Variant v;
    v.vt = VT_BSTR;
    v.bstrVal = helm::com::bstr_from_text(text ? text : "");
    return v;
}

Variant int_value(int value)
{
    Variant v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

Variant double_value(double value)
{
    Variant v;
    v.vt = VT_R8;
    v.dblVal = value;
    return v;
}

Variant bool_value(bool value)
{
    Variant v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

void set(IXMLDOMElement* element, Name name, const Variant& value)
{
    if (element)
        element->setAttribute(name_of(name), value);
}

// The attribute's text; false when the element lacks it.
bool get_text(IXMLDOMElement* element, Name name, CString& text)
{
    Variant value;
    if (!element || element->getAttribute(name_of(name), &value) != S_OK || value.vt != VT_BSTR)
        return false;
    text = helm::com::text_from_bstr(value.bstrVal).c_str();
    return true;
}

// Integers and the measure's Boolean through the variant conversion; the
// target keeps its value when the attribute is missing or no number.
void get_int(IXMLDOMElement* element, Name name, int& target)
{
    Variant value;
    if (!element || element->getAttribute(name_of(name), &value) != S_OK)
        return;
    if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_I4)))
        target = int(value.lVal);
}

void get_bool(IXMLDOMElement* element, Name name, bool& target)
{
    Variant value;
    if (!element || element->getAttribute(name_of(name), &value) != S_OK)
        return;
    if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BOOL)))
        target = value.boolVal != VARIANT_FALSE;
}

// Offsets through the C library's conversion (the C locale).
void get_double(IXMLDOMElement* element, Name name, double& target)
{
    CString text;
    if (get_text(element, name, text))
        target = std::atof(text);
}

COleDateTime invalid_date()
{
    COleDateTime date;
    date.SetStatus(COleDateTime::invalid);
    return date;
}

std::mutex g_host_mutex;
std::string g_host_path;

CString geo_file_name(const char* file)
{
    std::string program;
    {
        std::lock_guard lock(g_host_mutex);
        program = g_host_path;
    }
    if (program.empty()) {
        char path[4096] = {0};
        const DWORD length = GetModuleFileName(nullptr, path, sizeof path);
        if (length == 0 || length >= sizeof path)
            return CString();
        program = path;
    }
    // Each part of the path as the file helpers take it, at most 256 bytes.
    char replaced[4096] = {0}, result[4096] = {0};
    P_ZQO_ReplaceFile(program.c_str(), file, replaced, sizeof replaced);
    P_ZQO_ChangeExtension(replaced, ".GEO", result, sizeof result);
    return result;
}

}  // namespace

void helm::sysdesc::set_host_program_path(const std::string& path)
{
    std::lock_guard lock(g_host_mutex);
    g_host_path = path;
}

CString CGeoFileXml::F_GetSeismicGeoFileName()
{
    return geo_file_name("TressaSeismic");
}

CString CGeoFileXml::F_GetSonarGeoFileName()
{
    return geo_file_name("TressaSonar");
}

CGeoFileXml::CGeoFileXml()
{
    if (FAILED(CoCreateInstance(CLSID_DOMDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                reinterpret_cast<void**>(&m_pDoc)))) {
        m_pDoc = nullptr;
        m_strLastError = "The XML document object cannot be created.";
        return;
    }
    P_newContent();
}

void CGeoFileXml::P_newContent()
{
    if (m_pRoot) {
        m_pRoot->Release();
        m_pRoot = nullptr;
    }
    ComPtr<IXMLDOMProcessingInstruction> declaration;
    if (SUCCEEDED(m_pDoc->createProcessingInstruction(Bstr("xml").get(),
                                                      Bstr("version='1.0' encoding='ISO-8859-1'").get(),
                                                      declaration.put())))
        m_pDoc->appendChild(declaration.get(), nullptr);
    if (SUCCEEDED(m_pDoc->createElement(Bstr(names[ROOT]).get(), &m_pRoot)))
        m_pDoc->appendChild(m_pRoot, nullptr);
    P_setVersion(names[VERSION_TEXT]);
}

CGeoFileXml::~CGeoFileXml()
{
    if (m_pRoot)
        m_pRoot->Release();
    if (m_pDoc)
        m_pDoc->Release();
}

ComPtr<IXMLDOMElement> CGeoFileXml::select_element(IXMLDOMNode* context, const CString& path)
{
    ComPtr<IXMLDOMNode> node;
    ComPtr<IXMLDOMElement> element;
    if (context && context->selectSingleNode(Bstr(path.GetString()).get(), node.put()) == S_OK)
        element = node.query<IXMLDOMElement>();
    return element;
}

long CGeoFileXml::count_of(IXMLDOMNode* context, const CString& path)
{
    ComPtr<IXMLDOMNodeList> list;
    long length = 0;
    if (!context || context->selectNodes(Bstr(path.GetString()).get(), list.put()) != S_OK ||
        FAILED(list->get_length(&length)))
        return 0;
    return length;
}

ComPtr<IXMLDOMElement> CGeoFileXml::new_element(const char* name)
{
    ComPtr<IXMLDOMElement> element;
    if (m_pDoc)
        m_pDoc->createElement(Bstr(name).get(), element.put());
    return element;
}

bool CGeoFileXml::F_open(const char* path)
{
    if (!m_pDoc || !path || GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES) {
        m_strLastError.Format("%s: the file does not exist.", path ? path : "");
        return false;
    }
    P_clear();
    m_pDoc->put_async(VARIANT_FALSE);
    VARIANT_BOOL loaded = VARIANT_FALSE;
    m_pDoc->load(text_value(path), &loaded);
    if (loaded != VARIANT_TRUE) {
        // The document is empty now: it gets its declaration and root
        // again, so a file created next holds the model, not nothing.
        P_newContent();
        ComPtr<IXMLDOMParseError> error;
        long line = 0, column = 0;
        Bstr reason;
        if (SUCCEEDED(m_pDoc->get_parseError(error.put())) && error) {
            error->get_line(&line);
            error->get_linepos(&column);
            error->get_reason(reason.put());
        }
        if (line > 0)
            m_strLastError.Format("%s, line %ld, column %ld: %s", path, line, column, reason.text().c_str());
        else
            m_strLastError.Format("%s: %s", path, reason.text().c_str());
        return false;
    }
    m_strLastError.Empty();
    ComPtr<IXMLDOMElement> root = select_element(m_pDoc, names[ROOT_PATH]);
    if (root) {
        if (m_pRoot)
            m_pRoot->Release();
        m_pRoot = root.detach();
        P_getDateAttribute(m_pRoot, names[CREATION_DATE], m_creationDate);
        P_getDateAttribute(m_pRoot, names[LAST_UPDATE_DATE], m_lastUpdateDate);
    }
    return true;
}

bool CGeoFileXml::F_read(const char* path, CGeoSystem& model, const COleDateTime* date)
{
    if (!F_open(path))
        return false;
    m_referenceDate = date && date->GetStatus() == COleDateTime::valid ? *date : m_lastUpdateDate;
    model.P_clear();
    CString name;
    get_text(m_pRoot, NAME, name);
    model.F_getName() = name;
    const int count = F_getMobileCount();
    for (int i = 0; i < count; ++i) {
        CGeoMobile mobile;
        mobile.P_reset();
        P_readMobile(i, mobile);
        model.F_addMobile(mobile);
    }
    return true;
}

bool CGeoFileXml::F_create(const char* path, CGeoSystem& model, const COleDateTime& date)
{
    // The old file is replaced only once the new one is whole (F_save).
    P_clear();
    m_creationDate = m_referenceDate = m_lastUpdateDate = date;
    F_writeSystem(model);
    return F_save(path);
}

bool CGeoFileXml::F_update(const char* path, CGeoSystem& model, const COleDateTime& date)
{
    if (!path || GetFileAttributes(path) == INVALID_FILE_ATTRIBUTES)
        return false;
    m_referenceDate = date;
    if (!F_open(path))
        return false;
    F_writeSystem(model);
    return F_save(path);
}

bool CGeoFileXml::F_save(const char* path)
{
    if (!m_pDoc || !path || !*path)
        return false;
    // Beside the file, so the rename stays within its file system.
    CString temporary;
    temporary.Format("%s.%d.tmp", path, int(getpid()));
    const HRESULT hr = m_pDoc->save(text_value(temporary));
    if (FAILED(hr)) {
        ComPtr<IXMLDOMParseError> error;
        Bstr reason;
        if (SUCCEEDED(m_pDoc->get_parseError(error.put())) && error)
            error->get_reason(reason.put());
        m_strLastError.Format("%s: %s", path, reason.text().c_str());
        DeleteFile(temporary);
        return false;
    }
    if (!MoveFileEx(temporary, path, MOVEFILE_REPLACE_EXISTING)) {
        m_strLastError.Format("%s: the file cannot be replaced (error %lu).", path, GetLastError());
        DeleteFile(temporary);
        return false;
    }
    m_strLastError.Empty();
    return true;
}

void CGeoFileXml::P_clear()
{
    if (!m_pRoot)
        return;
    for (;;) {
        ComPtr<IXMLDOMNode> child;
        if (m_pRoot->get_firstChild(child.put()) != S_OK || !child)
            break;
        if (FAILED(m_pRoot->removeChild(child.get(), nullptr)))
            break;
    }
}

int CGeoFileXml::F_getMobileCount()
{
    CString path;
    path.Format("%s/%s", names[ROOT], names[MOBILE]);
    return int(count_of(m_pDoc, path));
}

int CGeoFileXml::F_getEquipmentCount(int mobile)
{
    CString path;
    path.Format("geometry/mobile[%d]/equipment", mobile);
    return int(count_of(m_pDoc, path));
}

int CGeoFileXml::F_getMesureCount(int mobile, int equipment)
{
    CString path;
    path.Format("geometry/mobile[%d]/equipment[%d]/mesure", mobile, equipment);
    return int(count_of(m_pDoc, path));
}

int CGeoFileXml::F_getOffsetCount(IXMLDOMElement* equipment)
{
    return int(count_of(equipment, names[OFFSET]));
}

int CGeoFileXml::F_getMountCount(IXMLDOMElement* equipment)
{
    return int(count_of(equipment, names[MOUNT]));
}

bool CGeoFileXml::F_findMobile(int id, int& position)
{
    const int count = F_getMobileCount();
    for (int i = 0; i < count; ++i) {
        CString path;
        path.Format("%s/%s[%d]", names[ROOT], names[MOBILE], i);
        int found = -1;
        get_int(select_element(m_pDoc, path).get(), MOBILE_ID, found);
        if (found == id) {
            position = i;
            return true;
        }
    }
    return false;
}

bool CGeoFileXml::F_findEquipment(int mobile, IXMLDOMElement* mobileElement, int id, int& position)
{
    const int count = F_getEquipmentCount(mobile);
    for (int j = 0; j < count; ++j) {
        CString path;
        path.Format("%s[%d]", names[EQUIPMENT], j);
        int found = -1;
        get_int(select_element(mobileElement, path).get(), EQUIPMENT_ID, found);
        if (found == id) {
            position = j;
            return true;
        }
    }
    return false;
}

bool CGeoFileXml::F_findMesure(int mobile, int equipment, IXMLDOMElement* equipmentElement, int id, int& position)
{
    bool any = false;
    const int count = F_getMesureCount(mobile, equipment);
    for (int k = 0; k < count; ++k) {
        CString path;
        path.Format("%s[%d]", names[MESURE], k);
        int found = -1;
        get_int(select_element(equipmentElement, path).get(), MESURE_ID, found);
        if (found == id) {
            position = k;  // the last one counts
            any = true;
        }
    }
    return any;
}

void CGeoFileXml::P_readMobile(int mobile, CGeoMobile& target)
{
    CString path;
    path.Format("%s/%s[%d]", names[ROOT], names[MOBILE], mobile);
    ComPtr<IXMLDOMElement> element = select_element(m_pDoc, path);
    CGeoMobileData& data = target.F_getData();
    CString text;
    if (get_text(element.get(), MOBILE_NAME, text))
        data.m_strName = text;
    if (get_text(element.get(), VALID, text))
        data.m_bValid = F_GeoTextIsTrue(text);
    get_int(element.get(), MOBILE_ID, data.m_nID);
    if (get_text(element.get(), MOBILE_TYPE, text))
        data.m_nType = F_GeoTextToMobile(text);
    const int count = F_getEquipmentCount(mobile);
    for (int j = 0; j < count; ++j) {
        CGeoEquipment equipment;
        equipment.P_reset();
        P_readEquipment(mobile, j, equipment);
        target.F_addEquipment(equipment);
    }
}

void CGeoFileXml::P_readEquipment(int mobile, int equipment, CGeoEquipment& target)
{
    CString path;
    path.Format("geometry/mobile[%d]/equipment[%d]", mobile, equipment);
    ComPtr<IXMLDOMElement> element = select_element(m_pDoc, path);
    CGeoEquipmentData& data = target.F_getData();
    CString text;
    if (get_text(element.get(), EQUIPMENT_NAME, text))
        data.m_strName = text;
    if (get_text(element.get(), VALID, text))
        data.m_bValid = F_GeoTextIsTrue(text);
    if (get_text(element.get(), EQUIPMENT_TYPE, text))
        data.m_nType = F_GeoTextToEquipment(text);
    get_int(element.get(), EQUIPMENT_ID, data.m_nID);
    get_int(element.get(), ID_MOBILE, data.m_nIDmobile);
    get_int(element.get(), ID_EQUIPMENT_DUAL, data.m_nIDequipmentDual);
    get_int(element.get(), ID_POSITION_MESURE, data.m_nIDpositionMesure);
    get_int(element.get(), ID_ATTITUDE_MESURE, data.m_nIDattitudeMesure);
    int position = 0;
    const bool offset = F_findOffsetAt(element.get(), m_referenceDate, position, data.m_offset);
    const bool mount = F_findMountAt(element.get(), m_referenceDate, position, data.m_nMount);
    if (!offset || !mount)
        data.m_bValid = false;
    const int count = F_getMesureCount(mobile, equipment);
    for (int k = 0; k < count; ++k) {
        CGeoMesure mesure;
        mesure.P_reset();
        P_readMesure(mobile, equipment, k, mesure);
        target.F_addMesure(mesure);
    }
}

void CGeoFileXml::P_readMesure(int mobile, int equipment, int mesure, CGeoMesure& target)
{
    CString path;
    path.Format("geometry/mobile[%d]/equipment[%d]/mesure[%d]", mobile, equipment, mesure);
    ComPtr<IXMLDOMElement> element = select_element(m_pDoc, path);
    CGeoMesureData& data = target.F_getData();
    get_bool(element.get(), VALID, data.m_bValid);
    get_int(element.get(), MESURE_ID, data.m_nID);
    get_int(element.get(), ID_EQUIPMENT, data.m_nIDequipment);
    get_int(element.get(), MESURE_TYPE, data.m_nType);
    get_int(element.get(), CONNEXION, data.m_nConnexion);
    get_int(element.get(), PORT_NUMBER, data.m_nPortNumber);
    get_int(element.get(), SERVEUR, data.m_nServeur);
}

void CGeoFileXml::F_readOffset(IXMLDOMElement* equipment, int entry, COleDateTime& from, COleDateTime& to,
                               CGeoOffset& values)
{
    CString path;
    path.Format("%s[%d]", names[OFFSET], entry);
    ComPtr<IXMLDOMElement> element = select_element(equipment, path);
    if (!element)
        return;
    P_getDateAttribute(element.get(), names[DATE_FROM], from);
    P_getDateAttribute(element.get(), names[DATE_TO], to);
    get_double(element.get(), OFFSET_X, values.m_dX);
    get_double(element.get(), OFFSET_Y, values.m_dY);
    get_double(element.get(), OFFSET_Z, values.m_dZ);
    get_double(element.get(), OFFSET_ROLL, values.m_dRoll);
    get_double(element.get(), OFFSET_PITCH, values.m_dPitch);
    get_double(element.get(), OFFSET_YAW, values.m_dYaw);
    get_double(element.get(), LATENCY, values.m_dLatency);
}

void CGeoFileXml::F_readMount(IXMLDOMElement* equipment, int entry, COleDateTime& from, COleDateTime& to, int& mount)
{
    CString path;
    path.Format("%s[%d]", names[MOUNT], entry);
    ComPtr<IXMLDOMElement> element = select_element(equipment, path);
    if (!element)
        return;
    P_getDateAttribute(element.get(), names[DATE_FROM], from);
    P_getDateAttribute(element.get(), names[DATE_TO], to);
    CString text;
    if (get_text(element.get(), MOUNT_TYPE, text))
        mount = F_GeoTextToMount(text);
}

namespace {

// The walk both history readers share: the first entry valid at `date`
// (dateFrom <= date < dateTo, both valid), or the last one from its
// dateFrom on. `read` reads entry p into the dates and the values.
template <class Read>
bool find_entry_at(int count, const COleDateTime& date, int& position, COleDateTime& from, Read read)
{
    COleDateTime to;
    from = COleDateTime();
    for (int p = 0; p < count; ++p) {
        read(p, from, to);
        const bool both_valid = from.GetStatus() == COleDateTime::valid && to.GetStatus() == COleDateTime::valid;
        if ((both_valid && from <= date && date < to) || (p == count - 1 && date >= from)) {
            position = p;
            return true;
        }
    }
    return false;
}

}  // namespace

bool CGeoFileXml::F_findOffsetAt(IXMLDOMElement* equipment, const COleDateTime& date, int& position,
                                 CGeoOffset& values)
{
    CGeoOffset entry;
    COleDateTime from;
    const bool found = find_entry_at(F_getOffsetCount(equipment), date, position, from,
                                     [&](int p, COleDateTime& f, COleDateTime& t) { F_readOffset(equipment, p, f, t, entry); });
    if (!found)
        return false;
    SYSTEMTIME validFrom = values.m_validFrom;
    values = entry;
    values.m_validFrom = validFrom;
    if (from.GetStatus() == COleDateTime::valid)
        from.GetAsSystemTime(values.m_validFrom);
    return true;
}

bool CGeoFileXml::F_findMountAt(IXMLDOMElement* equipment, const COleDateTime& date, int& position, int& mount)
{
    mount = E_GEO_MOUNT_UNKNOWN;
    int entry = E_GEO_MOUNT_UNKNOWN;
    COleDateTime from;
    const bool found = find_entry_at(F_getMountCount(equipment), date, position, from,
                                     [&](int p, COleDateTime& f, COleDateTime& t) { F_readMount(equipment, p, f, t, entry); });
    if (found)
        mount = entry;
    return found;
}

bool CGeoFileXml::F_writeSystem(CGeoSystem& model)
{
    set(m_pRoot, NAME, text_value(model.F_getName()));
    for (int i = 0; i < model.F_getMobileCount(); ++i)
        P_writeMobile(*model.F_getMobile(i));
    P_setDateAttribute(m_pRoot, names[CREATION_DATE], m_creationDate);
    if (m_referenceDate > m_lastUpdateDate)
        m_lastUpdateDate = m_referenceDate;
    P_setDateAttribute(m_pRoot, names[LAST_UPDATE_DATE], m_lastUpdateDate);
    return true;
}

void CGeoFileXml::P_writeMobile(CGeoMobile& mobile)
{
    const CGeoMobileData& data = mobile.F_getData();
    int i = 0;
    ComPtr<IXMLDOMElement> element;
    if (F_findMobile(data.m_nID, i)) {
        CString path;
        path.Format("%s/%s[%d]", names[ROOT], names[MOBILE], i);
        element = select_element(m_pDoc, path);
    } else {
        element = new_element(names[MOBILE]);
        if (!element || !m_pRoot || FAILED(m_pRoot->appendChild(element.get(), nullptr)))
            return;
        i = F_getMobileCount() - 1;
    }
    set(element.get(), MOBILE_NAME, text_value(data.m_strName));
    set(element.get(), VALID, text_value(F_GeoBoolToText(data.m_bValid)));
    set(element.get(), MOBILE_ID, int_value(data.m_nID));
    set(element.get(), MOBILE_TYPE, text_value(F_GeoMobileToText(data.m_nType)));
    for (int j = 0; j < mobile.F_getEquipmentCount(); ++j)
        P_writeEquipment(i, *mobile.F_getEquipment(j));
}

void CGeoFileXml::P_writeEquipment(int mobile, CGeoEquipment& equipment)
{
    CString path;
    path.Format("%s[%d]", names[MOBILE_PATH], mobile);
    ComPtr<IXMLDOMElement> mobileElement = select_element(m_pDoc, path);
    if (!mobileElement)
        return;
    const CGeoEquipmentData& data = equipment.F_getData();
    int j = 0;
    ComPtr<IXMLDOMElement> element;
    const bool known = F_findEquipment(mobile, mobileElement.get(), data.m_nID, j);
    if (known) {
        path.Format("%s[%d]", names[EQUIPMENT], j);
        element = select_element(mobileElement.get(), path);
    } else {
        element = new_element(names[EQUIPMENT]);
        if (!element || FAILED(mobileElement->appendChild(element.get(), nullptr)))
            return;
        j = F_getEquipmentCount(mobile) - 1;
    }
    set(element.get(), EQUIPMENT_NAME, text_value(data.m_strName));
    set(element.get(), VALID, text_value(F_GeoBoolToText(data.m_bValid)));
    set(element.get(), EQUIPMENT_ID, int_value(data.m_nID));
    set(element.get(), EQUIPMENT_TYPE, text_value(F_GeoEquipmentToText(data.m_nType)));
    set(element.get(), ID_MOBILE, int_value(data.m_nIDmobile));
    set(element.get(), ID_EQUIPMENT_DUAL, int_value(data.m_nIDequipmentDual));
    set(element.get(), ID_POSITION_MESURE, int_value(data.m_nIDpositionMesure));
    set(element.get(), ID_ATTITUDE_MESURE, int_value(data.m_nIDattitudeMesure));
    if (!known) {
        P_writeMount(element.get(), -1, m_creationDate, invalid_date(), data.m_nMount);
        P_writeOffset(element.get(), -1, m_creationDate, invalid_date(), data.m_offset);
    } else {
        P_updateMounts(element.get(), m_referenceDate, data.m_nMount);
        P_updateOffsets(element.get(), m_referenceDate, data.m_offset);
    }
    for (int k = 0; k < equipment.F_getMesureCount(); ++k)
        P_writeMesure(mobile, j, *equipment.F_getMesure(k));
}

void CGeoFileXml::P_writeMesure(int mobile, int equipment, CGeoMesure& mesure)
{
    CString path;
    path.Format("geometry/mobile[%d]/equipment[%d]", mobile, equipment);
    ComPtr<IXMLDOMElement> equipmentElement = select_element(m_pDoc, path);
    if (!equipmentElement)
        return;
    const CGeoMesureData& data = mesure.F_getData();
    int k = 0;
    ComPtr<IXMLDOMElement> element;
    if (F_findMesure(mobile, equipment, equipmentElement.get(), data.m_nID, k)) {
        path.Format("%s[%d]", names[MESURE], k);
        element = select_element(equipmentElement.get(), path);
    } else {
        element = new_element(names[MESURE]);
        if (!element || FAILED(equipmentElement->appendChild(element.get(), nullptr)))
            return;
    }
    set(element.get(), VALID, bool_value(data.m_bValid));
    set(element.get(), MESURE_ID, int_value(data.m_nID));
    set(element.get(), ID_EQUIPMENT, int_value(data.m_nIDequipment));
    set(element.get(), MESURE_TYPE, int_value(data.m_nType));
    set(element.get(), CONNEXION, int_value(data.m_nConnexion));
    set(element.get(), PORT_NUMBER, int_value(data.m_nPortNumber));
    set(element.get(), SERVEUR, int_value(data.m_nServeur));
}

namespace {

// Puts `element` into the equipment before `before`, or last without one.
void insert_entry(IXMLDOMElement* equipment, IXMLDOMElement* element, IXMLDOMElement* before)
{
    Variant reference;
    if (before) {
        reference.vt = VT_UNKNOWN;
        reference.punkVal = before;
        before->AddRef();
    }
    equipment->insertBefore(element, reference, nullptr);
}

}  // namespace

void CGeoFileXml::P_writeOffset(IXMLDOMElement* equipment, int position, const COleDateTime& from,
                                const COleDateTime& to, const CGeoOffset& values)
{
    ComPtr<IXMLDOMElement> element = new_element(names[OFFSET]);
    if (!element || !equipment)
        return;
    if (position >= 0) {
        CString path;
        path.Format("%s[%d]", names[OFFSET], position);
        ComPtr<IXMLDOMElement> before = select_element(equipment, path);
        if (!before)
            return;
        insert_entry(equipment, element.get(), before.get());
    } else {
        insert_entry(equipment, element.get(), nullptr);
    }
    P_setDateAttribute(element.get(), names[DATE_FROM], from);
    P_setDateAttribute(element.get(), names[DATE_TO], to);
    set(element.get(), OFFSET_X, double_value(values.m_dX));
    set(element.get(), OFFSET_Y, double_value(values.m_dY));
    set(element.get(), OFFSET_Z, double_value(values.m_dZ));
    set(element.get(), OFFSET_ROLL, double_value(values.m_dRoll));
    set(element.get(), OFFSET_PITCH, double_value(values.m_dPitch));
    set(element.get(), OFFSET_YAW, double_value(values.m_dYaw));
    set(element.get(), LATENCY, double_value(values.m_dLatency));
}

void CGeoFileXml::P_writeMount(IXMLDOMElement* equipment, int position, const COleDateTime& from,
                               const COleDateTime& to, int mount)
{
    ComPtr<IXMLDOMElement> element = new_element(names[MOUNT]);
    if (!element || !equipment)
        return;
    CString path;
    path.Format("%s[%d]", position >= 0 ? names[MOUNT] : names[OFFSET], position >= 0 ? position : 0);
    ComPtr<IXMLDOMElement> before = select_element(equipment, path);
    if (position >= 0 && !before)
        return;
    // Without a position a mount entry stands before the first offset entry.
    insert_entry(equipment, element.get(), before.get());
    P_setDateAttribute(element.get(), names[DATE_FROM], from);
    P_setDateAttribute(element.get(), names[DATE_TO], to);
    set(element.get(), MOUNT_TYPE, text_value(F_GeoMountToText(mount)));
}

namespace {

// The one way a change enters a history (offsets or mounts): closes the
// entry valid at `date` there and adds one from `date` with the new values.
struct History {
    int count;
    std::function<bool(int&)> find;              // the entry valid at the date; its values compared
    std::function<bool()> unchanged;             // the new values equal those found
    std::function<void(int, COleDateTime&, COleDateTime&)> dates;
    std::function<void(int, const COleDateTime&, const COleDateTime&)> insert;  // before entry p, -1 appends
    std::function<void(int, const COleDateTime&)> close;                       // entry p's dateTo
};

void record_change(const History& h, const COleDateTime& date, const COleDateTime& open)
{
    if (h.count == 0) {
        h.insert(-1, date, open);
        return;
    }
    int k = 0;
    const bool found = h.find(k);
    if (!found)
        k = 0;
    if (h.unchanged())
        return;
    COleDateTime from(0.0), to(0.0);
    if (found)
        h.dates(k, from, to);
    if (k == h.count - 1) {
        h.close(k, date);
        h.insert(-1, date, open);
    } else if (from <= date && date < to) {
        COleDateTime next_from, next_to;
        h.dates(k + 1, next_from, next_to);
        h.insert(k + 1, date, next_from);
        h.close(k, date);
    }
}

}  // namespace

void CGeoFileXml::P_updateOffsets(IXMLDOMElement* equipment, const COleDateTime& date, const CGeoOffset& values)
{
    CGeoOffset found;
    History h;
    h.count = F_getOffsetCount(equipment);
    h.find = [&](int& k) { return F_findOffsetAt(equipment, date, k, found); };
    h.unchanged = [&] { return values.F_isEqual(found); };
    h.dates = [&](int p, COleDateTime& from, COleDateTime& to) {
        CGeoOffset ignored;
        F_readOffset(equipment, p, from, to, ignored);
    };
    h.insert = [&](int p, const COleDateTime& from, const COleDateTime& to) {
        P_writeOffset(equipment, p, from, to, values);
    };
    h.close = [&](int p, const COleDateTime& to) {
        CString path;
        path.Format("%s[%d]", names[OFFSET], p);
        P_setDateAttribute(select_element(equipment, path).get(), names[DATE_TO], to);
    };
    record_change(h, date, invalid_date());
}

void CGeoFileXml::P_updateMounts(IXMLDOMElement* equipment, const COleDateTime& date, int mount)
{
    int found = E_GEO_MOUNT_UNKNOWN;
    History h;
    h.count = F_getMountCount(equipment);
    h.find = [&](int& k) { return F_findMountAt(equipment, date, k, found); };
    h.unchanged = [&] { return mount == found; };
    h.dates = [&](int p, COleDateTime& from, COleDateTime& to) {
        int ignored = 0;
        F_readMount(equipment, p, from, to, ignored);
    };
    h.insert = [&](int p, const COleDateTime& from, const COleDateTime& to) {
        P_writeMount(equipment, p, from, to, mount);
    };
    h.close = [&](int p, const COleDateTime& to) {
        CString path;
        path.Format("%s[%d]", names[MOUNT], p);
        P_setDateAttribute(select_element(equipment, path).get(), names[DATE_TO], to);
    };
    record_change(h, date, invalid_date());
}

void CGeoFileXml::P_setVersion(const char* version)
{
    set(m_pRoot, VERSION, text_value(version));
}

void CGeoFileXml::P_setDateAttribute(IXMLDOMElement* element, const char* name, const COleDateTime& date)
{
    if (!element)
        return;
    const CString text = date.GetStatus() == COleDateTime::valid ? date.Format(0, date_locale) : CString(" ");
    element->setAttribute(Bstr(name).get(), text_value(text));
}

void CGeoFileXml::P_getDateAttribute(IXMLDOMElement* element, const char* name, COleDateTime& date)
{
    Variant value;
    if (!element || element->getAttribute(Bstr(name).get(), &value) != S_OK || value.vt != VT_BSTR)
        return;
    date.ParseDateTime(helm::com::text_from_bstr(value.bstrVal).c_str(), 0, date_locale);
}
