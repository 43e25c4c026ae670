// What the benchmarks share: a playlist of a given size as the player writes
// it, and a fake system with that playlist and a site configuration.
#ifndef TUNARO_BENCH_BENCH_SETUP_H_
#define TUNARO_BENCH_BENCH_SETUP_H_

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "testing/fake_system.h"

namespace tunaro_bench {

// The extended M3U text of `entries` entries with titles of everyday length,
// as the player model writes it; every tenth has an "&" to escape.
std::string MakePlaylist(std::int32_t entries);

// A running player with that playlist in its file, current at the last entry
// (so the single-entry walk reads the whole file), and a site configuration.
// The player does not rewrite the file on each WritePlaylist: that would time
// the model's own text building.
void SetUpPlayer(tunaro::FakeSystem& system, std::int32_t entries);

// The fake keeps a record of every message, read and write; a benchmark loop
// must not let those grow from one iteration to the next.
void ForgetRecords(tunaro::FakeSystem& system);

// The sizes every benchmark runs at, fitted to a line.
void PlaylistSizes(benchmark::internal::Benchmark* b);

}  // namespace tunaro_bench

#endif  // TUNARO_BENCH_BENCH_SETUP_H_
