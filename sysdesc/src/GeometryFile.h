// The geometry of one kind of system (0 seismic, 1 sonar) as the System
// Geometry dialog edits it: read from its file, or the default system
// written in its place. A file that exists but cannot be read is never
// overwritten: it is first renamed to a backup beside it (".bak", then
// ".bak2"...), and the operator is told; when it cannot be kept aside the
// default is shown but nothing is written.
#pragma once

#include "sysdesc/CGeoFileXml.h"

namespace helm::sysdesc {

class GeometryFile {
public:
    explicit GeometryFile(int kind);

    CGeoSystem& model() { return m_model; }
    const CString& path() const { return m_path; }
    // Whether this object wrote the file (from the default system).
    bool created() const { return m_created; }
    // Writes the model's changes at `date`: the whole file when this object
    // created it, else as a change of the existing one. The operator is
    // told when that fails.
    bool save(const COleDateTime& date);

private:
    CGeoSystem m_model;
    CGeoFileXml m_file;
    CString m_path;
    bool m_created = false;
    bool m_writable = true;
};

// The free backup name beside `path` ("<path>.bak", "<path>.bak2"...),
// empty when a hundred are taken.
CString backup_path_for(const CString& path);

// A message box with string `id` of the library, formatted with the texts.
void tell_operator(UINT id, const char* first, const char* second = "", const char* third = "");

}  // namespace helm::sysdesc
