// Cost of the decision per key event, on the miss and the hit path, for tables of 30, 1,000
// and 100,000 items, and for typing (every key-down feeds the typed units) beside 0 or 1,000
// abbreviations. Heap allocations per event are counted and reported.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <new>
#include <random>
#include <string>

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

// Abbreviations of 2 to 8 lower-case letters; one in ten fires at once.
void FillAbbreviations(HotkeyTable& table, std::size_t count) {
    std::mt19937 random(11);
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string abbreviation;
        for (std::size_t n = 2 + random() % 7; n != 0; --n) abbreviation += static_cast<char16_t>(u'a' + random() % 26);
        table.AppendAbbreviation(WideString(std::u16string_view(abbreviation)), WideString(u"hi"));
        if (i % 10 == 0) table.SetImmediate(table.Count() - 1, true);
    }
}

// Key-downs typed one after the other beside range(0) abbreviations (QuietPlatform holds Win
// for the chords, so there are none): `keys` cycles, a plain key over and over, or words with
// their spaces, at each of which the typed word is looked up.
void Typing(benchmark::State& st, const char* keys) {
    HotkeyTable table;
    FillAbbreviations(table, static_cast<std::size_t>(st.range(0)));
    EngineState state;
    state.engineActive = true;
    QuietPlatform platform;
    std::uint32_t vk = 0;
    KeyEvent event;
    event.message = kMsgKeyDown;
    event.virtualKey = &vk;
    const std::size_t before = g_allocations;
    const char* next = keys;
    for (auto _ : st) {
        if (*next == 0) next = keys;
        // Upper-case codes: QuietPlatform types their lower-case letters, and a space as itself.
        vk = *next == ' ' ? 0x20u : static_cast<std::uint32_t>(*next - 0x20);
        ++next;
        benchmark::DoNotOptimize(keyboardHookProc(event, state, table, platform));
        state.pendingCount = 0;  // nothing fired is typed, and nothing is held
        state.abbreviations.held.holding = false;
    }
    st.counters["allocs_per_event"] = benchmark::Counter(
        static_cast<double>(g_allocations - before) / static_cast<double>(st.iterations()));
}
// The key of no chord typed over and over: it feeds the typed units and fires nothing.
void TypedPlainKey(benchmark::State& st) { Typing(st, "{"); }
void TypedWords(benchmark::State& st) { Typing(st, "the quick brown fox jumps over the lazy dog "); }

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
BENCHMARK(TypedPlainKey)->Arg(0)->Arg(1000);
BENCHMARK(TypedWords)->Arg(0)->Arg(1000);
BENCHMARK_MAIN();

void* operator new(std::size_t size) {
    ++g_allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
