// The .GEO geometry file: a geometry model (CGeoSystem) kept in an XML
// document with a dated history. Every equipment element holds mount and
// offset entries, each valid from one date to the next, so the geometry of
// any past day can be read again; a change adds an entry instead of
// overwriting one.
#pragma once

#include <msxml2.h>

#include <string>

#include "afxdisp.h"
#include "sysdesc/CGeoSystem.h"

class CGeoFileXml : public CObject {
    DECLARE_DYNAMIC(CGeoFileXml)

public:
    // Makes the document with its declaration and the root "geometry".
    CGeoFileXml();
    ~CGeoFileXml() override;
    CGeoFileXml(const CGeoFileXml&) = delete;
    CGeoFileXml& operator=(const CGeoFileXml&) = delete;

    // The seismic (kind 0) and sonar (kind 1) files beside the host
    // program: "TressaSeismic.GEO" and "TressaSonar.GEO".
    static CString F_GetSeismicGeoFileName();
    static CString F_GetSonarGeoFileName();

    // Loads the file in place of the document's content; false (nothing
    // read) when it is missing or not well-formed XML.
    virtual bool F_open(const char* path);
    // Fills the model as it was at `date` (null or invalid: the file's last
    // update); false, the model untouched, when the file cannot be opened.
    bool F_read(const char* path, CGeoSystem& model, const COleDateTime* date);
    // A new file from the model, every date `date`.
    bool F_create(const char* path, CGeoSystem& model, const COleDateTime& date);
    // Merges the model into the existing file as a change at `date`; false
    // when the file does not exist or cannot be opened.
    bool F_update(const char* path, CGeoSystem& model, const COleDateTime& date);
    // Writes a temporary file beside `path` and renames it over the file,
    // so a save that fails (no room, no permission) leaves the old file
    // whole; false then.
    bool F_save(const char* path);
    // Removes every child of the root, first child first.
    void P_clear();

    // Why the last open or save failed, with the file and the place
    // ("TressaSonar.GEO, line 3, column 7: ..."); empty after a success.
    const CString& F_GetLastError() const { return m_strLastError; }

    int F_getMobileCount();
    int F_getEquipmentCount(int mobile);
    int F_getMesureCount(int mobile, int equipment);
    int F_getOffsetCount(IXMLDOMElement* equipment);
    int F_getMountCount(IXMLDOMElement* equipment);
    bool F_findMobile(int id, int& position);
    bool F_findEquipment(int mobile, IXMLDOMElement* mobileElement, int id, int& position);
    bool F_findMesure(int mobile, int equipment, IXMLDOMElement* equipmentElement, int id, int& position);

    void P_readMobile(int mobile, CGeoMobile& target);
    void P_readEquipment(int mobile, int equipment, CGeoEquipment& target);
    void P_readMesure(int mobile, int equipment, int mesure, CGeoMesure& target);
    void F_readOffset(IXMLDOMElement* equipment, int entry, COleDateTime& from, COleDateTime& to, CGeoOffset& values);
    void F_readMount(IXMLDOMElement* equipment, int entry, COleDateTime& from, COleDateTime& to, int& mount);
    bool F_findOffsetAt(IXMLDOMElement* equipment, const COleDateTime& date, int& position, CGeoOffset& values);
    bool F_findMountAt(IXMLDOMElement* equipment, const COleDateTime& date, int& position, int& mount);

    bool F_writeSystem(CGeoSystem& model);
    void P_writeMobile(CGeoMobile& mobile);
    void P_writeEquipment(int mobile, CGeoEquipment& equipment);
    void P_writeMesure(int mobile, int equipment, CGeoMesure& mesure);
    void P_writeOffset(IXMLDOMElement* equipment, int position, const COleDateTime& from, const COleDateTime& to,
                       const CGeoOffset& values);
    void P_writeMount(IXMLDOMElement* equipment, int position, const COleDateTime& from, const COleDateTime& to,
                      int mount);
    void P_updateOffsets(IXMLDOMElement* equipment, const COleDateTime& date, const CGeoOffset& values);
    void P_updateMounts(IXMLDOMElement* equipment, const COleDateTime& date, int mount);

    void P_setVersion(const char* version);
    void P_setDateAttribute(IXMLDOMElement* element, const char* name, const COleDateTime& date);
    void P_getDateAttribute(IXMLDOMElement* element, const char* name, COleDateTime& date);

private:
    // The declaration and an empty root "geometry" with its version.
    void P_newContent();
    helm::com::ComPtr<IXMLDOMElement> select_element(IXMLDOMNode* context, const CString& path);
    long count_of(IXMLDOMNode* context, const CString& path);
    helm::com::ComPtr<IXMLDOMElement> new_element(const char* name);

    IXMLDOMDocument* m_pDoc = nullptr;     // owned
    IXMLDOMElement* m_pRoot = nullptr;     // owned reference
    COleDateTime m_creationDate;
    COleDateTime m_referenceDate;
    COleDateTime m_lastUpdateDate;
    CString m_strLastError;
};

namespace helm::sysdesc {
// The program beside which the geometry files lie: the running executable
// unless a test names another path (empty: the executable again).
void set_host_program_path(const std::string& path);
}  // namespace helm::sysdesc
