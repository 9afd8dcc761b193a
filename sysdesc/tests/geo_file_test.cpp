// The .GEO file: models written and read back as a table, the bytes the
// file holds, the dated history of offsets and mounts, bad files kept as
// backups with the operator told, saves that fail leaving the old file, and
// the exported getters on a file and on the default system.

#include <gtest/gtest.h>

#include <dirent.h>

#include <functional>
#include <sstream>

#include "GeometryFile.h"
#include "helm/afx/message_box.h"
#include "helm/test/read_only.h"
#include "helm/test/support.h"
#include "sysdesc/CGeoFileXml.h"
#include "sysdesc/GeoCodes.h"
#include "sysdesc/SetupdeskFunctions.h"

namespace {

COleDateTime at(int year, int month, int day, int hour = 12, int minute = 0, int second = 0)
{
    return COleDateTime(year, month, day, hour, minute, second);
}

// Everything a model holds, one line per element, to compare two models.
std::string describe(CGeoSystem& model, bool with_valid_from = false)
{
    std::ostringstream out;
    out << "system " << model.F_getName().GetString() << "\n";
    for (int i = 0; i < model.F_getMobileCount(); ++i) {
        const CGeoMobileData& m = model.F_getMobile(i)->F_getData();
        out << " mobile " << m.m_nID << " " << m.m_bValid << " " << m.m_nType << " " << m.m_strName.GetString() << "\n";
        for (int j = 0; j < model.F_getMobile(i)->F_getEquipmentCount(); ++j) {
            const CGeoEquipment& equipment = *model.F_getMobile(i)->F_getEquipment(j);
            const CGeoEquipmentData& e = equipment.F_getData();
            const CGeoOffset& o = e.m_offset;
            out << "  equipment " << e.m_nID << " " << e.m_bValid << " " << e.m_nIDmobile << " "
                << e.m_nIDequipmentDual << " " << e.m_nIDpositionMesure << " " << e.m_nIDattitudeMesure << " "
                << e.m_nType << " " << e.m_nMount << " " << e.m_strName.GetString() << " | " << o.m_dX << " " << o.m_dY
                << " " << o.m_dZ << " " << o.m_dRoll << " " << o.m_dPitch << " " << o.m_dYaw << " " << o.m_dLatency;
            if (with_valid_from)
                out << " from " << o.m_validFrom.wYear << "-" << o.m_validFrom.wMonth << "-" << o.m_validFrom.wDay;
            out << "\n";
            for (int k = 0; k < equipment.F_getMesureCount(); ++k) {
                const CGeoMesureData& d = equipment.F_getMesure(k)->F_getData();
                out << "   mesure " << d.m_bValid << " " << d.m_nID << " " << d.m_nIDequipment << " " << d.m_nType
                    << " " << d.m_nServeur << " " << d.m_nConnexion << " " << d.m_nPortNumber << "\n";
            }
        }
    }
    return out.str();
}

CGeoEquipment equipment(int id, const char* name, int type, int mount, double x, double latency = 0)
{
    CGeoEquipment e;
    CGeoEquipmentData& d = e.F_getData();
    d.m_nID = id;
    d.m_bValid = true;
    d.m_strName = name;
    d.m_nType = type;
    d.m_nMount = mount;
    d.m_nIDmobile = 1;
    d.m_offset.m_dX = x;
    d.m_offset.m_dY = -x / 3;
    d.m_offset.m_dZ = 0.125;
    d.m_offset.m_dRoll = 1.5;
    d.m_offset.m_dPitch = -0.75;
    d.m_offset.m_dYaw = 359.99;
    d.m_offset.m_dLatency = latency;
    return e;
}

CGeoMobile mobile(int id, const char* name, int type, std::vector<CGeoEquipment> list)
{
    CGeoMobile m;
    m.F_getData().m_nID = id;
    m.F_getData().m_bValid = true;
    m.F_getData().m_nType = type;
    m.F_getData().m_strName = name;
    for (const auto& e : list)
        m.F_addEquipment(e);
    return m;
}

void make_one_mobile(CGeoSystem& s)
{
    s.F_getName() = "one";
    s.F_addMobile(mobile(1, "ship", 1, {}));
}

void make_several(CGeoSystem& s)
{
    s.F_getName() = "survey 2026";
    CGeoEquipment gps = equipment(1, "GPS", 1, 1, 2.5, 120);
    CGeoMesure mesure;
    mesure.F_getData() = {true, 1, 1, 3, 2, 4, 17};
    gps.F_addMesure(mesure);
    mesure.F_getData() = {false, 2, 1, 1, 1, 1, 1};
    gps.F_addMesure(mesure);
    s.F_addMobile(mobile(1, "ship", 1, {gps, equipment(2, "MRU", 2, 1, -1.25), equipment(3, "Winch", 3, 1, 0)}));
    s.F_addMobile(mobile(2, "fish", 4, {equipment(1, "sonar", 9, 2, 0), equipment(2, "USBL beacon", 4, 1, 0.5)}));
    s.F_addMobile(mobile(7, "streamer", 5, {equipment(9, "receiver", 8, 2, 10)}));
}

void make_windows_names(CGeoSystem& s)
{
    s.F_getName() = "Syst\xE8me 90\xB0 \x80";
    s.F_addMobile(mobile(1, "Navire \xE9t\xE9", 1, {equipment(1, "Capteur \xAB 1 \xBB & <2>", 2, 1, 0.5)}));
}

class GeoFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        helm::sysdesc::set_host_program_path(m_dir.file("Host"));
        helm::afx::set_message_box([this](HWND, const char* text, const char*, UINT) {
            m_told.push_back(text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        helm::afx::set_message_box(nullptr);
        helm::sysdesc::set_host_program_path("");
    }
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        if (DIR* d = opendir(m_dir.path().c_str())) {
            while (dirent* entry = readdir(d)) {
                if (entry->d_name[0] != '.')
                    names.push_back(entry->d_name);
            }
            closedir(d);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    helm::test::TempDir m_dir;
    std::vector<std::string> m_told;
};

TEST_F(GeoFile, ModelsWrittenAndReadBackAreTheSame)
{
    const struct {
        const char* name;
        std::function<void(CGeoSystem&)> make;
    } systems[] = {{"one mobile", make_one_mobile}, {"several", make_several}, {"1252 names", make_windows_names},
                   {"seismic default", [](CGeoSystem& s) { s.P_makeSeismicDefault(); }}};
    for (const auto& system : systems) {
        SCOPED_TRACE(system.name);
        CGeoSystem model;
        system.make(model);
        const std::string path = m_dir.file("model.GEO");
        CGeoFileXml writer;
        ASSERT_TRUE(writer.F_create(path.c_str(), model, at(2026, 3, 14, 9, 30, 5)));
        CGeoSystem back;
        CGeoFileXml reader;
        ASSERT_TRUE(reader.F_read(path.c_str(), back, nullptr));
        EXPECT_EQ(describe(back), describe(model));
        if (back.F_getMobileCount() && back.F_getMobile(0)->F_getEquipmentCount()) {
            const SYSTEMTIME& from = back.F_getMobile(0)->F_getEquipment(0)->F_getData().m_offset.m_validFrom;
            EXPECT_EQ(from.wYear, 2026);
            EXPECT_EQ(from.wMonth, 3);
            EXPECT_EQ(from.wDay, 14);
            EXPECT_EQ(from.wHour, 9);
        }
    }
}

TEST_F(GeoFile, TheFileHoldsTheDeclaredEncodingAndTheNamesOfItsLayout)
{
    CGeoSystem model;
    make_windows_names(model);
    model.F_getMobile(0)->F_getEquipment(0)->F_addMesure(CGeoMesure());
    const std::string path = m_dir.file("bytes.GEO");
    CGeoFileXml file;
    ASSERT_TRUE(file.F_create(path.c_str(), model, at(2026, 12, 10, 13, 5, 7)));
    const std::string bytes = helm::test::read_file(path);
    const char* expected[] = {
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n",
        "<geometry version=\"1.0\" name=\"Syst\xE8me 90\xB0 &#8364;\" creationDate=\"10/12/2026 13:05:07\" "
        "lastUpdateDate=\"10/12/2026 13:05:07\">\r\n",
        "<mobile name=\"Navire \xE9t\xE9\" valid=\"true\" ID=\"1\" type=\"ship\">\r\n",
        "<equipment name=\"Capteur \xAB 1 \xBB &amp; &lt;2&gt;\" valid=\"true\" ID=\"1\" type=\"MSU\" IDmobile=\"1\" "
        "IDequipmentDual=\"-1\" IDpositionMesure=\"-1\" IDattitudeMesure=\"-1\">\r\n",
        "<mount dateFrom=\"10/12/2026 13:05:07\" dateTo=\" \" type=\"Hull\"/>\r\n",
        "<offset dateFrom=\"10/12/2026 13:05:07\" dateTo=\" \" offsetX=\"0.5\" offsetY=\"-0.166666666666667\" "
        "offsetZ=\"0.125\" offsetRoll=\"1.5\" offsetPitch=\"-0.75\" offsetYaw=\"359.99\" latency=\"0\"/>\r\n",
        "<mesure valid=\"0\" ID=\"1\" IDequipment=\"-1\" type=\"1\" connexion=\"1\" portNumber=\"1\" serveur=\"1\"/>\r\n",
        "</equipment>\r\n",
        "</geometry>\r\n",
    };
    size_t from = 0;
    for (const char* part : expected) {
        const size_t found = bytes.find(part, from);
        EXPECT_NE(found, std::string::npos) << part << "\nin\n" << bytes;
        if (found != std::string::npos)
            from = found;
    }
    EXPECT_EQ(bytes.rfind("<?xml", 0), 0u);
}

// One equipment's offsets over time: created at D, changed at E, a change
// too small to count, a change inside the closed entry, reads at each date.
TEST_F(GeoFile, ChangesAreRecordedAsADatedHistory)
{
    const std::string path = m_dir.file("history.GEO");
    const COleDateTime D = at(2026, 1, 10), M = at(2026, 2, 1), E = at(2026, 3, 1), F = at(2026, 4, 1);
    CGeoSystem model;
    model.F_addMobile(mobile(1, "ship", 1, {equipment(1, "GPS", 1, 1, 1.0, 10)}));
    CGeoFileXml file;
    ASSERT_TRUE(file.F_create(path.c_str(), model, D));
    const auto gps = [&](CGeoSystem& m) -> CGeoEquipmentData& { return m.F_getMobile(0)->F_getEquipment(0)->F_getData(); };
    const auto read_at = [&](const COleDateTime& date) {
        CGeoSystem back;
        CGeoFileXml reader;
        EXPECT_TRUE(reader.F_read(path.c_str(), back, &date));
        CGeoEquipmentData data = gps(back);
        return data;
    };
    const auto entries = [&] {
        const std::string bytes = helm::test::read_file(path);
        std::vector<std::string> lines;
        for (size_t at = bytes.find("<offset "); at != std::string::npos; at = bytes.find("<offset ", at + 1))
            lines.push_back(bytes.substr(at, bytes.find("offsetX", at) - at));
        return lines;
    };

    // Before D: nothing was valid yet.
    CGeoEquipmentData before = read_at(at(2026, 1, 9));
    EXPECT_FALSE(before.m_bValid);
    EXPECT_EQ(before.m_nMount, 3);
    EXPECT_EQ(before.m_offset.m_dX, 0.0);
    EXPECT_TRUE(read_at(D).m_bValid);

    gps(model).m_offset.m_dX = 2.0;
    ASSERT_TRUE(file.F_update(path.c_str(), model, E));
    EXPECT_EQ(entries(), (std::vector<std::string>{"<offset dateFrom=\"10/01/2026 12:00:00\" dateTo=\"01/03/2026 12:00:00\" ",
                                                   "<offset dateFrom=\"01/03/2026 12:00:00\" dateTo=\" \" "}));
    EXPECT_EQ(read_at(M).m_offset.m_dX, 1.0);
    EXPECT_EQ(read_at(E).m_offset.m_dX, 2.0);
    EXPECT_EQ(read_at(F).m_offset.m_dX, 2.0);
    EXPECT_EQ(read_at(F).m_nMount, 1);

    gps(model).m_offset.m_dX = 2.000001;  // within the tolerance: nothing new
    ASSERT_TRUE(file.F_update(path.c_str(), model, F));
    EXPECT_EQ(entries().size(), 2u);

    // A change dated inside the closed entry goes after it, up to the next.
    gps(model).m_offset.m_dX = 1.5;
    ASSERT_TRUE(file.F_update(path.c_str(), model, M));
    EXPECT_EQ(entries(), (std::vector<std::string>{"<offset dateFrom=\"10/01/2026 12:00:00\" dateTo=\"01/02/2026 12:00:00\" ",
                                                   "<offset dateFrom=\"01/02/2026 12:00:00\" dateTo=\"01/03/2026 12:00:00\" ",
                                                   "<offset dateFrom=\"01/03/2026 12:00:00\" dateTo=\" \" "}));
    EXPECT_EQ(read_at(at(2026, 2, 15)).m_offset.m_dX, 1.5);
    EXPECT_EQ(read_at(F).m_offset.m_dX, 2.0);
    // The last update is the latest of the file's and the update's.
    EXPECT_NE(helm::test::read_file(path).find("lastUpdateDate=\"01/04/2026 12:00:00\""), std::string::npos);

    // A mount change goes into the mounts' own history.
    gps(model).m_offset.m_dX = 2.0;
    gps(model).m_nMount = 2;
    ASSERT_TRUE(file.F_update(path.c_str(), model, F));
    EXPECT_EQ(read_at(F).m_nMount, 2);
    EXPECT_EQ(read_at(E).m_nMount, 1);
    EXPECT_EQ(entries().size(), 3u);
}

TEST_F(GeoFile, HistoryEdgesFromHandWrittenFiles)
{
    const char* head = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n"
                       "<geometry version=\"1.0\" name=\"hand\" creationDate=\"01/01/2026 00:00:00\" "
                       "lastUpdateDate=\"01/06/2026 00:00:00\">\r\n";
    const char* equipment_open = "<equipment name=\"e\" valid=\"true\" ID=\"1\" type=\"GPS\" IDmobile=\"1\" "
                                 "IDequipmentDual=\"-1\" IDpositionMesure=\"-1\" IDattitudeMesure=\"-1\">\r\n";
    const char* mount = "<mount dateFrom=\"01/01/2026 00:00:00\" dateTo=\" \" type=\"Hull\"/>\r\n";
    const auto offset = [](const char* from, const char* to, double x) {
        char text[300];
        std::snprintf(text, sizeof text,
                      "<offset dateFrom=\"%s\" dateTo=\"%s\" offsetX=\"%g\" offsetY=\"0\" offsetZ=\"0\" "
                      "offsetRoll=\"0\" offsetPitch=\"0\" offsetYaw=\"0\" latency=\"0\"/>\r\n",
                      from, to, x);
        return std::string(text);
    };
    const auto write = [&](const std::string& path, const std::string& offsets, const std::string& extra = "") {
        helm::test::write_file(path, std::string(head) + "<mobile name=\"m\" valid=\"true\" ID=\"1\" type=\"ship\">\r\n" +
                                         equipment_open + mount + offsets + extra + "</equipment>\r\n</mobile>\r\n" +
                                         "</geometry>\r\n");
    };
    const auto count = [](const std::string& path, const char* what) {
        const std::string bytes = helm::test::read_file(path);
        size_t n = 0;
        for (size_t at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + 1))
            ++n;
        return n;
    };
    CGeoSystem model;
    model.F_addMobile(mobile(1, "m", 1, {equipment(1, "e", 1, 1, 5.0)}));

    // Two entries, none valid at the date: nothing is recorded.
    const std::string gap = m_dir.file("gap.GEO");
    write(gap, offset("01/02/2026 00:00:00", "01/03/2026 00:00:00", 1) + offset("01/05/2026 00:00:00", " ", 2));
    CGeoFileXml file;
    ASSERT_TRUE(file.F_update(gap.c_str(), model, at(2026, 1, 15)));
    EXPECT_EQ(count(gap, "<offset "), 2u);
    // The last update stays the file's, later than the update's date
    // (a midnight is written as the date alone).
    EXPECT_NE(helm::test::read_file(gap).find("lastUpdateDate=\"01/06/2026\""), std::string::npos);

    // One entry that starts after the date: closed at it, a new one after.
    const std::string later = m_dir.file("later.GEO");
    write(later, offset("01/05/2026 00:00:00", " ", 1));
    ASSERT_TRUE(file.F_update(later.c_str(), model, at(2026, 2, 1, 0, 0, 0)));
    const std::string bytes = helm::test::read_file(later);
    const size_t first = bytes.find("<offset dateFrom=\"01/05/2026 00:00:00\" dateTo=\"01/02/2026\"");
    const size_t second = bytes.find("<offset dateFrom=\"01/02/2026\" dateTo=\" \" offsetX=\"5\"");
    EXPECT_NE(first, std::string::npos) << bytes;
    EXPECT_NE(second, std::string::npos) << bytes;
    EXPECT_LT(first, second);

    // A measure whose ID occurs twice is updated in the later element; a
    // mobile whose ID occurs twice in the first.
    const std::string twice = m_dir.file("twice.GEO");
    write(twice, offset("01/01/2026 00:00:00", " ", 5),
          "<mesure valid=\"0\" ID=\"1\" IDequipment=\"1\" type=\"1\" connexion=\"1\" portNumber=\"1\" serveur=\"1\"/>\r\n"
          "<mesure valid=\"0\" ID=\"1\" IDequipment=\"1\" type=\"1\" connexion=\"1\" portNumber=\"2\" serveur=\"1\"/>\r\n");
    CGeoMesure mesure;
    mesure.F_getData() = {true, 1, 1, 1, 1, 1, 99};
    model.F_getMobile(0)->F_getEquipment(0)->F_addMesure(mesure);
    ASSERT_TRUE(file.F_update(twice.c_str(), model, at(2026, 7, 1)));
    const std::string updated = helm::test::read_file(twice);
    EXPECT_NE(updated.find("portNumber=\"1\""), std::string::npos);
    EXPECT_NE(updated.find("portNumber=\"99\""), std::string::npos);
    EXPECT_EQ(updated.find("portNumber=\"2\""), std::string::npos);
    EXPECT_LT(updated.find("portNumber=\"1\""), updated.find("portNumber=\"99\""));

    // Updating a path that does not exist creates nothing.
    EXPECT_FALSE(file.F_update(m_dir.file("none.GEO").c_str(), model, at(2026, 7, 1)));
    EXPECT_EQ(GetFileAttributes(m_dir.file("none.GEO").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A file that exists but cannot be read is renamed to a backup, the
// operator is told, and the default takes its place; it is never lost.
TEST_F(GeoFile, AFileThatCannotBeReadIsKeptAsABackup)
{
    CGeoSystem model;
    make_several(model);
    CGeoFileXml writer;
    const std::string good = m_dir.file("good.GEO");
    ASSERT_TRUE(writer.F_create(good.c_str(), model, at(2026, 5, 5)));
    const std::string whole = helm::test::read_file(good);
    const struct {
        const char* name;
        std::string bytes;
        const char* reason;
    } bad_files[] = {
        {"malformed", "<?xml version=\"1.0\"?>\r\n<geometry>\r\n<mobile></geometry>\r\n", 
         "line 3, column 20: Opening and ending tag mismatch: mobile line 3 and geometry"},
        {"truncated", whole.substr(0, whole.size() * 2 / 3), ", line "},
        {"empty", "", ""},
    };
    const std::string sonar = m_dir.file("TressaSonar.GEO");
    for (const auto& bad : bad_files) {
        SCOPED_TRACE(bad.name);
        helm::test::write_file(sonar, bad.bytes);
        m_told.clear();
        const std::vector<std::string> before = files();
        {
            helm::sysdesc::GeometryFile geometry(1);
            EXPECT_TRUE(geometry.created());
            EXPECT_STREQ(geometry.model().F_getName(), "TressaSonar_default_system");
        }
        ASSERT_EQ(m_told.size(), 1u);
        EXPECT_NE(m_told[0].find(sonar), std::string::npos) << m_told[0];
        EXPECT_NE(m_told[0].find(bad.reason), std::string::npos) << m_told[0];
        const std::vector<std::string> after = files();
        ASSERT_EQ(after.size(), before.size() + 1);  // the backup beside it
        std::string backup;
        for (const auto& name : after) {
            if (std::find(before.begin(), before.end(), name) == before.end())
                backup = name;
        }
        EXPECT_EQ(backup.rfind("TressaSonar.GEO.bak", 0), 0u) << backup;
        EXPECT_NE(m_told[0].find(backup), std::string::npos) << m_told[0];
        EXPECT_EQ(helm::test::read_file(m_dir.file(backup)), bad.bytes);
        CGeoSystem back;
        CGeoFileXml reader;
        ASSERT_TRUE(reader.F_read(sonar.c_str(), back, nullptr));
        EXPECT_STREQ(back.F_getName(), "TressaSonar_default_system");
        EXPECT_EQ(back.F_getMobile(0)->F_getEquipmentCount(), 4);
    }
    EXPECT_EQ(files(), (std::vector<std::string>{"TressaSonar.GEO", "TressaSonar.GEO.bak", "TressaSonar.GEO.bak2",
                                                 "TressaSonar.GEO.bak3", "good.GEO"}));

    // A missing file is simply made, and nobody is told.
    m_told.clear();
    helm::sysdesc::GeometryFile seismic(0);
    EXPECT_TRUE(seismic.created());
    EXPECT_TRUE(m_told.empty());
    EXPECT_NE(GetFileAttributes(m_dir.file("TressaSeismic.GEO").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(GeoFile, ASaveIntoAReadOnlyFolderLeavesTheOldFileWhole)
{
    const std::string folder = m_dir.file("locked");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    helm::sysdesc::set_host_program_path(folder + "/Host");
    CGeoSystem model;
    make_several(model);
    const std::string path = folder + "/TressaSonar.GEO";
    CGeoFileXml file;
    ASSERT_TRUE(file.F_create(path.c_str(), model, at(2026, 5, 5)));
    const std::string old = helm::test::read_file(path);

    model.F_getMobile(0)->F_getEquipment(0)->F_getData().m_offset.m_dX = 42.0;
    {
        helm::test::ReadOnly locked(folder);
        ASSERT_TRUE(locked.holds()) << "nothing keeps this user from writing";
        CGeoFileXml again;
        EXPECT_FALSE(again.F_update(path.c_str(), model, at(2026, 6, 6)));
        EXPECT_NE(again.F_GetLastError().Find(path.c_str()), -1) << again.F_GetLastError().GetString();
        EXPECT_FALSE(again.F_create(path.c_str(), model, at(2026, 6, 6)));

        // Through the dialog's file: the operator is told.
        helm::sysdesc::GeometryFile geometry(1);
        EXPECT_FALSE(geometry.created());
        geometry.model().F_getMobile(0)->F_getEquipment(0)->F_getData().m_offset.m_dX = 7.0;
        m_told.clear();
        EXPECT_FALSE(geometry.save(at(2026, 6, 7)));
        ASSERT_EQ(m_told.size(), 1u);
        EXPECT_NE(m_told[0].find("cannot be saved"), std::string::npos) << m_told[0];
    }
    EXPECT_EQ(helm::test::read_file(path), old);
    DIR* d = opendir(folder.c_str());
    int entries = 0;
    while (dirent* entry = readdir(d))
        entries += entry->d_name[0] != '.';
    closedir(d);
    EXPECT_EQ(entries, 1);  // no temporary file left behind
}

TEST_F(GeoFile, GettersTakeTheFirstOfEachTypeOrTheDefault)
{
    CSensorGeometry geometry(m_dir.file("sensor.ini").c_str());
    for (int i = 0; i < CSensorGeometry::PARAM_COUNT; ++i)
        geometry.P_setParam(CSensorGeometry::E_param(i), CFloatParam(9.0f));
    // No file: the sonar default, whose offsets are all zero; nothing written.
    EXPECT_EQ(F_sonarGeometryGet(&geometry), 1);
    for (int i = 0; i < CSensorGeometry::PARAM_COUNT; ++i)
        EXPECT_EQ(geometry.F_getParam(CSensorGeometry::E_param(i))->F_get(), 0.0f) << i;
    EXPECT_EQ(GetFileAttributes(m_dir.file("TressaSonar.GEO").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(F_sonarGeometryGet(nullptr), 0);
    EXPECT_EQ(F_seismicGeometryGet(nullptr), 0);

    CGeoSystem model;
    CGeoEquipment gps = equipment(1, "GPS", 1, 1, 1.5, 120);
    CGeoEquipment second_gps = equipment(2, "GPS 2", 1, 1, 99, 99);
    CGeoEquipment winch = equipment(3, "Winch", 3, 1, -4);
    model.F_addMobile(mobile(1, "ship", 1, {gps, second_gps, winch}));
    CGeoFileXml file;
    ASSERT_TRUE(file.F_create(m_dir.file("TressaSeismic.GEO").c_str(), model, at(2026, 1, 1)));
    ASSERT_EQ(F_seismicGeometryGet(&geometry), 1);
    const float expected[CSensorGeometry::PARAM_COUNT] = {1.5f, -0.5f, 0.125f, 359.99f, 120.0f,  // GPS
                                                         0, 0, 0, 0, 0, 0,                    // no MSU
                                                         -4.0f, 4.0f / 3, 0.125f};
    for (int i = 0; i < CSensorGeometry::PARAM_COUNT; ++i)
        EXPECT_FLOAT_EQ(geometry.F_getParam(CSensorGeometry::E_param(i))->F_get(), expected[i]) << i;
    ASSERT_TRUE(geometry.F_save());  // the caller's file is still its own
    EXPECT_NE(helm::test::read_file(m_dir.file("sensor.ini")).find("Offset Lag (ms)=120"), std::string::npos);
}

}  // namespace
