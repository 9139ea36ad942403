// Cost of the decision per key event, on the miss and the hit path, for tables of 30, 1,000
// and 100,000 items. Heap allocations per event are counted and reported.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <random>

#include "engine/hotkey.h"
#include "tests/native/engine/fake_platform.h"

namespace {

std::size_t g_allocations = 0;

// Items spread over the keys 'A'..'Z' and 0x60..0x6F and the three modifier variants; the
// miss path uses '[', which no item has.
void Fill(HotkeyTable& table, std::size_t count) {
    std::mt19937 random(7);
    const std::int32_t variants[] = {kModifierNone, kModifierShift, kModifierCtrl};
    for (std::size_t i = 0; i < count; ++i) {
        if (i == count / 2) table.Append('A', kModifierNone, WideString(u"hi"));  // the hit, mid-table
        std::uint16_t key = static_cast<std::uint16_t>(random() % 2 ? 'A' + random() % 25 : 0x60 + random() % 16);
        table.Append(key, variants[i % 3], WideString(u"hi"));
    }
}

void Run(benchmark::State& st, std::uint32_t key, std::uint32_t message, const char16_t* excluded = u"") {
    HotkeyTable table;
    Fill(table, static_cast<std::size_t>(st.range(0)));
    EngineState state;
    state.engineActive = true;
    state.focusWindow = 1;
    state.exclusions.Set(excluded);
    QuietPlatform platform;
    std::uint32_t vk = key;
    KeyEvent event;
    event.message = message;
    event.virtualKey = &vk;
    const std::size_t before = g_allocations;
    for (auto _ : st) {
        vk = key;
        state.maskWinRelease = false;
        benchmark::DoNotOptimize(keyboardHookProc(event, state, table, platform));
    }
    st.counters["allocs_per_event"] = benchmark::Counter(
        static_cast<double>(g_allocations - before) / static_cast<double>(st.iterations()));
}

void MissUnusedKey(benchmark::State& st) { Run(st, 'Z' + 1, kMsgKeyDown); }
void MissOtherMessage(benchmark::State& st) { Run(st, 'A', 258); }
void HitKeyDown(benchmark::State& st) { Run(st, 'A', kMsgKeyDown); }
// With programs left alone: the target's verdict comes from the remembered ones.
void HitWithExclusions(benchmark::State& st) { Run(st, 'A', kMsgKeyDown, u"mstsc.exe|vmware*.exe"); }

}  // namespace

BENCHMARK(MissUnusedKey)->Arg(30)->Arg(1000)->Arg(100000);
BENCHMARK(MissOtherMessage)->Arg(30)->Arg(1000)->Arg(100000);
BENCHMARK(HitKeyDown)->Arg(30)->Arg(1000)->Arg(100000);
BENCHMARK(HitWithExclusions)->Arg(30)->Arg(1000)->Arg(100000);
BENCHMARK_MAIN();

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
