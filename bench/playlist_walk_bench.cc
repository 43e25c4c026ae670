// The two walks over the playlist file text.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench_setup.h"
#include "player/playlist_walk.h"

namespace {

void SetCounters(benchmark::State& state, std::size_t bytes) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_WalkPlaylistTitles(benchmark::State& state) {
  const auto entries = static_cast<std::int32_t>(state.range(0));
  const std::string content = tunaro_bench::MakePlaylist(entries);
  for (auto _ : state) {
    tunaro::TitleList titles;  // as each refresh starts with
    titles.Reset(static_cast<std::size_t>(entries) + 1);
    tunaro::WalkPlaylistTitles(content, tunaro::CharacterRule(), 0, titles);
    benchmark::DoNotOptimize(titles[0].data());
    benchmark::ClobberMemory();
  }
  SetCounters(state, content.size());
}
BENCHMARK(BM_WalkPlaylistTitles)->Apply(tunaro_bench::PlaylistSizes);

// The last entry: the whole text is walked.
void BM_FindPlaylistEntry(benchmark::State& state) {
  const auto entries = static_cast<std::int32_t>(state.range(0));
  const std::string content = tunaro_bench::MakePlaylist(entries);
  for (auto _ : state) {
    benchmark::DoNotOptimize(tunaro::FindPlaylistEntry(content, entries - 1));
  }
  SetCounters(state, content.size());
}
BENCHMARK(BM_FindPlaylistEntry)->Apply(tunaro_bench::PlaylistSizes);

}  // namespace
