// Cost of the decision per key event, on the miss and the hit path, for tables of 30, 1,000
// and 100,000 items. Heap allocations per event are counted and reported.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <random>

#include "engine/hotkey.h"

namespace {

std::size_t g_allocations = 0;

struct QuietPlatform final : KeyPlatform {
    bool isKeyDown(std::uint32_t vk) override { return vk == kVkLeftWin; }
    bool windowExists(WindowId) override { return true; }
    std::uint16_t layoutLanguageOf(WindowId) override { return kRussianLanguage; }
    bool postChar(WindowId, char16_t unit) override {
        benchmark::DoNotOptimize(unit);
        return true;
    }
    void injectKey(std::uint32_t, bool) override {}
    void injectUnit(char16_t) override {}
    void scheduleTyping() override {}
    HookResult passOn(const KeyEvent&) override { return 0; }
};

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

void Run(benchmark::State& st, std::uint32_t key, std::uint32_t message) {
    HotkeyTable table;
    Fill(table, static_cast<std::size_t>(st.range(0)));
    EngineState state;
    state.engineActive = true;
    state.focusWindow = 1;
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

}  // namespace

BENCHMARK(MissUnusedKey)->Arg(30)->Arg(1000)->Arg(100000);
BENCHMARK(MissOtherMessage)->Arg(30)->Arg(1000)->Arg(100000);
BENCHMARK(HitKeyDown)->Arg(30)->Arg(1000)->Arg(100000);
BENCHMARK_MAIN();

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
