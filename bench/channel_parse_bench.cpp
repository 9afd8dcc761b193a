// Nanoseconds per record through the dispatch into the parsed ring: the raw
// text path (a protocol matched early, and a name that no rule matches, so
// every rule is tried), the NMEA switch with its sentence decoders, and the
// binary and text attitude decoders.
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
        if (result != PARSE_OK) {
            state.SkipWithError("the frame was refused");
            break;
        }
        next = offsets[0] + static_cast<DWORD>(bytes);
    }
    benchmark::ClobberMemory();
    state.SetItemsProcessed(state.iterations());
}

const std::string kGga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
const std::string kHdt = "$HEHDT,274.07,T*19\r\n";
const std::string kRmc = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
const std::string kSimrad = {'\x00', '\x90', '\x6A', '\xFF', '\xE1', '\x00', '\xF4', '\xFF', '\x9F', '\x8C'};
const std::string kTss1 = ":000064 -0003U 0007 -0056\r\n";

void BM_RawText_Ribo(benchmark::State& state) { parse_frames(state, "Ribo", nullptr, kGga); }
void BM_RawText_NoRuleMatches(benchmark::State& state) { parse_frames(state, "ENERTEST", "", kGga); }
void BM_RawText_NoParsing(benchmark::State& state) { parse_frames(state, "NMEA0183", "NOPARSING", kGga); }
void BM_Nmea_Gga(benchmark::State& state) { parse_frames(state, "NMEA0183", "NOCLOCK", kGga); }
void BM_Nmea_TalvorHdt(benchmark::State& state) { parse_frames(state, "TALVOR Standard", nullptr, kHdt); }
void BM_Nmea_Hdt(benchmark::State& state) { parse_frames(state, "NMEA0183", nullptr, kHdt); }
void BM_Nmea_Rmc(benchmark::State& state) { parse_frames(state, "NMEA0183", "NOCLOCK", kRmc); }
// With the clock hook asked (no setter installed): the UTC to local
// conversion is paid on every sentence.
void BM_Nmea_RmcClockAsked(benchmark::State& state) { parse_frames(state, "NMEA0183", nullptr, kRmc); }
void BM_Binary_SimradAttitude(benchmark::State& state) { parse_frames(state, "TSS(Simrad)", nullptr, kSimrad); }
void BM_Text_Tss1Attitude(benchmark::State& state) { parse_frames(state, "TSS(Tss1)", nullptr, kTss1); }

}  // namespace

BENCHMARK(BM_RawText_Ribo);
BENCHMARK(BM_RawText_NoRuleMatches);
BENCHMARK(BM_RawText_NoParsing);
BENCHMARK(BM_Nmea_Gga);
BENCHMARK(BM_Nmea_TalvorHdt);
BENCHMARK(BM_Nmea_Hdt);
BENCHMARK(BM_Nmea_Rmc);
BENCHMARK(BM_Nmea_RmcClockAsked);
BENCHMARK(BM_Binary_SimradAttitude);
BENCHMARK(BM_Text_Tss1Attitude);
BENCHMARK_MAIN();
