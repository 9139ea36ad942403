#pragma once
// The course of one text of ours on the clipboard, from its placement to the return of what the
// user had: when the content goes back, and when the next text may take this one's place.
// Pure, so the rule is tested without a clipboard; the clipboard's thread feeds it what happens.
#include <cstdint>

// Who asked for our text: a window of the target's program, a reader that names no window, or
// another program (a clipboard history tool reads at every change, whatever formats ask it not to).
enum class ClipboardReader : std::uint8_t { Target, Unnamed, Other };

class PasteCourse {
public:
    // How long the target gets to ask for the text after the paste keys, and how long a text
    // whose paste keys never come stays (the typist gave up on it, or ended).
    static constexpr std::uint32_t kRenderCapMs = 3000;
    static constexpr std::uint32_t kUnpastedMs = 5000;

    void Placed(std::uint32_t now) {
        phase_ = Phase::Offered;
        since_ = now;
        rendered_ = false;
    }
    void Pasted(std::uint32_t now, std::uint32_t delayMs) {
        if (phase_ != Phase::Offered) return;
        phase_ = Phase::Pasted;
        since_ = now;
        delay_ = delayMs;
    }
    // The typist will not paste this text: what the user had goes back at once.
    void Withdrawn() {
        if (phase_ != Phase::Idle) phase_ = Phase::Withdrawn;
    }
    void Restored() { phase_ = Phase::Idle; }
    bool Active() const { return phase_ != Phase::Idle; }

    // Whether a render request gets the text. Another program's reader gets nothing while the
    // paste is awaited, so the text stays offered and the target's own request still comes;
    // only a request from the target counts as its paste (one that names no window cannot be
    // told apart, and counts as it did before readers were told apart).
    bool Render(ClipboardReader reader) {
        if (phase_ == Phase::Idle) return true;
        if (reader == ClipboardReader::Other) return false;
        rendered_ = true;
        return true;
    }

    bool RestoreDue(std::uint32_t now) const {
        switch (phase_) {
            case Phase::Idle: return false;
            case Phase::Offered: return now - since_ >= kUnpastedMs;
            case Phase::Withdrawn: return true;
            case Phase::Pasted: break;
        }
        const std::uint32_t elapsed = now - since_;
        return elapsed >= delay_ && (rendered_ || elapsed >= delay_ + kRenderCapMs);
    }
    // Whether the next text may replace this one now, the kept content staying kept: the target
    // has read this one, or will not any more. Placed earlier, it would paste the next text twice.
    bool MayHandOn(std::uint32_t now) const {
        if (phase_ == Phase::Offered) return false;
        if (phase_ != Phase::Pasted) return true;
        return rendered_ || now - since_ >= delay_ + kRenderCapMs;
    }

private:
    enum class Phase : std::uint8_t { Idle, Offered, Pasted, Withdrawn };
    Phase phase_ = Phase::Idle;
    bool rendered_ = false;
    std::uint32_t since_ = 0;
    std::uint32_t delay_ = 0;
};
