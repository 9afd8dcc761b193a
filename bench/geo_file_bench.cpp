// The .GEO file of a large survey: 100 mobiles of 20 equipment, each with
// two measures. Times what the operator waits for: writing the file from
// the model (F_create), reading it back (F_read) and saving a change of one
// offset into it (F_update, what the System Geometry dialog's OK does).
//
//     geo_file_bench [runs]      (default 20; prints median and worst, ms)

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "sysdesc/CGeoFileXml.h"

namespace {

void make_model(CGeoSystem& model)
{
    model.F_getName() = "bench system";
    for (int m = 1; m <= 100; ++m) {
        CGeoMobile mobile;
        mobile.F_getData().m_nID = m;
        mobile.F_getData().m_bValid = true;
        mobile.F_getData().m_strName.Format("mobile %d", m);
        for (int e = 1; e <= 20; ++e) {
            CGeoEquipment equipment;
            CGeoEquipmentData& data = equipment.F_getData();
            data.m_nID = e;
            data.m_bValid = true;
            data.m_nType = 1 + e % 9;
            data.m_nMount = 1 + e % 2;
            data.m_nIDmobile = m;
            data.m_strName.Format("equipment %d.%d", m, e);
            data.m_offset.m_dX = m * 0.25 + e;
            data.m_offset.m_dY = -e * 0.125;
            data.m_offset.m_dLatency = e;
            for (int k = 1; k <= 2; ++k) {
                CGeoMesure mesure;
                mesure.F_getData().m_nID = k;
                mesure.F_getData().m_nPortNumber = e;
                equipment.F_addMesure(mesure);
            }
            mobile.F_addEquipment(equipment);
        }
        model.F_addMobile(mobile);
    }
}

struct Times {
    std::vector<double> wall, cpu;  // ms
};

double cpu_now_ms()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The wall time is what the operator waits; the thread's CPU time is what
// the work costs, whatever else the machine is doing.
void time_ms(Times& times, const std::function<bool()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpu_now_ms();
    if (!work()) {
        std::fprintf(stderr, "geo_file_bench: the operation failed\n");
        std::exit(1);
    }
    times.cpu.push_back(cpu_now_ms() - cpu);
    times.wall.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, const Times& times)
{
    std::printf("%-30s wall median %7.2f ms, worst %7.2f ms; CPU median %7.2f ms\n", what, median(times.wall),
                *std::max_element(times.wall.begin(), times.wall.end()), median(times.cpu));
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    char folder[] = "/tmp/geo-bench-XXXXXX";
    if (!mkdtemp(folder))
        return 1;
    const std::string path = std::string(folder) + "/TressaSonar.GEO";
    CGeoSystem model;
    make_model(model);
    Times create, read, update;
    for (int run = 0; run < runs; ++run) {
        CGeoFileXml writer;
        time_ms(create, [&] { return writer.F_create(path.c_str(), model, COleDateTime(2026, 1, 1, 8, 0, 0)); });
        CGeoSystem back;
        CGeoFileXml reader;
        time_ms(read, [&] { return reader.F_read(path.c_str(), back, nullptr); });
        back.F_getMobile(50)->F_getEquipment(10)->F_getData().m_offset.m_dX += 1.0;
        CGeoFileXml updater;
        time_ms(update, [&] { return updater.F_update(path.c_str(), back, COleDateTime(2026, 2, 1, 8, 0, 0)); });
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    long size = 0;
    if (file) {
        std::fseek(file, 0, SEEK_END);
        size = std::ftell(file);
        std::fclose(file);
    }
    std::printf("100 mobiles x 20 equipment x 2 measures, file %ld bytes, %d runs\n", size, runs);
    report("write the file (F_create)", create);
    report("read it back (F_read)", read);
    report("save one change (F_update)", update);
    std::remove(path.c_str());
    rmdir(folder);
    return 0;
}
