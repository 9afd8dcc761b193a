// Nanoseconds per record through the dispatch into the parsed ring: the raw
// text path (a protocol matched early, and a name that no rule matches, so
// every rule is tried) and the NMEA switch.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "helm/portlink/protocol_dispatch.h"

namespace {

void parse_frames(benchmark::State& state, const char* protocol, const char* options, const std::string& frame)
{
    std::vector<BYTE> ring(MMF_RECORD_AREA_SIZE);
    DWORD next = 0;
    for (auto _ : state) {
        DWORD offsets[PARSE_MAX_RECORDS] = {next};
        int count = 0, bytes = 0;
        const int result = F_ParseStringInMemory(frame.data(), static_cast<DWORD>(frame.size()), protocol, options,
                                                 1000, ring.data(), offsets, &count, MMF_RECORD_AREA_SIZE, &bytes,
                                                 nullptr, nullptr);
        benchmark::DoNotOptimize(result);
        next = offsets[0] + static_cast<DWORD>(bytes);
    }
    benchmark::ClobberMemory();
    state.SetItemsProcessed(state.iterations());
}

const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const std::string kHdt = "$HEHDT,274.07,T*03\r\n";

void BM_RawText_Ribo(benchmark::State& state) { parse_frames(state, "Ribo", nullptr, kGga); }
void BM_RawText_NoRuleMatches(benchmark::State& state) { parse_frames(state, "ENERTEST", "", kGga); }
void BM_RawText_NoParsing(benchmark::State& state) { parse_frames(state, "NMEA0183", "NOPARSING", kGga); }
void BM_Nmea_Gga(benchmark::State& state) { parse_frames(state, "NMEA0183", "NOCLOCK", kGga); }
void BM_Nmea_TalvorHdt(benchmark::State& state) { parse_frames(state, "TALVOR Standard", nullptr, kHdt); }

}  // namespace

BENCHMARK(BM_RawText_Ribo);
BENCHMARK(BM_RawText_NoRuleMatches);
BENCHMARK(BM_RawText_NoParsing);
BENCHMARK(BM_Nmea_Gga);
BENCHMARK(BM_Nmea_TalvorHdt);
BENCHMARK_MAIN();
