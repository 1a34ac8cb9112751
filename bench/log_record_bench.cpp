// Walking and formatting a full drain of the block log cache: lines per second, and the heap
// allocations made per line (there must be none).
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "block_records.h"
#include "log_record.h"

// Every heap allocation in this program is counted, so a loop that allocates per line shows.
namespace {
std::atomic<std::uint64_t> Allocations{0};
}

// Out of line, so the compiler never pairs an inlined free() with a new expression it can see.
__attribute__((noinline)) void* operator new(std::size_t size) {
  Allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Records with a path of pathLength code units (made by the library's own builder), as many as
// fit the 10240-byte drain.
std::vector<std::uint8_t> FullDrain(std::size_t pathLength) {
  RecordFields fields;
  fields.Year = 2024, fields.Month = 5, fields.DayOfWeek = 1, fields.Day = 6;
  fields.Hour = 13, fields.Minute = 14, fields.Milliseconds = 678;
  fields.AppName.clear();
  for (std::size_t i = 0; i < pathLength; ++i) fields.AppName.push_back(i % 8 == 0 ? u'\\' : u'a' + i % 26);
  const std::size_t records = kLogDrainBufferSize / BuildRecord(fields).size();
  std::vector<std::uint8_t> drain;
  for (std::size_t r = 0; r < records; ++r) {
    fields.Second = static_cast<std::uint16_t>(r % 60);
    fields.ProcessId = static_cast<std::uint32_t>(1000 + r);
    const std::vector<std::uint8_t> record = BuildRecord(fields);
    drain.insert(drain.end(), record.begin(), record.end());
  }
  return drain;
}

void Report(benchmark::State& state, std::size_t lines, std::size_t bytes, std::uint64_t allocations) {
  state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
  state.counters["lines/drain"] = static_cast<double>(lines) / static_cast<double>(state.iterations());
  state.counters["allocs/line"] = lines ? static_cast<double>(allocations) / static_cast<double>(lines) : 0.0;
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

// Walk and format, as the writer does it, line by line into one buffer.
void BM_WalkAndFormatFullDrain(benchmark::State& state) {
  const std::vector<std::uint8_t> drain = FullDrain(static_cast<std::size_t>(state.range(0)));
  std::size_t lines = 0;
  const std::uint64_t before = Allocations.load();
  for (auto _ : state) {
    BlockLogLines walk(drain.data(), drain.size());
    while (walk.Next()) {
      benchmark::DoNotOptimize(walk.Line());
      ++lines;
    }
  }
  Report(state, lines, drain.size() * state.iterations(), Allocations.load() - before);
}

// The walk alone: what it costs to find and check the records.
void BM_WalkFullDrain(benchmark::State& state) {
  const std::vector<std::uint8_t> drain = FullDrain(static_cast<std::size_t>(state.range(0)));
  std::size_t lines = 0;
  const std::uint64_t before = Allocations.load();
  for (auto _ : state) {
    BlockLogWalk walk(drain.data(), drain.size());
    BlockLogEntry entry;
    while (walk.Next(entry)) {
      benchmark::DoNotOptimize(entry);
      ++lines;
    }
  }
  Report(state, lines, drain.size() * state.iterations(), Allocations.load() - before);
}

// Path lengths: 0 (393 records, the most a drain holds), 67 (64 records of 160 bytes, exactly
// 10240 bytes, a typical program path) and 260 (18 records of 546 bytes, the longest).
BENCHMARK(BM_WalkAndFormatFullDrain)->Arg(0)->Arg(67)->Arg(260);
BENCHMARK(BM_WalkFullDrain)->Arg(0)->Arg(67)->Arg(260);

}  // namespace

BENCHMARK_MAIN();
