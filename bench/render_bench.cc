// The two layouts rendered from a filled status, and a whole run, into a
// response writer over the fake system.
#include <benchmark/benchmark.h>

#include <string>

#include "app/load_settings.h"
#include "app/main_entry.h"
#include "app/site_page.h"
#include "bench_setup.h"
#include "cgi/response_writer.h"
#include "player/player_status.h"
#include "render/compact_panel.h"
#include "render/full_page.h"

namespace {

using RenderFunction = void (*)(tunaro::ResponseWriter&, const tunaro::PageInput&,
                                const tunaro::PlayerStatus&);

void SetCounters(benchmark::State& state, std::size_t bytes) {
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void Render(benchmark::State& state, RenderFunction render) {
  const auto entries = static_cast<std::int32_t>(state.range(0));
  tunaro::FakeSystem system;
  tunaro_bench::SetUpPlayer(system, entries);
  tunaro::Settings settings;
  tunaro::ParseSettings(system.files[system.ConfigurationPath()].content, settings);
  tunaro::PlayerStatus status;
  status.PlayerWindow = system.player.window;
  tunaro::RefreshPlayerStatus(system, settings.SSIWidth, status);
  std::size_t page_size = 0;
  for (auto _ : state) {
    tunaro_bench::ForgetRecords(system);
    {
      tunaro::ResponseWriter out(system, tunaro::FakeSystem::kOutput);
      render(out, tunaro::PageInputFor(system, settings), status);
    }  // flushed here
    page_size = system.output.size();
    benchmark::DoNotOptimize(system.output.data());
  }
  SetCounters(state, page_size);
}

void BM_RenderFullPage(benchmark::State& state) { Render(state, tunaro::RenderFullPage); }
BENCHMARK(BM_RenderFullPage)->Apply(tunaro_bench::PlaylistSizes);

void BM_RenderCompactPanel(benchmark::State& state) { Render(state, tunaro::RenderCompactPanel); }
BENCHMARK(BM_RenderCompactPanel)->Apply(tunaro_bench::PlaylistSizes);

// A whole GET of the full page: configuration, refresh and render.
void BM_MainEntry(benchmark::State& state) {
  const auto entries = static_cast<std::int32_t>(state.range(0));
  tunaro::FakeSystem system;
  tunaro_bench::SetUpPlayer(system, entries);
  std::size_t page_size = 0;
  for (auto _ : state) {
    tunaro_bench::ForgetRecords(system);
    tunaro::MainEntry(system);
    page_size = system.output.size();
    benchmark::DoNotOptimize(system.output.data());
  }
  SetCounters(state, page_size);
}
BENCHMARK(BM_MainEntry)->Apply(tunaro_bench::PlaylistSizes);

}  // namespace
