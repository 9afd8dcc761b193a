#include "common_dialog.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <functional>

#include "helm/user/screen.h"

namespace helm::user {

namespace {

// A private message of the layer's dialogs; their procedures are their own,
// so it cannot meet a program's meaning.
constexpr UINT shown_note = WM_USER + 0x3F00;

Seam<std::function<void(HWND)>>& shown_hook()
{
    static auto* seam = new Seam<std::function<void(HWND)>>();
    return *seam;
}

}  // namespace

void set_common_dialog_shown(std::function<void(HWND dialog)> shown)
{
    shown_hook().set(std::move(shown));
}

void note_when_shown(HWND window)
{
    PostMessage(window, shown_note, 0, 0);
}

bool nobody_answers(std::string_view kind, std::string_view caption, std::string_view text)
{
    if (screen()->has_operator() || shown_hook().get())
        return false;
    // Bounded: a box's text is the program's, but may carry what it read.
    constexpr size_t most = 4096;
    const std::string line = std::string(program_invocation_short_name) + ": " + std::string(kind) + " \"" +
                             std::string(caption.substr(0, most)) + "\" with no operator: " +
                             std::string(text.substr(0, most)) + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    return true;
}

bool common_dialog_message(HWND dialog, UINT message)
{
    if (message == WM_INITDIALOG) {
        PostMessage(dialog, shown_note, 0, 0);
        return false;
    }
    if (message != shown_note)
        return false;
    if (auto hook = shown_hook().get(); hook && IsWindowVisible(dialog))
        hook(dialog);
    return true;
}

std::string system_path(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

}  // namespace helm::user

#include <cctype>
#include <filesystem>

#include "helm/user/controls.h"

namespace helm::user {

bool wildcard_match(std::string_view pattern, std::string_view name)
{
    // Iterative match with one back-track point: linear enough for names.
    size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || same(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<FolderEntry> list_folder(const std::string& folder, bool files, const std::string& patterns, size_t limit)
{
    std::vector<std::string> wanted;
    for (size_t start = 0; start <= patterns.size();) {
        size_t end = patterns.find(';', start);
        if (end == std::string::npos)
            end = patterns.size();
        std::string one = patterns.substr(start, end - start);
        while (!one.empty() && one.front() == ' ')
            one.erase(0, 1);
        if (!one.empty())
            wanted.push_back(one == "*.*" ? "*" : one);
        start = end + 1;
    }
    std::vector<FolderEntry> folders, found;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder.empty() ? "/" : folder, ec), end;
    for (; !ec && it != end && folders.size() + found.size() < limit; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code kind_ec;
        if (it->is_directory(kind_ec)) {
            folders.push_back({name, true});
        } else if (files && (wanted.empty() || std::any_of(wanted.begin(), wanted.end(), [&](const std::string& w) {
                                 return wildcard_match(w, name);
                             }))) {
            found.push_back({name, false});
        }
    }
    auto by_name = [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; };
    std::sort(folders.begin(), folders.end(), by_name);
    std::sort(found.begin(), found.end(), by_name);
    folders.insert(folders.end(), found.begin(), found.end());
    return folders;
}

void fill_folder_list(HWND list, const std::string& folder, bool at_root, bool files, const std::string& patterns)
{
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    if (!at_root)
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(".."));
    for (const FolderEntry& e : list_folder(folder, files, patterns)) {
        std::string line = e.folder ? "[" + e.name + "]" : e.name;
        SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
}

FolderEntry folder_list_entry(HWND list, int index)
{
    LRESULT len = SendMessage(list, LB_GETTEXTLEN, index, 0);
    if (len <= 0)
        return {"", false};
    std::string line(static_cast<size_t>(len) + 1, '\0');
    SendMessage(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(line.data()));
    line.resize(static_cast<size_t>(len));
    if (line == "..")
        return {"..", true};
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']')
        return {line.substr(1, line.size() - 2), true};
    return {line, false};
}

std::string join_path(const std::string& folder, const std::string& name)
{
    if (!name.empty() && name[0] == '/')
        return name;
    if (name == "..")
        return parent_folder(folder);
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

std::string parent_folder(const std::string& folder)
{
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    size_t slash = f.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return "/";
    return f.substr(0, slash);
}

}  // namespace helm::user
