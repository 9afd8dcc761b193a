// The data viewer with the real value grid made by class id from its
// template: the rows of every viewer type, values written by logical row
// index, row colours, and the texts in the chosen language.

#include <memory>
#include <string>
#include <vector>

#include "dialogs/C_Q_DlgDataViewer.h"
#include "dialogs/HelmdialogsRes.h"
#include "dialogs_fixture.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/user/snapshot.h"
#include "valuegrid/ValuegridRows.h"

namespace {

using helm::com::ComPtr;

struct Expected {
    unsigned index;
    const char* label;
    double max = 0, min = 0;
    bool bounded = false;
};
// The limits of the kinds of rows.
Expected heading(unsigned index, const char* label = "Heading") { return {index, label, 360, 0, true}; }
Expected attitude(unsigned index, const char* label) { return {index, label, 180, -180, true}; }
const Expected latitude{0, "Latitude", 90, -90, true};
const Expected longitude{1, "Longitude", 360, 0, true};
const Expected altitude{2, "Altitude"};
const Expected speed_norm{48, "Speed norm"};
const Expected heave{17, "Heave"};
const Expected time_row{28, "Time"};

struct TypeCase {
    unsigned short type;
    std::vector<Expected> rows;
    unsigned short digits = 20;
};

const std::vector<TypeCase>& every_type()
{
    static const std::vector<TypeCase> cases = {
        {0, {heading(11), attitude(12, "Roll"), attitude(13, "Pitch"), heave, latitude, speed_norm}},
        {1, {heading(11), attitude(12, "Roll"), attitude(13, "Pitch")}},
        {2, {{14, "Heading std. dev."}, {15, "Roll std. dev."}, {16, "Pitch std. dev."}}},
        {3, {latitude, speed_norm}},
        {4, {latitude, longitude, altitude}},
        {5, {{6, "Zone I"}, {7, "Zone C"}, {8, "UTM North"}, {9, "UTM East"}, {10, "UTM altitude "}}},
        {6, {{3, "Latitude std. dev.", 90, -90, true}, {4, "Longitude std. dev.", 360, 0, true}, {5, "Altitude std. dev."}}},
        {7, {{42, "North speed"}, {43, "East speed"}, {44, "Vert. speed"}, speed_norm}},
        {8, {{45, "North speed std. dev."}, {46, "East speed std. dev."}, {47, "Vert. speed std. dev."}}},
        {9, {heave, {18, "Surge"}, {19, "Sway"}}},
        {10, {{20, "Heave speed"}, {21, "Surge speed"}, {22, "Sway speed"}}, 15},
        {11, {latitude, longitude, {11, "Heading"}, {12, "Roll"}, {13, "Pitch"}, heave, speed_norm}},
        {12, {{23, "North current"}, {24, "East current"}}},
        {13, {{25, "North current std. dev."}, {26, "East current std. dev."}}},
        {14, {time_row}},
        {15, {latitude, longitude, altitude, {27, "Mode"}, time_row}},
        {16, {latitude, longitude, altitude, {27, "Mode"}, time_row}},
        {17, {{28, "UTC time"}}},
        {18, {{34, "Bottom speedX"}, {35, "Bottom speedY"}, {36, "Bottom speedZ"}, {37, "Water speedX"},
              {38, "Water speedY"}, {39, "Water speedZ"}, {40, "Sound speed"}, {2, "Range to bottom"}, time_row}},
        {19, {speed_norm, time_row}},
        {20, {{29, "Depth"}, time_row}},
        {21, {{31, "N\xB0 beacon"}, {32, "TpCode"}, latitude, longitude, altitude, {33, "Delay"}, time_row}},
        {22, {{31, "N\xB0 beacon"}, latitude, longitude, altitude, {30, "Range"}, time_row}},
        {23, {{41, "CTD sound speed"}}},
        {24, {{49, "Bias fog X"}, {50, "Bias fog Y"}, {51, "Bias fog Z"}, {52, "Bias acc X"}, {53, "Bias acc Y"},
              {54, "Bias acc Z"}, {55, "Bias log"}}},
        {25, {}},
        {26, {{11, "Heading"}, {12, "Roll"}, {13, "Pitch"}}},
        {27, {{11, "Delta heading"}, {12, "Delta roll"}, {13, "Delta pitch"}, {56, "Factor"}}},
        {28, {{11, "Delta heading"}, {12, "Delta roll"}, {13, "Delta pitch"}, {0, "Latitude"}}},
        {29, {}},
    };
    return cases;
}

class DataViewer : public dialogs_test::WithMainWindow {
protected:
    DataViewer() : WithMainWindow({dialogs_test::valuegrid_plugin}) {}
    void closing() override
    {
        m_rows.reset();
        m_viewer.reset();
    }

    C_Q_DlgDataViewer& open(unsigned short type, int width = 300, int height = 200)
    {
        m_viewer = std::make_unique<C_Q_DlgDataViewer>(&m_main);
        m_viewer->P_SetTypeViewer(type);
        EXPECT_TRUE(m_viewer->Create(IDD_DATA_VIEWER, &m_main));
        m_viewer->MoveWindow(10, 10, width, height);
        m_viewer->ShowWindow(SW_SHOW);
        ComPtr<IUnknown> grid;
        AtlAxGetControl(::GetDlgItem(m_viewer->m_hWnd, IDC_VALUEGRID), grid.put());
        m_rows = grid.query<IValuegridRows>();
        EXPECT_TRUE(m_rows) << "the viewer made no grid";
        return *m_viewer;
    }
    std::vector<ValuegridRow> rows()
    {
        std::vector<ValuegridRow> out;
        for (USHORT i = 0; m_rows && i < m_rows->RowCount(); ++i) {
            out.emplace_back();
            m_rows->GetRow(i, &out.back());
        }
        return out;
    }
    // Writes "v<index>" into every logical row, as the main window does.
    void write_every_index(unsigned last = C_Q_DlgDataViewer::logical_rows - 1)
    {
        for (unsigned index = 0; index <= last; ++index) {
            CString text;
            text.Format("v%u", index);
            m_viewer->P_SetValue(index, &text);
        }
    }

    std::unique_ptr<C_Q_DlgDataViewer> m_viewer;
    ComPtr<IValuegridRows> m_rows;
};

TEST_F(DataViewer, EveryTypeMakesItsRowsAddressedByLogicalIndex)
{
    for (const TypeCase& c : every_type()) {
        SCOPED_TRACE("type " + std::to_string(c.type));
        m_viewer.reset();
        C_Q_DlgDataViewer& viewer = open(c.type);
        EXPECT_TRUE(viewer.IsWindowVisible()) << "the viewer stays open";
        std::vector<ValuegridRow> shown = rows();
        ASSERT_EQ(shown.size(), c.rows.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            const Expected& e = c.rows[i];
            EXPECT_EQ(shown[i].label, e.label) << i;
            EXPECT_EQ(shown[i].value, "---") << i;
            EXPECT_EQ(shown[i].unit, " ") << i;
            EXPECT_EQ(shown[i].digits, c.digits) << i;
            EXPECT_EQ(shown[i].bounded, e.bounded) << i;
            EXPECT_EQ(shown[i].maximum, e.max) << i;
            EXPECT_EQ(shown[i].minimum, e.min) << i;
            EXPECT_FALSE(shown[i].edit_mode) << i;
            EXPECT_TRUE(shown[i].state) << i;
        }
        // Each row takes the value of its own logical index and no other:
        // an index the type did not fill, or one past 56, writes nowhere.
        write_every_index(70);
        shown = rows();
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i].value, "v" + std::to_string(c.rows[i].index)) << i;
    }
}

TEST_F(DataViewer, RowStatesFollowTheColourCallsOfTheType)
{
    auto states = [&] {
        std::string out;
        for (const ValuegridRow& r : rows())
            out += r.state ? '+' : '-';
        return out;
    };
    // Type 0 (heading, roll, pitch, heave, latitude, speed): only the three
    // attitude rows follow the colour; heave has its own state.
    open(0);
    m_viewer->P_SetColorViewer(false);
    EXPECT_EQ(states(), "---+++");
    m_viewer->P_SetColorHeaveViewer(false);
    EXPECT_EQ(states(), "----++");
    m_viewer->P_SetColorViewer(true);
    EXPECT_EQ(states(), "+++-++") << "heave keeps its state";
    m_viewer->P_InitDataViewer(true);
    EXPECT_EQ(states(), "++++++");

    // Type 9 (heave, surge, sway): every row follows; the heave state comes
    // back after the loop only when heave is managed.
    m_viewer.reset();
    open(9);
    m_viewer->P_SetColorHeaveViewer(false);
    EXPECT_EQ(states(), "-++");
    m_viewer->P_SetColorViewer(true);
    EXPECT_EQ(states(), "+++");
    m_viewer->P_SetManageHeave(true);
    m_viewer->P_SetColorViewer(false);
    m_viewer->P_SetColorHeaveViewer(true);
    m_viewer->P_SetColorViewer(false);
    EXPECT_EQ(states(), "+--");

    // A type without a heave row: its state touches nothing.
    m_viewer.reset();
    open(17);
    m_viewer->P_SetManageHeave(true);
    m_viewer->P_SetColorHeaveViewer(false);
    EXPECT_EQ(states(), "+");
}

TEST_F(DataViewer, InitBringsEveryRowBackToNoValue)
{
    open(11);
    write_every_index();
    m_viewer->P_SetColorViewer(false);
    m_viewer->P_InitDataViewer(false);
    for (const ValuegridRow& r : rows()) {
        EXPECT_EQ(r.value, "---");
        EXPECT_FALSE(r.state) << "without reset the colour stays";
    }
    m_viewer->P_InitDataViewer(true);
    for (const ValuegridRow& r : rows())
        EXPECT_TRUE(r.state);
}

TEST_F(DataViewer, GrowsWithItsWindowAndPaintsTheAlarmColour)
{
    open(0, 240, 150);
    HWND grid = ::GetDlgItem(m_viewer->m_hWnd, IDC_VALUEGRID);
    m_viewer->MoveWindow(10, 10, 320, 180);
    CRect client;
    ::GetClientRect(grid, &client);
    EXPECT_EQ(client, CRect(0, 0, 320, 180)) << "the grid fills the viewer";
    EXPECT_EQ(rows().back().unit_rect.right, 318) << "and is laid out again";

    const char* values[] = {"359.95", "-12.50", "3.25", "0.42", "48\xB0" "12.345'N", "12.40"};
    for (unsigned i = 0; i < 6; ++i) {
        CString text = values[i];
        m_viewer->P_SetValue(every_type()[0].rows[i].index, &text);
    }
    m_viewer->P_SetColorViewer(false);
    auto picture = helm::user::snapshot_window(m_main.m_hWnd);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "data_viewer_type0");
    const RECT origin = helm::user::rect_in_snapshot(m_main.m_hWnd, grid, true);
    std::vector<ValuegridRow> shown = rows();
    for (size_t i = 0; i < shown.size(); ++i) {
        RECT value = shown[i].value_rect;
        OffsetRect(&value, origin.left, origin.top);
        const bool alarm = i < 3;
        EXPECT_EQ(helm::gdi::testing::count_of(*picture, value, RGB(255, 0, 0), 40) > 0, alarm) << i;
        EXPECT_EQ(helm::gdi::testing::count_of(*picture, value, RGB(255, 255, 255), 40) > 0, !alarm) << i;
    }

    m_viewer.reset();
    open(17, 240, 40);
    CString utc = "13:05:07.25";
    m_viewer->P_SetValue(28, &utc);
    picture = helm::user::snapshot_window(m_main.m_hWnd);
    ASSERT_TRUE(picture);
    helm::gdi::testing::keep_png(*picture, "data_viewer_type17");
    EXPECT_EQ(rows().at(0).label, "UTC time");
}

TEST_F(DataViewer, LabelsComeInTheChosenLanguage)
{
    m_language.set(0);
    open(0);
    std::vector<std::string> labels;
    for (const ValuegridRow& r : rows())
        labels.push_back(r.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"Cap", "Roulis", "Tangage", "Pilonnement", "Latitude", "Norme vitesse"}));
}

TEST_F(DataViewer, WithoutWindowsEverythingIsSkipped)
{
    C_Q_DlgDataViewer viewer(&m_main);
    viewer.P_SetTypeViewer(0);
    CString text = "1";
    viewer.P_SetValue(11, &text);
    viewer.P_SetColorViewer(false);
    viewer.P_InitDataViewer(true);
    // Without its grid (not registered), the dialog opens and its calls are
    // skipped.
    helm::com::testing::unregister_plugin(dialogs_test::valuegrid_plugin);
    ASSERT_TRUE(viewer.Create(IDD_DATA_VIEWER, &m_main));
    EXPECT_EQ(::GetDlgItem(viewer.m_hWnd, IDC_VALUEGRID), nullptr);
    viewer.P_SetValue(11, &text);
    viewer.P_SetColorViewer(false);
    viewer.DestroyWindow();
}

}  // namespace
