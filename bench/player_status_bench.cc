// The status refresh: the player's answers, its program path, both walks over
// the playlist file, through the fake system.
#include <benchmark/benchmark.h>

#include <string>

#include "base/content_hash.h"
#include "bench_setup.h"
#include "player/live_status.h"
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

// The status answer's read: its queries, one read of the file, its hash and
// the walk to the current entry (the last one, so through the whole file).
void BM_ReadLiveStatus(benchmark::State& state) {
  const auto entries = static_cast<std::int32_t>(state.range(0));
  tunaro::FakeSystem system;
  tunaro_bench::SetUpPlayer(system, entries);
  const std::size_t file_size = system.files[system.PlaylistPath()].content.size();
  for (auto _ : state) {
    const tunaro::LiveStatus status = tunaro::ReadLiveStatus(system, system.player.window);
    benchmark::DoNotOptimize(status.list_hash);
    tunaro_bench::ForgetRecords(system);
  }
  state.SetComplexityN(entries);
  state.SetItemsProcessed(state.iterations() * entries);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file_size));
}
BENCHMARK(BM_ReadLiveStatus)->Apply(tunaro_bench::PlaylistSizes);

void BM_ContentHash(benchmark::State& state) {
  const std::string text = tunaro_bench::MakePlaylist(static_cast<std::int32_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(tunaro::ContentHash(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ContentHash)->Arg(100000);

}  // namespace
