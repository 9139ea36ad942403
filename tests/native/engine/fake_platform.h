#pragma once
// A platform that answers from a set of held keys and records every call in order.
#include <set>
#include <string>
#include <vector>

#include "engine/hotkey.h"

class FakePlatform final : public KeyPlatform {
public:
    std::set<std::uint32_t> held;
    std::set<WindowId> liveWindows{42};
    std::uint16_t language = kRussianLanguage;
    HookResult nextResult = 7;
    std::vector<std::string> calls;  // "inject 160 down", "pass 65", "post 42 U+0041"...
    std::u16string posted;
    bool recordQueries = false;
    bool refusePosts = false;  // the target refuses posted input

    bool isKeyDown(std::uint32_t vk) override {
        if (recordQueries) calls.push_back("down? " + std::to_string(vk));
        return held.count(vk) != 0;
    }
    bool windowExists(WindowId w) override { return liveWindows.count(w) != 0; }
    std::uint16_t layoutLanguageOf(WindowId) override { return language; }
    bool postChar(WindowId w, char16_t unit) override {
        if (refusePosts) return false;
        posted.push_back(unit);
        calls.push_back("post " + std::to_string(w));
        return true;
    }
    void injectKey(std::uint32_t vk, bool release) override {
        calls.push_back("inject " + std::to_string(vk) + (release ? " up" : " down"));
    }
    void injectUnit(char16_t unit) override { calls.push_back("unit " + std::to_string(unit)); }
    void scheduleTyping() override { calls.push_back("schedule"); }
    HookResult passOn(const KeyEvent& e) override {
        calls.push_back("pass " + std::to_string(e.virtualKey ? *e.virtualKey : 9999));
        return nextResult;
    }
};
