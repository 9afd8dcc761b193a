// SHBrowseForFolder: a dialog of the layer walking the folders under a
// root, and the item lists that name what it chose. An item list of the
// layer is one item holding the path (file system form) and its zero,
// followed by the empty item that ends every list.

#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "common_dialog.h"
#include "helm/kernel/station_path.h"
#include "helm/user/controls.h"
#include "template_writer.h"

namespace helm::user {

namespace {

constexpr size_t longest_path = 4096;
constexpr int title_id = 14145;

struct Browser {
    BROWSEINFO* info;
    FolderQuestion question;
    std::string root;    // file system form, "/" for the whole
    std::string folder;  // the folder shown
    bool ok_enabled = true;
};

bool is_folder(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string trimmed(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

bool inside(const std::string& root, const std::string& path)
{
    if (root == "/")
        return true;
    return path == root || (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                            path[root.size()] == '/');
}

// The list of an item list: its first item's path, checked against its own
// counts.
bool path_of(LPCITEMIDLIST list, std::string& path)
{
    if (!list)
        return false;
    USHORT cb = 0;
    std::memcpy(&cb, list, sizeof cb);
    if (cb <= sizeof(USHORT) + 1 || cb > longest_path + sizeof(USHORT) + 1)
        return false;
    const auto* bytes = reinterpret_cast<const char*>(list) + sizeof(USHORT);
    size_t n = strnlen(bytes, cb - sizeof(USHORT));
    if (n == cb - sizeof(USHORT))
        return false;  // no zero inside the item
    path.assign(bytes, n);
    return !path.empty() && path[0] == '/';
}

LPITEMIDLIST make_list(const std::string& path)
{
    if (path.empty() || path.size() > longest_path)
        return nullptr;
    const USHORT cb = static_cast<USHORT>(sizeof(USHORT) + path.size() + 1);
    auto* bytes = static_cast<unsigned char*>(std::calloc(cb + sizeof(USHORT), 1));
    if (!bytes)
        return nullptr;
    std::memcpy(bytes, &cb, sizeof cb);
    std::memcpy(bytes + sizeof(USHORT), path.c_str(), path.size() + 1);
    return reinterpret_cast<LPITEMIDLIST>(bytes);
}

void notify(Browser& b, HWND dialog, UINT message, LPARAM lParam)
{
    if (b.info->lpfn)
        b.info->lpfn(dialog, message, lParam, b.info->lParam);
}

void show(HWND dialog, Browser& b)
{
    SetDlgItemText(dialog, file_dialog_folder_id, system_path(b.folder).c_str());
    fill_folder_list(GetDlgItem(dialog, folder_tree_id), b.folder, b.folder == b.root,
                     (b.question.flags & BIF_BROWSEINCLUDEFILES) != 0, "*");
    if (LPITEMIDLIST list = make_list(b.folder)) {
        notify(b, dialog, BFFM_SELCHANGED, reinterpret_cast<LPARAM>(list));
        std::free(list);
    }
}

void enter(HWND dialog, Browser& b, const std::string& path)
{
    std::string p = trimmed(path);
    if (!is_folder(p) || !inside(b.root, p))
        return;
    b.folder = p;
    show(dialog, b);
}

INT_PTR CALLBACK browser_proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (common_dialog_message(dialog, message))
        return TRUE;
    auto* b = reinterpret_cast<Browser*>(GetWindowLongPtr(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtr(dialog, DWLP_USER, lParam);
        b = reinterpret_cast<Browser*>(lParam);
        show(dialog, *b);
        notify(*b, dialog, BFFM_INITIALIZED, 0);
        SetFocus(GetDlgItem(dialog, folder_tree_id));
        return FALSE;
    case BFFM_SETSELECTIONA:
        if (b && wParam && lParam) {
            std::string path(reinterpret_cast<const char*>(lParam), strnlen(reinterpret_cast<const char*>(lParam), longest_path));
            b->question.initial = path;
            enter(dialog, *b, helm::kernel::native_path(path));
        } else if (b && !wParam && lParam) {
            std::string path;
            if (path_of(reinterpret_cast<LPCITEMIDLIST>(lParam), path))
                enter(dialog, *b, path);
        }
        return TRUE;
    case BFFM_ENABLEOK:
        EnableWindow(GetDlgItem(dialog, IDOK), lParam != 0);
        return TRUE;
    case BFFM_SETSTATUSTEXTA:
        return TRUE;
    case WM_COMMAND: {
        if (!b)
            return FALSE;
        const int id = LOWORD(wParam), code = HIWORD(wParam);
        HWND list = GetDlgItem(dialog, folder_tree_id);
        if (id == IDOK && code == BN_CLICKED) {
            // A folder picked in the list is the choice, else the one shown.
            int index = static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0));
            FolderEntry e = index >= 0 ? folder_list_entry(list, index) : FolderEntry{"", true};
            if (e.folder && !e.name.empty() && e.name != "..")
                b->folder = join_path(b->folder, e.name);
            EndDialog(dialog, IDOK);
        } else if (id == IDCANCEL && code == BN_CLICKED) {
            EndDialog(dialog, IDCANCEL);
        } else if (id == folder_tree_id && code == LBN_DBLCLK) {
            int index = static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0));
            if (index >= 0) {
                FolderEntry e = folder_list_entry(list, index);
                if (e.folder)
                    enter(dialog, *b, join_path(b->folder, e.name));
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

Seam<FolderAnswer>& answer_seam()
{
    static auto* seam = new Seam<FolderAnswer>();
    return *seam;
}

}  // namespace

void set_folder_answer(FolderAnswer answer)
{
    answer_seam().set(std::move(answer));
}

}  // namespace helm::user

LPITEMIDLIST SHBrowseForFolder(LPBROWSEINFO info)
{
    using namespace helm::user;
    if (!info)
        return nullptr;
    Browser b{info, {}, "/", "/"};
    b.question.owner = info->hwndOwner;
    b.question.title = info->lpszTitle ? info->lpszTitle : "";
    b.question.flags = info->ulFlags;
    std::string root;
    if (info->pidlRoot && path_of(info->pidlRoot, root) && is_folder(root))
        b.root = trimmed(root);
    b.question.root = b.root == "/" ? "" : system_path(b.root);
    b.folder = b.root;

    std::string chosen;
    if (auto answer = answer_seam().get()) {
        // The program's callback still picks the start, as with the dialog:
        // a hidden browser takes its BFFM_SETSELECTION.
        if (info->lpfn) {
            TemplateWriter t(WS_POPUP, 0, 0, 10, 10, "", "", 0);
            t.add(0x0082, SS_LEFT, 0, 0, 1, 1, file_dialog_folder_id, "");
            t.add(0x0083, LBS_NOTIFY, 0, 0, 1, 1, folder_tree_id, "");
            if (HWND probe = CreateDialogIndirectParam(nullptr, t.get(), nullptr, browser_proc,
                                                       reinterpret_cast<LPARAM>(&b)))
                DestroyWindow(probe);
        }
        FileDialogChoice c = answer(b.question);
        if (!c.chosen)
            return nullptr;
        chosen = trimmed(join_path(b.folder, helm::kernel::native_path(c.path)));
    } else {
        if (nobody_answers("folder browser", "Browse for Folder", b.question.title))
            return nullptr;
        TemplateWriter t(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | WS_VISIBLE, 0, 0, 220, 200,
                         "Browse for Folder", "MS Shell Dlg", 8);
        t.add(0x0082, SS_LEFT | SS_NOPREFIX | WS_VISIBLE, 7, 7, 206, 16, title_id, b.question.title);
        t.add(0x0082, SS_LEFT | SS_NOPREFIX | WS_VISIBLE, 7, 26, 206, 10, file_dialog_folder_id, "");
        t.add(0x0083, LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP | WS_VISIBLE, 7, 40, 206, 132, folder_tree_id, "");
        t.add(0x0080, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 102, 179, 53, 14, IDOK, "OK");
        t.add(0x0080, BS_PUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 160, 179, 53, 14, IDCANCEL, "Cancel");
        if (DialogBoxIndirectParam(nullptr, t.get(), info->hwndOwner, browser_proc, reinterpret_cast<LPARAM>(&b)) !=
            IDOK)
            return nullptr;
        chosen = b.folder;
    }
    if (info->pszDisplayName) {
        size_t slash = chosen.rfind('/');
        std::string name = chosen == "/" ? "/" : chosen.substr(slash + 1);
        size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
        std::memcpy(info->pszDisplayName, name.data(), n);
        info->pszDisplayName[n] = '\0';
    }
    return make_list(chosen);
}

BOOL SHGetPathFromIDList(LPCITEMIDLIST list, LPSTR path)
{
    std::string p;
    if (!path || !helm::user::path_of(list, p))
        return FALSE;
    p = helm::user::system_path(p);
    if (p.size() >= MAX_PATH) {
        path[0] = '\0';
        return FALSE;
    }
    std::memcpy(path, p.c_str(), p.size() + 1);
    return TRUE;
}

LPITEMIDLIST ILCreateFromPath(LPCSTR path)
{
    if (!path)
        return nullptr;
    std::string p = helm::kernel::native_path(path);
    if (p.empty() || p[0] != '/')
        return nullptr;
    return helm::user::make_list(helm::user::trimmed(p));
}

void ILFree(LPITEMIDLIST list)
{
    std::free(list);
}
