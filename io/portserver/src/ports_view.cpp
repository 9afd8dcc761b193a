#include "ports_view.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "resource.h"

namespace helm::portserver {

namespace {

constexpr int kListId = 1;
constexpr int kSpyId = 2;

std::string port_name(int port)
{
    char name[64];
    if (port > PORTLINK_SERIAL_PORTS)
        std::snprintf(name, sizeof name, server_text(IDS_SOCKET).c_str(), port - PORTLINK_SERIAL_PORTS);
    else
        std::snprintf(name, sizeof name, server_text(IDS_SERIAL_PORT).c_str(), port);
    return name;
}

int row_of(HWND list, int port)
{
    const int rows = ListView_GetItemCount(list);
    for (int row = 0; row < rows; ++row) {
        LVITEM item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        if (SendMessage(list, LVM_GETITEM, 0, reinterpret_cast<LPARAM>(&item)) && item.lParam == port)
            return row;
    }
    return -1;
}

}  // namespace

std::string server_text(UINT id)
{
    char buffer[512];
    const int length = LoadString(GetModuleHandle(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? length : 0);
}

bool PortsView::create(HWND parent, UINT recordsMessage)
{
    m_parent = parent;
    const HINSTANCE instance = GetModuleHandle(nullptr);
    m_list = CreateWindowEx(WS_EX_CLIENTEDGE, WC_LISTVIEW, "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, 0,
                            0, 0, 0, parent, reinterpret_cast<HMENU>(kListId), instance, nullptr);
    m_spy = CreateWindowEx(WS_EX_CLIENTEDGE, "ListBox", "",
                           WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(kSpyId), instance, nullptr);
    if (!m_list || !m_spy)
        return false;
    const HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessage(m_list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SendMessage(m_spy, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT);
    const struct {
        UINT title;
        int width;
    } columns[] = {{IDS_COLUMN_PORT, 70}, {IDS_COLUMN_STATE, 50}, {IDS_COLUMN_SETTINGS, 190}, {IDS_COLUMN_PROTOCOL, 150}};
    for (int i = 0; i < 4; ++i) {
        std::string title = server_text(columns[i].title);
        LVCOLUMN column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = title.data();
        column.cx = columns[i].width;
        ListView_InsertColumn(m_list, i, &column);
    }
    m_monitor = std::make_unique<PortMonitor>(parent, recordsMessage);
    layout(IsIconic(parent));
    return true;
}

void PortsView::destroy()
{
    m_monitor.reset();
    m_selected_port = 0;
    m_watched_port = 0;
}

void PortsView::follow()
{
    const int port = m_minimised ? 0 : m_selected_port;
    if (!m_monitor || port == m_watched_port)
        return;
    m_watched_port = port;
    SendMessage(m_spy, LB_RESETCONTENT, 0, 0);
    m_monitor->watch(port);
}

void PortsView::layout(bool minimised)
{
    if (!m_parent)
        return;
    m_minimised = minimised;
    follow();
    if (minimised)
        return;
    RECT client;
    GetClientRect(m_parent, &client);
    const int split = client.bottom * 2 / 5;
    MoveWindow(m_list, 0, 0, client.right, split, TRUE);
    MoveWindow(m_spy, 0, split, client.right, client.bottom - split, TRUE);
}

void PortsView::show_ports(const std::vector<Row>& rows)
{
    const int keep = m_selected_port;
    m_selected_port = -1;  // the changes made here are not the operator's
    ListView_DeleteAllItems(m_list);
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& r = rows[i];
        std::string cells[4] = {port_name(r.port), server_text(r.on ? IDS_STATE_ON : IDS_STATE_OFF), r.settings, r.protocol};
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(i);
        item.pszText = cells[0].data();
        item.lParam = r.port;
        const int row = ListView_InsertItem(m_list, &item);
        for (int sub = 1; sub < 4; ++sub)
            ListView_SetItemText(m_list, row, sub, cells[sub].data());
    }
    m_selected_port = keep;
    if (row_of(m_list, keep) >= 0)
        select_port(keep);
    else if (!rows.empty())
        select_port(rows.front().port);  // the monitor follows, through the notification
}

void PortsView::select_port(int port)
{
    const int row = row_of(m_list, port);
    if (row >= 0)
        ListView_SetItemState(m_list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

bool PortsView::on_notify(const NMHDR& header)
{
    if (header.hwndFrom != m_list)
        return false;
    if (header.code == LVN_ITEMCHANGED && m_selected_port >= 0) {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        const int port = static_cast<int>(change.lParam);
        if ((change.uNewState & LVIS_SELECTED) && !(change.uOldState & LVIS_SELECTED)) {
            m_selected_port = port;
            follow();
        }
    }
    return true;
}

void PortsView::show_records()
{
    if (!m_monitor)
        return;
    for (const MonitoredRecord& record : m_monitor->take()) {
        const std::string line = spy_line(record);
        SendMessage(m_spy, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    }
    const int lines = static_cast<int>(SendMessage(m_spy, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < lines - kSpyLines; ++i)
        SendMessage(m_spy, LB_DELETESTRING, 0, 0);
    SendMessage(m_spy, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, std::min(lines, kSpyLines) - 1)), 0);
}

std::string PortsView::spy_line(const MonitoredRecord& record)
{
    const SYSTEMTIME& t = record.local_time;
    char head[32];
    std::snprintf(head, sizeof head, "%02u:%02u:%02u.%03u  ", t.wHour % 100u, t.wMinute % 100u, t.wSecond % 100u,
                  t.wMilliseconds % 1000u);
    std::string line = head;
    for (unsigned char c : record.bytes) {
        if (c == '\r') {
            line += "<CR>";
        } else if (c == '\n') {
            line += "<LF>";
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            line += hex;
        } else {
            line += static_cast<char>(c);
        }
    }
    return line;
}

}  // namespace helm::portserver
