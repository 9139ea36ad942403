#include "engine/typist.h"

#include <utility>

void TextTypist::TakePending(EngineState& state, const HotkeyTable& table) {
    for (std::size_t i = 0; i < state.pendingCount; ++i) {
        const PendingText& chord = state.pending[i];
        const auto item = static_cast<std::size_t>(chord.item);
        if (item >= table.Count() || table.At(item).text.Data() == nullptr) continue;
        const std::u16string_view text(table.At(item).text.Data());  // to the first NUL
        if (chord.offset < text.size()) waiting_.push_back(Entry{chord, std::u16string(text.substr(chord.offset))});
    }
    state.pendingCount = 0;
}

void TextTypist::Clear() {
    waiting_.clear();
    jobs_.clear();
    clipboardWanted_ = clipboardReady_ = false;
}

void TextTypist::OnClipboard(bool busy, std::u16string_view text) {
    fetching_ = false;
    // A busy clipboard is asked again at the next tick, until the wait is over.
    if (!clipboardWanted_ || busy) return;
    clipboard_.assign(text);
    clipboardReady_ = true;
}

void TextTypist::OnPlaced(bool placed) {
    if (jobs_.empty() || jobs_.front().paste != Job::Paste::Asked) return;
    jobs_.front().paste = placed ? Job::Paste::Placed : Job::Paste::Refused;
}

namespace {

// What a paste gives: every line break as CR LF, the way programs put text on the clipboard.
std::u16string ClipboardText(const std::u16string& text) {
    std::u16string out;
    out.reserve(text.size() + text.size() / 8);
    for (const char16_t* p = text.c_str(); *p != 0;) {
        const char16_t unit = TakeTypedUnit(p);
        out.push_back(unit);
        if (unit == u'\r') out.push_back(u'\n');
    }
    return out;
}

}  // namespace

TextTypist::Job TextTypist::MakeJob(const Entry& entry, PlaceholderSource& source, std::uint32_t now) {
    Job job;
    job.typeMode = entry.chord.typeMode;
    job.target = entry.chord.target;
    job.lastProgress = now;
    bool cursor = false;
    // The rest of a text whose start was typed already holds no placeholder to fill in.
    if (entry.chord.offset == 0 && HasPlaceholders(entry.text)) {
        Expansion expansion = ExpandPlaceholders(entry.text, source, clipboard_);
        job.text = std::move(expansion.text);
        job.leftPresses = expansion.cursorSteps;
        cursor = expansion.hasCursor;
    } else {
        job.text = entry.text;
    }
    if (entry.chord.longerThan != 0 && job.text.size() > entry.chord.longerThan) job.typeMode = kTypeByClipboard;
    // Keystrokes typed while the main modifier is down would make chords of their own, and
    // Left steps with Shift or Ctrl held would select text or jump a word.
    if (cursor || job.typeMode != kTypeByMessages) job.waitFor[job.waitCount++] = entry.chord.mainModifier;
    if (cursor) {
        job.settle = true;
        job.waitFor[job.waitCount++] = kVkShift;
        job.waitFor[job.waitCount++] = kVkControl;
    }
    return job;
}

bool TextTypist::TypeSome(Job& job, KeyPlatform& platform) {
    const char16_t* const base = job.text.c_str();
    // After a paste only the Left steps are left, and they go as keystrokes too.
    const bool keystrokes = job.typeMode != kTypeByMessages;
    std::size_t budget = kBatchUnits;
    while (job.next < job.text.size()) {
        if (keystrokes && budget-- == 0) return false;
        const char16_t* p = base + job.next;
        const char16_t unit = TakeTypedUnit(p);
        if (!keystrokes) {
            if (!platform.postChar(job.target, unit)) return false;
        } else if (unit == u'\r') {
            // A line break is the Enter key, so a chat box that sends on Enter does so.
            platform.injectKey(kVkReturn, false);
            platform.injectKey(kVkReturn, true);
        } else {
            platform.injectUnit(unit);
        }
        job.next = static_cast<std::size_t>(p - base);
    }
    for (; job.leftSent < 2 * job.leftPresses; ++job.leftSent) {
        const bool release = job.leftSent % 2 == 1;
        if (!keystrokes) {
            if (!platform.postKey(job.target, kVkLeft, release)) return false;
        } else {
            if (!release && budget-- == 0) return false;
            platform.injectKey(kVkLeft, release);
        }
    }
    return true;
}

// The clipboard way: the text goes onto the clipboard on the clipboard's own thread, then the
// paste keys; a clipboard that cannot be had turns the job into keystrokes. False while the
// clipboard's answer is still to come.
bool TextTypist::Paste(Job& job, KeyPlatform& platform, Next& next, std::uint32_t now) {
    switch (job.paste) {
        case Job::Paste::None:
            next.place = true;
            next.placeText = ClipboardText(job.text);
            job.paste = Job::Paste::Asked;
            job.askedAt = now;
            return false;
        case Job::Paste::Asked:
            if (now - job.askedAt <= kPlaceWaitMs) return false;
            job.paste = Job::Paste::Refused;
            [[fallthrough]];
        case Job::Paste::Refused:
            job.typeMode = kTypeByKeystrokes;  // a text is never lost
            return true;
        case Job::Paste::Placed:
            if (job.next < job.text.size()) {
                platform.injectPaste(job.target);
                job.next = job.text.size();
                next.pasted = true;
            }
            return true;
    }
    return true;
}

TextTypist::Next TextTypist::Step(KeyPlatform& platform, PlaceholderSource& source, std::uint32_t now) {
    Next next;
    while (!waiting_.empty()) {
        const Entry& entry = waiting_.front();
        if (entry.chord.offset == 0 && NeedsClipboard(entry.text) && !clipboardReady_) {
            if (!clipboardWanted_) {
                clipboardWanted_ = true;
                clipboardSince_ = now;
            }
            if (now - clipboardSince_ <= kClipboardWaitMs) {
                next.tick = true;
                next.fetchClipboard = !fetching_;
                break;
            }
            // Not to be had in time: the placeholder types nothing.
            clipboard_.clear();
        }
        jobs_.push_back(MakeJob(entry, source, now));
        waiting_.erase(waiting_.begin());
        clipboardWanted_ = clipboardReady_ = false;
    }
    while (!jobs_.empty()) {
        Job& job = jobs_.front();
        bool done = false;
        if (!job.started) {
            bool held = false;
            for (std::size_t i = 0; i < job.waitCount; ++i) held = held || platform.isKeyHeld(job.waitFor[i]);
            if (!held && !job.released) job.releasedAt = now;
            job.released = !held;
            job.started = job.released && (!job.settle || now - job.releasedAt >= kSettleMs);
        }
        if (job.started && job.typeMode == kTypeByClipboard && !Paste(job, platform, next, now)) {
            next.tick = true;
            break;
        }
        if (job.started) {
            const std::size_t before = job.next + job.leftSent;
            done = TypeSome(job, platform);
            if (job.next + job.leftSent != before) job.lastProgress = now;
        }
        // A target that never drains, or a modifier never let go: the rest is dropped.
        if (!done && now - job.lastProgress <= kGiveUpMs) {
            next.tick = true;
            break;
        }
        jobs_.erase(jobs_.begin());
    }
    return next;
}
