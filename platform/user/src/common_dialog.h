// What the layer's own dialogs share: the hook told when one is shown, and
// the seams' storage.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "helm/user/common_dialogs.h"

namespace helm::user {

// Call first in the dialog procedure of each of the layer's dialogs: on
// WM_INITDIALOG it queues a note to itself, and when the note arrives (the
// modal loop is running, the dialog shown) the shown hook is called. True
// when the message was that note.
bool common_dialog_message(HWND dialog, UINT message);
// Queues that note for a window of the layer that is no dialog (a popup
// menu), whose procedure then hands its messages to common_dialog_message.
void note_when_shown(HWND window);

// True when no one can answer one of the layer's modal dialogs: the screen
// has no operator and no test acts on shown dialogs. The dialog's kind,
// caption and text are then written to standard error, where a program run
// without an operator is heard, and the caller fails at once instead of
// waiting for ever.
bool nobody_answers(std::string_view kind, std::string_view caption, std::string_view text);

// A seam's value under a lock, copied out so it runs without it.
template <typename F>
class Seam {
public:
    void set(F f)
    {
        std::lock_guard lock(m_mutex);
        m_f = std::move(f);
    }
    F get()
    {
        std::lock_guard lock(m_mutex);
        return m_f;
    }

private:
    std::mutex m_mutex;
    F m_f;
};

// Paths between the file system's form and the system's (backslashes).
std::string system_path(std::string path);

}  // namespace helm::user

namespace helm::user {

// One entry of a folder as the file dialogs list it.
struct FolderEntry {
    std::string name;
    bool folder;
};
// The folders (and, when `files`, the files matching one of `patterns`,
// separated by ';', "*" and "?" without regard to case) of a folder in the
// file system's form, each kind sorted by name; hidden entries left out.
// At most `limit` entries, so a huge folder cannot stall the dialog.
std::vector<FolderEntry> list_folder(const std::string& folder, bool files, const std::string& patterns,
                                     size_t limit = 10000);
bool wildcard_match(std::string_view pattern, std::string_view name);
// Shows a folder's entries in a list box: "..", folders as "[name]", files.
void fill_folder_list(HWND list, const std::string& folder, bool at_root, bool files, const std::string& patterns);
// The entry of a list line made by fill_folder_list.
FolderEntry folder_list_entry(HWND list, int index);
// `name` joined to `folder` (file system form); an absolute name stands.
std::string join_path(const std::string& folder, const std::string& name);
std::string parent_folder(const std::string& folder);

}  // namespace helm::user
