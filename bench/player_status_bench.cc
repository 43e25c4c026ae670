// The status refresh: the player's answers, its program path, both walks over
// the playlist file, through the fake system.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_setup.h"
#include "player/player_status.h"

namespace {

void BM_RefreshPlayerStatus(benchmark::State& state) {
  const auto entries = static_cast<std::int32_t>(state.range(0));
  tunaro::FakeSystem system;
  tunaro_bench::SetUpPlayer(system, entries);
  const std::size_t file_size = system.files[system.PlaylistPath()].content.size();
  for (auto _ : state) {
    tunaro::PlayerStatus status;  // a fresh snapshot, as each run starts with
    status.PlayerWindow = system.player.window;
    tunaro::RefreshPlayerStatus(system, 0, status);
    benchmark::DoNotOptimize(status.Titles[0].data());
    tunaro_bench::ForgetRecords(system);
  }
  state.SetComplexityN(entries);
  state.SetItemsProcessed(state.iterations() * entries);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file_size));
}
BENCHMARK(BM_RefreshPlayerStatus)->Apply(tunaro_bench::PlaylistSizes);

}  // namespace
