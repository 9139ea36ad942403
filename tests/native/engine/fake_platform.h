#pragma once
// A platform that answers from a set of held keys and records every call in order.
#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/hotkey.h"
#include "engine/placeholders.h"
#include "toolkit/case_fold.h"

class FakePlatform final : public KeyPlatform {
public:
    std::set<std::uint32_t> held;
    std::set<WindowId> liveWindows{42};
    std::uint16_t language = kRussianLanguage;
    HookResult nextResult = 7;
    std::vector<std::string> calls;  // "inject 160 down", "pass 65", "post 42 U+0041"...
    std::u16string posted;
    std::u16string injected;  // the keys pressed through sendKeys: units, '\r' for Enter, '<' for Left
    bool recordQueries = false;
    bool refusePosts = false;  // the target refuses posted input
    std::size_t queueRoom = static_cast<std::size_t>(-1);  // posts the target's queue still takes
    ForegroundFacts foreground{42, false, false, 42, false};  // another program's window 42 in front
    std::set<WindowId> shellWindows;  // focus events for these are not recorded
    std::vector<std::size_t> sendAnswers;  // how many keys each next SendInput takes; all when none left
    struct Process { ProcessKey key; std::u16string file; };
    std::map<WindowId, Process> processes{{42, {{7, 100}, u"notepad.exe"}}};
    int fileNameQueries = 0;

    bool isKeyDown(std::uint32_t vk) override {
        if (recordQueries) calls.push_back("down? " + std::to_string(vk));
        return held.count(vk) != 0;
    }
    bool windowExists(WindowId w) override { return liveWindows.count(w) != 0; }
    std::uint16_t layoutLanguageOf(WindowId) override { return language; }
    bool postChar(WindowId w, char16_t unit) override {
        if (refusePosts || queueRoom == 0) return false;
        --queueRoom;
        posted.push_back(unit);
        calls.push_back("post " + std::to_string(w));
        return true;
    }
    void injectKey(std::uint32_t vk, bool release) override {
        calls.push_back("inject " + std::to_string(vk) + (release ? " up" : " down"));
    }
    void scheduleTyping() override { calls.push_back("schedule"); }
    ForegroundFacts foregroundFacts() override { return foreground; }
    bool focusRecordable(WindowId w) override { return shellWindows.count(w) == 0; }
    std::size_t sendKeys(const KeyStroke* keys, std::size_t count) override {
        std::size_t taken = count;
        if (!sendAnswers.empty()) {
            taken = std::min(count, sendAnswers.front());
            sendAnswers.erase(sendAnswers.begin());
        }
        calls.push_back("send " + std::to_string(taken) + "/" + std::to_string(count));
        for (const KeyStroke* k = keys; k != keys + taken; ++k) {
            calls.push_back((k->virtualKey ? "inject " + std::to_string(k->virtualKey) : "unit " + std::to_string(k->unit)) +
                            (k->release ? " up" : " down"));
            if (!k->release)
                injected.push_back(k->virtualKey == kVkReturn ? u'\r' : k->virtualKey == kVkLeft ? u'<' : k->virtualKey == kVkBack ? u'\b'
                                   : k->virtualKey == kVkTab ? u'\t' : k->unit);
        }
        return taken;
    }
    bool processOf(WindowId w, ProcessKey& key) override {
        const auto found = processes.find(w);
        if (found == processes.end()) return false;
        key = found->second.key;
        return true;
    }
    bool processFileName(const ProcessKey& key, char16_t (&name)[kMaxFileName]) override {
        ++fileNameQueries;
        for (const auto& [window, process] : processes) {
            if (!(process.key == key)) continue;
            name[process.file.copy(name, kMaxFileName - 1)] = 0;
            return true;
        }
        return false;
    }
    HookResult passOn(const KeyEvent& e) override {
        calls.push_back("pass " + std::to_string(e.virtualKey ? *e.virtualKey : 9999));
        return nextResult;
    }
    bool postKey(WindowId w, std::uint32_t vk, bool release) override {
        if (queueRoom == 0) return false;
        --queueRoom;
        calls.push_back("key " + std::to_string(w) + " " + std::to_string(vk) + (release ? " up" : " down"));
        return true;
    }
    bool isKeyHeld(std::uint32_t vk) override { return held.count(vk) != 0; }
    std::set<WindowId> behind;  // windows whose program is no longer in front
    bool stillInFront(WindowId w) override { return behind.count(w) == 0; }
    std::set<WindowId> terminals;  // take Shift+Insert for a paste
    bool pastesWithShiftInsert(WindowId w) override { return terminals.count(w) != 0; }
    void tellSheet(SheetPhase phase) override { calls.push_back(phase == SheetPhase::Waiting ? "sheet wait" : "sheet hide"); }

    // Typing: the focus, the password fields, and a US layout (0x409) with a dead acute on the
    // quote key and € on AltGr+E, or the Russian one (0x419) on the letters.
    TypingFocus focus{42, false, 0x409};
    std::set<WindowId> passwords;
    int passwordQueries = 0;
    bool deadPending = false;
    std::u16string replayed;  // the held keys injected again: units, or '#' and the key for others
    std::function<void(std::size_t)> duringReplay;  // the hook seeing them before the injection returns
    TypingFocus typingFocus() override { return focus; }
    bool passwordField(WindowId w) override {
        ++passwordQueries;
        return passwords.count(w) != 0;
    }
    int typedUnits(const KeyEvent& e, const TypedKeyState& keys, std::uintptr_t layout, char16_t (&units)[4]) override {
        const std::uint32_t vk = *e.virtualKey & 0xFF;
        const bool upper = keys.shift != keys.capsLock;
        char16_t unit = 0;
        if (vk >= 'A' && vk <= 'Z') {
            static const char16_t russian[] = u"фисвуапршолдьтщзйкыегмцчня";
            unit = layout == 0x419 ? russian[vk - 'A'] : static_cast<char16_t>(vk + 0x20);
            if (keys.ctrl && keys.alt) unit = vk == 'E' ? u'€' : 0;
            else if (upper) unit = UpcaseUnit(unit);
        } else if (vk >= '0' && vk <= '9') {
            unit = keys.shift ? u")!@#$%^&*("[vk - '0'] : static_cast<char16_t>(vk);
        } else {
            const std::map<std::uint32_t, std::pair<char16_t, char16_t>> others{
                {0x20, {u' ', u' '}}, {0xBE, {u'.', u'>'}}, {0xBC, {u',', u'<'}}, {0xBA, {u';', u':'}}, {0xBF, {u'/', u'?'}}};
            const auto found = others.find(vk);
            if (vk == 0xDE) {  // dead acute
                deadPending = true;
                return kDeadKey;
            }
            if (found != others.end()) unit = keys.shift ? found->second.second : found->second.first;
        }
        if (unit == 0) return 0;
        if (!std::exchange(deadPending, false)) {
            units[0] = unit;
            return 1;
        }
        const std::map<char16_t, char16_t> acute{{u'e', u'é'}, {u'a', u'á'}, {u' ', u'´'}};
        const auto composed = acute.find(unit);
        if (composed != acute.end()) {
            units[0] = composed->second;
            return 1;
        }
        units[0] = u'´';
        units[1] = unit;
        return 2;
    }
    std::size_t replayKeys(const HeldKey* keys, std::size_t count) override {
        std::size_t events = 0;
        for (const HeldKey* k = keys; k != keys + count; ++k) events += k->unitCount ? 2 * k->unitCount : 1;
        calls.push_back("replay " + std::to_string(events));
        for (const HeldKey* k = keys; k != keys + count; ++k) {
            if (k->release) continue;
            if (k->unitCount != 0) replayed.append(k->units, k->unitCount);
            else replayed += u'#' + std::u16string(1, static_cast<char16_t>(k->virtualKey));
        }
        if (duringReplay) duringReplay(events);
        return events;
    }
};

// A platform that answers at once and records nothing: the cost and the allocations of the
// decision alone. Left Win is held, every window lives, and every program is "a".
struct QuietPlatform final : KeyPlatform {
    volatile char16_t lastPosted = 0;
    bool isKeyDown(std::uint32_t vk) override { return vk == kVkLeftWin; }
    bool windowExists(WindowId) override { return true; }
    std::uint16_t layoutLanguageOf(WindowId) override { return kRussianLanguage; }
    bool postChar(WindowId, char16_t unit) override {
        lastPosted = unit;
        return true;
    }
    void injectKey(std::uint32_t, bool) override {}
    void scheduleTyping() override {}
    HookResult passOn(const KeyEvent&) override { return 0; }
    ForegroundFacts foregroundFacts() override { return {1, false, false, 1, false}; }
    bool focusRecordable(WindowId) override { return true; }
    std::size_t sendKeys(const KeyStroke*, std::size_t count) override { return count; }
    bool processOf(WindowId, ProcessKey& key) override {
        key = {1, 1};
        return true;
    }
    bool processFileName(const ProcessKey&, char16_t (&name)[kMaxFileName]) override {
        name[0] = u'a';
        name[1] = 0;
        return true;
    }
    bool postKey(WindowId, std::uint32_t, bool) override { return true; }
    bool isKeyHeld(std::uint32_t) override { return false; }
    bool stillInFront(WindowId) override { return true; }
    bool pastesWithShiftInsert(WindowId) override { return false; }
    void tellSheet(SheetPhase) override {}
    TypingFocus typingFocus() override { return {1, false, 0x409}; }
    bool passwordField(WindowId) override { return false; }
    int typedUnits(const KeyEvent& e, const TypedKeyState&, std::uintptr_t, char16_t (&units)[4]) override {
        units[0] = static_cast<char16_t>(*e.virtualKey | 0x20);
        return 1;
    }
    std::size_t replayKeys(const HeldKey*, std::size_t count) override { return count; }
};

// 9 December 2026, 14:05:33, in a Russian locale; a picture with "!" is refused.
struct FakeDates final : PlaceholderSource {
    bool formatDate(std::u16string_view picture, std::u16string& out) override {
        if (picture.find(u'!') != std::u16string_view::npos) return false;
        out = picture.empty() ? u"09.12.2026" : picture == u"d MMMM yyyy" ? u"9 декабря 2026" : u"<" + std::u16string(picture) + u">";
        return true;
    }
    bool formatTime(std::u16string_view picture, std::u16string& out) override {
        out = picture.empty() ? u"14:05" : picture == u"HH:mm:ss" ? u"14:05:33" : u"?";
        return true;
    }
};
