// LoadMenu and LoadMenuIndirect: menus from the resource form (a header of
// version 0, then the items depth first, each level ending with MF_END).
// Every read is checked against the data's size; damaged data makes no
// menu.

#include <cstring>
#include <string>

#include "helm/kernel/error.h"
#include "helm/user/menus.h"
#include "helm/user/resources.h"
#include "resource_codepage.h"

namespace {

constexpr WORD mf_end = 0x0080;
constexpr int deepest = 8;
// A template given by address alone is read no further than this.
constexpr size_t longest_template = 64 * 1024;

class MenuReader {
public:
    MenuReader(const unsigned char* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    HMENU read(bool popup)
    {
        WORD version = 0, offset = 0;
        if (!word(version) || !word(offset) || version != 0 || offset > m_size - m_at)
            return nullptr;
        m_at += offset;
        HMENU menu = popup ? CreatePopupMenu() : CreateMenu();
        if (!level(menu, 0)) {
            DestroyMenu(menu);
            return nullptr;
        }
        return menu;
    }

private:
    bool word(WORD& out)
    {
        if (m_size - m_at < 2)
            return false;
        std::memcpy(&out, m_bytes + m_at, 2);
        m_at += 2;
        return true;
    }
    bool text(std::string& out)
    {
        for (WORD c = 0;;) {
            if (!word(c))
                return false;
            if (c == 0)
                return true;
            int byte = helm::user::codepage::from_unicode(c);
            out += static_cast<char>(byte < 0 ? '?' : byte);
        }
    }
    bool level(HMENU menu, int depth)
    {
        if (depth > deepest)
            return false;
        for (;;) {
            WORD flags = 0, id = 0;
            std::string label;
            if (!word(flags))
                return false;
            const bool last = (flags & mf_end) != 0;
            flags &= static_cast<WORD>(~mf_end);
            if (flags & MF_POPUP) {
                if (!text(label))
                    return false;
                HMENU sub = CreatePopupMenu();
                if (!level(sub, depth + 1) ||
                    !AppendMenu(menu, flags, reinterpret_cast<UINT_PTR>(sub), label.c_str())) {
                    DestroyMenu(sub);
                    return false;
                }
            } else {
                if (!word(id) || !text(label))
                    return false;
                if (flags == 0 && id == 0 && label.empty())
                    flags = MF_SEPARATOR;
                if (!AppendMenu(menu, flags, id, label.c_str()))
                    return false;
            }
            if (last)
                return true;
        }
    }

    const unsigned char* m_bytes;
    size_t m_size;
    size_t m_at = 0;
};

}  // namespace

HMENU helm::user::menu_from_bytes(const unsigned char* bytes, size_t size)
{
    return bytes ? MenuReader(bytes, size).read(false) : nullptr;
}

// A loaded menu is a menu bar, as on Windows; its popups come with
// GetSubMenu.
HMENU LoadMenu(HINSTANCE instance, LPCSTR name)
{
    HRSRC found = FindResource(instance, name, RT_MENU);
    if (!found)
        return nullptr;
    const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(instance, found)));
    const DWORD size = SizeofResource(instance, found);
    HMENU menu = helm::user::menu_from_bytes(bytes, size);
    if (!menu)
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return menu;
}

HMENU LoadMenuIndirect(const void* menuTemplate)
{
    if (!menuTemplate)
        return nullptr;
    return MenuReader(static_cast<const unsigned char*>(menuTemplate), longest_template).read(false);
}
