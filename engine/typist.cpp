#include "engine/typist.h"

#include <algorithm>
#include <utility>

#include "engine/abbreviations.h"

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
    injected_ = pasteUnread_ = false;
    injectedKeys_ = 0;
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
    job.inFront = entry.chord.inFront;
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
    job.waitModifiers = cursor || job.typeMode != kTypeByMessages;
    // Injected steps queue behind the releases; only posted ones could overtake them.
    job.settle = cursor && !job.inFront;
    if (entry.chord.abbreviation) {
        job.abbreviation = true;
        ApplyTextCase(job.text, static_cast<TextCase>(entry.chord.textCase));
        job.erase = entry.chord.erase;
        job.ending = entry.chord.ending;
        // The caret's mark stays where it is in the text: the steps go back over the ending too.
        if (job.ending != 0 && cursor) ++job.leftPresses;
        // A modifier held would make the Backspaces shortcuts, as it would the keystrokes.
        job.waitModifiers = true;
        // Posted, they would overtake the abbreviation's last keys if the target has not read
        // them yet: it gets a moment first, as for posted Left steps.
        job.settle = job.typeMode == kTypeByMessages;
    }
    return job;
}

void TextTypist::FillBatch(Job& job) {
    job.batchSize = job.batchSent = 0;
    auto add = [&job](std::uint16_t key, char16_t unit) {
        job.batch[job.batchSize++] = KeyStroke{key, unit, false};
        job.batch[job.batchSize++] = KeyStroke{key, unit, true};
    };
    std::size_t budget = kBatchUnits;
    for (; budget != 0 && job.eraseKeys < 2 * job.erase; --budget, job.eraseKeys += 2) add(kVkBack, 0);
    if (job.typeMode == kTypeByKeystrokes) {
        const char16_t* const base = job.text.c_str();
        for (; budget != 0 && job.next < job.text.size(); --budget) {
            const char16_t* p = base + job.next;
            const char16_t unit = TakeTypedUnit(p);
            // A line break is the Enter key, so a chat box that sends on Enter does so.
            if (unit == u'\r')
                add(kVkReturn, 0);
            else
                add(0, unit);
            job.next = static_cast<std::size_t>(p - base);
        }
    }
    // The paste keys: left Ctrl, never the generic one, which some terminals read with V as a plain v.
    if (job.pasteKeys != 0) {
        const bool shiftInsert = job.pasteKeys == kShiftInsert;
        const auto modifier = static_cast<std::uint16_t>(shiftInsert ? kVkLeftShift : kVkLeftControl);
        const auto key = static_cast<std::uint16_t>(shiftInsert ? std::uint32_t{kVkInsert} : std::uint32_t{'V'});
        for (const KeyStroke stroke : {KeyStroke{modifier, 0, false}, KeyStroke{key, 0, false},
                                       KeyStroke{key, 0, true}, KeyStroke{modifier, 0, true}})
            job.batch[job.batchSize++] = stroke;
        job.pasteKeys = 0;
        budget -= 2;  // four keys, as many as two units take
    }
    if (job.ending != 0 && job.endingKeys == 0 && job.next >= job.text.size() && budget != 0) {
        add(job.ending == u'\r' ? std::uint16_t{kVkReturn} : job.ending == u'\t' ? std::uint16_t{kVkTab} : std::uint16_t{0},
            job.ending == u'\r' || job.ending == u'\t' ? char16_t{0} : job.ending);
        job.endingKeys = 2;
        --budget;
    }
    if (job.next < job.text.size() || !job.inFront) return;
    for (; budget != 0 && job.leftQueued < job.leftPresses; --budget, ++job.leftQueued) add(kVkLeft, 0);
}

TextTypist::Outcome TextTypist::TypeSome(Job& job, KeyPlatform& platform) {
    // Posted, the Backspaces go first, as characters: injected ones would come after the posted
    // text, and so would the characters the target makes of posted key presses.
    for (; job.typeMode == kTypeByMessages && job.eraseKeys < 2 * job.erase; job.eraseKeys += 2, ++job.progress)
        if (!platform.postChar(job.target, u'\b')) return Outcome::Later;
    if (job.typeMode != kTypeByKeystrokes) {
        const char16_t* const base = job.text.c_str();
        while (job.next < job.text.size()) {
            const char16_t* p = base + job.next;
            if (!platform.postChar(job.target, TakeTypedUnit(p))) return Outcome::Later;
            job.next = static_cast<std::size_t>(p - base);
            ++job.progress;
        }
        // Enter and Tab as keys, so a dialog or a chat box takes them as it takes the user's own.
        const bool endingKey = job.ending == u'\r' || job.ending == u'\t';
        const std::uint32_t endingVk = job.ending == u'\r' ? kVkReturn : kVkTab;
        for (; job.typeMode == kTypeByMessages && job.ending != 0 && job.endingKeys < 2; ++job.endingKeys, ++job.progress) {
            if (endingKey ? !platform.postKey(job.target, endingVk, job.endingKeys == 1)
                          : !platform.postChar(job.target, job.ending))
                return Outcome::Later;
            if (!endingKey) ++job.endingKeys;
        }
        // Behind Vellory's own window the steps are posted: injected ones would reach Vellory.
        for (; !job.inFront && job.leftPosted < 2 * job.leftPresses; ++job.leftPosted, ++job.progress)
            if (!platform.postKey(job.target, kVkLeft, job.leftPosted % 2 == 1)) return Outcome::Later;
    }
    if (job.batchSent == job.batchSize) FillBatch(job);
    if (job.batchSent == job.batchSize) return Outcome::Done;
    // Another window came in front since the chord (a click elsewhere before the keys were let
    // go): the rest would land there, where it might send a message or run a command.
    if (job.inFront && !platform.stillInFront(job.target)) return Outcome::Blocked;
    const std::size_t sent = platform.sendKeys(job.batch + job.batchSent, job.batchSize - job.batchSent);
    // Nothing taken: input is blocked (a locked desktop), and the keys would land later in
    // whatever is in front then.
    if (sent == 0) return Outcome::Blocked;
    job.batchSent += sent;
    job.progress += sent;
    injectedKeys_ += static_cast<std::uint32_t>(sent);
    const bool more = job.batchSent < job.batchSize || job.next < job.text.size() ||
                      (job.inFront && job.leftQueued < job.leftPresses) || job.eraseKeys < 2 * job.erase ||
                      (job.ending != 0 && job.endingKeys < 2);
    return more ? Outcome::Later : Outcome::Done;
}

// The clipboard way: the text goes onto the clipboard on the clipboard's own thread, then the
// paste keys; a clipboard that cannot be had turns the job into keystrokes. False while the
// clipboard's answer is still to come.
bool TextTypist::Paste(Job& job, KeyPlatform& platform, Next& next, std::uint32_t now) {
    switch (job.paste) {
        case Job::Paste::None:
            // A reader of {буфер} still at work would read our text once it is placed.
            if (fetching_) return false;
            next.place = true;
            next.placeText = ClipboardText(job.text);
            next.placeTarget = job.target;
            job.paste = Job::Paste::Asked;
            job.askedAt = now;
            return false;
        case Job::Paste::Asked:
            if (now - job.askedAt <= kPlaceWaitMs) return false;
            job.paste = Job::Paste::Refused;
            next.withdraw = true;  // a placement still under way must not stay
            [[fallthrough]];
        case Job::Paste::Refused:
            job.typeMode = kTypeByKeystrokes;  // a text is never lost
            return true;
        case Job::Paste::Placed:
            if (job.next < job.text.size()) {
                job.pasteKeys = platform.pastesWithShiftInsert(job.target) ? kShiftInsert : kLeftCtrlV;
                job.next = job.text.size();
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
        Outcome outcome = Outcome::Later;
        if (!job.started) {
            bool held = false;
            for (std::uint32_t key : kModifiers) held = held || (job.waitModifiers && platform.isKeyHeld(key));
            if (!held && !job.released) job.releasedAt = now;
            job.released = !held;
            job.started = job.released && (!job.settle || now - job.releasedAt >= kSettleMs);
        }
        // Posted after injected keys, it would overtake them.
        if (!job.started && job.typeMode == kTypeByMessages && injected_) {
            const std::uint32_t since = now - injectedAt_;
            // A slow target takes a few milliseconds for each key: the wait grows with them.
            const std::uint32_t settle = kSettleMs + std::min<std::uint32_t>(injectedKeys_ * 4, kPasteReadWaitMs);
            if ((pasteUnread_ && since < kPasteReadWaitMs) || since < settle) {
                next.tick = true;
                break;
            }
            injected_ = pasteUnread_ = false;
            injectedKeys_ = 0;
        }
        if (job.started && job.typeMode == kTypeByClipboard && !Paste(job, platform, next, now)) {
            next.tick = true;
            break;
        }
        if (job.started) {
            const std::size_t before = job.progress;
            const std::uint32_t keysBefore = injectedKeys_;
            outcome = TypeSome(job, platform);
            if (job.progress != before) job.lastProgress = now;
            if (injectedKeys_ != keysBefore) {
                injected_ = true;
                injectedAt_ = now;
            }
        }
        // The paste keys lead their batch: once they are out, the restore may count its time.
        if (job.paste == Job::Paste::Placed && !job.pasteReported && job.pasteKeys == 0 && job.batchSent >= 4) {
            job.pasteReported = true;
            next.pasted = true;
            pasteUnread_ = true;
        }
        // A target that never drains, or a modifier never let go: the rest is dropped.
        if (outcome == Outcome::Later && now - job.lastProgress <= kGiveUpMs) {
            next.tick = true;
            // A batch taken whole: the next one may follow as soon as the thread has seen its messages.
            next.soon = job.typeMode == kTypeByKeystrokes && job.batchSent == job.batchSize;
            break;
        }
        // Our text was placed but never pasted: the user's content goes back at once.
        if (job.paste == Job::Paste::Placed && !job.pasteReported) next.withdraw = true;
        if (job.abbreviation) next.releaseHeld = true;
        jobs_.erase(jobs_.begin());
    }
    return next;
}
