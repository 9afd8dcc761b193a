// GetOpenFileName and GetSaveFileName: a dialog of the layer listing a
// folder of the file system through the filter in use. A double click (or
// OK on a folder's name) enters a folder; OK on a file's name chooses it,
// after the checks the flags ask for.

#include <cstring>
#include <string>
#include <sys/stat.h>

#include "common_dialog.h"
#include "helm/kernel/error.h"
#include "helm/kernel/files.h"
#include "helm/kernel/station_path.h"
#include "helm/user/controls.h"
#include "template_writer.h"

namespace helm::user {

namespace {

// The old structure's size (without pvReserved, dwReserved, FlagsEx).
constexpr DWORD old_structure_size = offsetof(OPENFILENAME, pvReserved);
// A program's filter string is read no further than this.
constexpr size_t longest_filter = 32 * 1024;
constexpr int most_filters = 64;

thread_local DWORD t_extended_error = 0;

struct FileDialog {
    FileDialogQuestion question;
    std::string folder;  // file system form
    std::string chosen;  // file system form
    int filter_index = 1;
};

bool is_folder(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0;
}

std::string patterns_of(const FileDialog& d)
{
    const auto& f = d.question.filters;
    if (f.empty())
        return "*";
    size_t i = static_cast<size_t>(std::clamp(d.filter_index, 1, static_cast<int>(f.size()))) - 1;
    return f[i].second;
}

std::string base_name(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void show_folder(HWND dialog, FileDialog& d)
{
    SetDlgItemText(dialog, file_dialog_folder_id, system_path(d.folder).c_str());
    fill_folder_list(GetDlgItem(dialog, file_dialog_list_id), d.folder, d.folder == "/", true, patterns_of(d));
}

// The name typed or picked: a folder is entered, a file checked and chosen.
void accept(HWND dialog, FileDialog& d)
{
    char buffer[MAX_PATH * 4] = {};
    GetDlgItemText(dialog, file_dialog_name_id, buffer, sizeof buffer);
    std::string name = helm::kernel::native_path(buffer);
    if (name.empty())
        return;
    std::string path = join_path(d.folder, name);
    if (is_folder(path)) {
        d.folder = path;
        SetDlgItemText(dialog, file_dialog_name_id, "");
        show_folder(dialog, d);
        return;
    }
    const DWORD flags = d.question.flags;
    std::string leaf = base_name(path);
    if (!d.question.default_extension.empty() && leaf.find('.') == std::string::npos) {
        path += "." + d.question.default_extension;
        leaf = base_name(path);
    }
    std::string holder = parent_folder(path);
    if (!(flags & OFN_NOVALIDATE) || (flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST))) {
        if ((flags & (OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)) && !is_folder(holder)) {
            std::string text = leaf + "\nPath does not exist.\nCheck the path and try again.";
            MessageBox(dialog, text.c_str(), d.question.title.c_str(), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        if ((flags & OFN_FILEMUSTEXIST) && !exists(path)) {
            std::string text = leaf + "\nFile not found.\nCheck the file name and try again.";
            MessageBox(dialog, text.c_str(), d.question.title.c_str(), MB_OK | MB_ICONEXCLAMATION);
            return;
        }
    }
    if (d.question.save && (flags & OFN_OVERWRITEPROMPT) && exists(path)) {
        std::string text = leaf + " already exists.\nDo you want to replace it?";
        if (MessageBox(dialog, text.c_str(), d.question.title.c_str(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
            return;
    }
    d.chosen = path;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK dialog_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (common_dialog_message(dialog, message))
        return TRUE;
    auto* d = reinterpret_cast<FileDialog*>(GetWindowLongPtr(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtr(dialog, DWLP_USER, lParam);
        d = reinterpret_cast<FileDialog*>(lParam);
        HWND combo = GetDlgItem(dialog, file_dialog_filter_id);
        for (const auto& f : d->question.filters)
            SendMessage(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(f.first.c_str()));
        SendMessage(combo, CB_SETCURSEL, d->filter_index - 1, 0);
        SetDlgItemText(dialog, file_dialog_name_id, d->question.initial_name.c_str());
        show_folder(dialog, *d);
        SetFocus(GetDlgItem(dialog, file_dialog_name_id));
        return FALSE;
    }
    case WM_COMMAND: {
        if (!d)
            return FALSE;
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        HWND list = GetDlgItem(dialog, file_dialog_list_id);
        if (id == IDOK && code == BN_CLICKED) {
            accept(dialog, *d);
        } else if (id == IDCANCEL && code == BN_CLICKED) {
            EndDialog(dialog, IDCANCEL);
        } else if (id == file_dialog_list_id && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
            int index = static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0));
            if (index < 0)
                return TRUE;
            FolderEntry e = folder_list_entry(list, index);
            if (!e.folder && code == LBN_SELCHANGE) {
                SetDlgItemText(dialog, file_dialog_name_id, e.name.c_str());
            } else if (code == LBN_DBLCLK) {
                if (e.folder) {
                    d->folder = join_path(d->folder, e.name);
                    show_folder(dialog, *d);
                } else {
                    SetDlgItemText(dialog, file_dialog_name_id, e.name.c_str());
                    accept(dialog, *d);
                }
            }
        } else if (id == file_dialog_filter_id && code == CBN_SELCHANGE) {
            LRESULT sel = SendDlgItemMessage(dialog, file_dialog_filter_id, CB_GETCURSEL, 0, 0);
            if (sel >= 0) {
                d->filter_index = static_cast<int>(sel) + 1;
                show_folder(dialog, *d);
            }
        } else {
            return FALSE;
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

INT_PTR run_dialog(FileDialog& d)
{
    const char* ok = d.question.save ? "&Save" : "&Open";
    TemplateWriter t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | WS_VISIBLE, 0, 0, 260, 176,
                     d.question.title, "MS Shell Dlg", 8);
    t.add(0x0082, SS_LEFT | SS_NOPREFIX | WS_VISIBLE, 7, 7, 246, 10, file_dialog_folder_id, "");
    t.add(0x0083, LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, 7, 20, 246, 104,
          file_dialog_list_id, "");
    t.add(0x0082, SS_LEFT | WS_VISIBLE, 7, 132, 50, 8, 1090, "File &name:");
    t.add(0x0081, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, 60, 130, 130, 12, file_dialog_name_id, "");
    t.add(0x0082, SS_LEFT | WS_VISIBLE, 7, 150, 50, 8, 1089, "Files of &type:");
    t.add(0x0085, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_VISIBLE, 60, 148, 130, 60, file_dialog_filter_id,
          "");
    t.add(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 196, 129, 57, 14, IDOK, ok);
    t.add(0x0080, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 196, 147, 57, 14, IDCANCEL, "Cancel");
    return DialogBoxIndirectParam(nullptr, t.get(), d.question.owner, dialog_proc, reinterpret_cast<LPARAM>(&d));
}

Seam<FileDialogAnswer>& answer_seam()
{
    static auto* seam = new Seam<FileDialogAnswer>();
    return *seam;
}

// The filter pairs of OPENFILENAME: text, zero, patterns, zero, ..., zero.
std::vector<std::pair<std::string, std::string>> read_filters(const char* filter)
{
    std::vector<std::pair<std::string, std::string>> pairs;
    if (!filter)
        return pairs;
    size_t left = longest_filter;
    while (*filter && static_cast<int>(pairs.size()) < most_filters) {
        size_t a = strnlen(filter, left);
        if (a + 1 >= left)
            break;
        const char* patterns = filter + a + 1;
        size_t b = strnlen(patterns, left - a - 1);
        // A text without patterns is the list's end (its second zero).
        if (b == 0 || a + b + 2 > left)
            break;
        pairs.emplace_back(std::string(filter, a), std::string(patterns, b));
        filter = patterns + b + 1;
        left -= a + b + 2;
    }
    return pairs;
}

BOOL run(LPOPENFILENAME ofn, bool save)
{
    t_extended_error = 0;
    if (!ofn || (ofn->lStructSize != sizeof(OPENFILENAME) && ofn->lStructSize != old_structure_size)) {
        t_extended_error = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (!ofn->lpstrFile || ofn->nMaxFile == 0) {
        t_extended_error = CDERR_INITIALIZATION;
        return FALSE;
    }
    FileDialog d;
    FileDialogQuestion& q = d.question;
    q.save = save;
    q.owner = ofn->hwndOwner;
    q.title = ofn->lpstrTitle ? ofn->lpstrTitle : (save ? "Save As" : "Open");
    q.filters = read_filters(ofn->lpstrFilter);
    q.filter_index = q.filters.empty() ? 0 : static_cast<int>(std::clamp<DWORD>(ofn->nFilterIndex, 1, q.filters.size()));
    q.flags = ofn->Flags;
    if (ofn->lpstrDefExt)
        q.default_extension = std::string(ofn->lpstrDefExt, strnlen(ofn->lpstrDefExt, 3));
    // The initial name may carry a folder, which then wins over the
    // initial folder.
    std::string initial = helm::kernel::native_path(std::string(ofn->lpstrFile, strnlen(ofn->lpstrFile, ofn->nMaxFile)));
    std::string folder;
    if (size_t slash = initial.rfind('/'); slash != std::string::npos) {
        folder = initial.substr(0, slash == 0 ? 1 : slash);
        initial = initial.substr(slash + 1);
    }
    if (folder.empty() && ofn->lpstrInitialDir && *ofn->lpstrInitialDir)
        folder = helm::kernel::native_path(ofn->lpstrInitialDir);
    if (folder.empty() || !is_folder(folder)) {
        char cwd[MAX_PATH * 4] = {};
        GetCurrentDirectory(sizeof cwd, cwd);
        folder = helm::kernel::native_path(cwd);
    }
    if (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    q.initial_folder = system_path(folder);
    q.initial_name = initial;
    d.folder = folder;
    d.filter_index = std::max(q.filter_index, 1);

    std::string chosen;
    int index = q.filter_index;
    if (auto answer = answer_seam().get()) {
        FileDialogChoice c = answer(q);
        if (!c.chosen)
            return FALSE;
        chosen = join_path(folder, helm::kernel::native_path(c.path));
        if (c.filter_index > 0)
            index = c.filter_index;
    } else {
        if (nobody_answers(save ? "save dialog" : "open dialog", q.title, system_path(folder))) {
            t_extended_error = CDERR_DIALOGFAILURE;
            return FALSE;
        }
        if (run_dialog(d) != IDOK)
            return FALSE;
        chosen = d.chosen;
        index = q.filters.empty() ? 0 : d.filter_index;
    }

    std::string path = system_path(chosen);
    if (path.size() + 1 > ofn->nMaxFile) {
        t_extended_error = FNERR_BUFFERTOOSMALL;
        if (ofn->nMaxFile >= 2) {
            WORD needed = static_cast<WORD>(std::min<size_t>(path.size() + 1, 0xFFFF));
            std::memcpy(ofn->lpstrFile, &needed, sizeof needed);
        }
        return FALSE;
    }
    std::memcpy(ofn->lpstrFile, path.c_str(), path.size() + 1);
    size_t name_at = path.rfind('\\') + 1;  // npos + 1 is 0
    size_t dot = path.rfind('.');
    ofn->nFileOffset = static_cast<WORD>(std::min<size_t>(name_at, 0xFFFF));
    ofn->nFileExtension = static_cast<WORD>(dot == std::string::npos || dot < name_at ? 0 : std::min<size_t>(dot + 1, 0xFFFF));
    ofn->nFilterIndex = static_cast<DWORD>(index);
    if (ofn->lpstrFileTitle && ofn->nMaxFileTitle > 0) {
        std::string title = path.substr(name_at);
        size_t n = std::min<size_t>(title.size(), ofn->nMaxFileTitle - 1);
        std::memcpy(ofn->lpstrFileTitle, title.data(), n);
        ofn->lpstrFileTitle[n] = '\0';
    }
    return TRUE;
}

}  // namespace

void set_file_dialog_answer(FileDialogAnswer answer)
{
    answer_seam().set(std::move(answer));
}

}  // namespace helm::user

BOOL GetOpenFileName(LPOPENFILENAME ofn)
{
    return helm::user::run(ofn, false);
}

BOOL GetSaveFileName(LPOPENFILENAME ofn)
{
    return helm::user::run(ofn, true);
}

DWORD CommDlgExtendedError()
{
    return helm::user::t_extended_error;
}
