#pragma once
// The texts the engine's window types once the hook has returned: keystrokes after the main
// modifier's release, texts with placeholders, and the rest of texts whose target's queue was
// full. They are typed in the order of their chords, a little at every tick of the window's
// timer, so neither the user's own keys nor the target wait for a long text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/hotkey.h"
#include "engine/placeholders.h"

class TextTypist {
public:
    // How long a chord waits for the clipboard, and for a target that takes no posted input.
    static constexpr std::uint32_t kClipboardWaitMs = 1000;
    static constexpr std::uint32_t kGiveUpMs = 30000;
    // After the modifiers came up, the time a target behind Vellory's window gets before Left
    // steps are posted to it: posted keys overtake input it has not read yet.
    static constexpr std::uint32_t kSettleMs = 50;
    // Keystrokes injected at one tick, in one call: the user's own keys cannot land inside.
    static constexpr std::size_t kBatchUnits = 64;
    // How long a paste waits for the clipboard's thread to say whether it had the clipboard.
    static constexpr std::uint32_t kPlaceWaitMs = 2000;
    static constexpr std::size_t kBatchKeys = 2 * kBatchUnits;  // at most what WindowsKeyPlatform::sendKeys takes
    // How long a posted text waits for the target to read a paste before it: the restore's cap.
    static constexpr std::uint32_t kPasteReadWaitMs = 3000;
    // The modifiers that must all be up before keystrokes or a cursor's Left steps go out:
    // any one of them would turn the keys into shortcuts, an Enter into Ctrl+Enter.
    static constexpr std::uint32_t kModifiers[] = {kVkShift, kVkControl, kVkAlt, kVkLeftWin, kVkRightWin};

    // Takes the chords the hook queued, with a copy of each text, so that an edit in the
    // settings cannot change a text on its way.
    void TakePending(EngineState& state, const HotkeyTable& table);

    struct Next {
        bool tick = false;            // call Step again after a short delay
        bool soon = false;            // ... or as soon as the thread has been back to its messages
        bool fetchClipboard = false;  // start a clipboard reader, then call FetchStarted
        bool place = false;           // put placeText on the clipboard, then call OnPlaced
        bool pasted = false;          // the paste keys went out: the clipboard's content may go back
        bool withdraw = false;        // the text placed or asked for is not pasted: put the content back now
        bool releaseHeld = false;     // an abbreviation's text is out: the keys held behind it may go
        std::u16string placeText;
        WindowId placeTarget = 0;
    };
    // Types what can be typed now; `now` is a millisecond clock.
    Next Step(KeyPlatform& platform, PlaceholderSource& source, std::uint32_t now);
    void FetchStarted() { fetching_ = true; }
    // A reader's answer: the clipboard's text, or busy when another program held it open.
    void OnClipboard(bool busy, std::u16string_view text);
    // Whether the text went onto the clipboard; when it did not, it is typed as keystrokes.
    void OnPlaced(bool placed);
    // The target has read the text of the latest paste.
    void OnPasteRead() { pasteUnread_ = false; }
    bool Busy() const { return !waiting_.empty() || !jobs_.empty(); }
    // Drops everything not typed yet: a pause types nothing more.
    void Clear();

private:
    struct Entry {
        PendingText chord;
        std::u16string text;
    };
    struct Job {
        std::int32_t typeMode = kTypeByMessages;
        WindowId target = 0;
        bool inFront = true;
        std::u16string text;
        std::size_t next = 0;           // the next unit to post or to put in a batch
        std::size_t leftPresses = 0;
        std::size_t leftQueued = 0;     // Left steps put in a batch
        std::size_t leftPosted = 0;     // presses and releases posted so far
        KeyStroke batch[kBatchKeys];    // injected as one run; a cut-off rest goes at the next tick
        std::size_t batchSize = 0;
        std::size_t batchSent = 0;
        bool waitModifiers = false;
        enum class Paste : std::uint8_t { None, Asked, Placed, Refused };
        std::uint8_t pasteKeys = 0;  // kLeftCtrlV or kShiftInsert while the paste keys are still to go
        Paste paste = Paste::None;
        std::uint32_t askedAt = 0;
        bool pasteReported = false;  // Next::pasted was said for this job
        bool settle = false;
        bool started = false;
        bool released = false;
        std::uint32_t releasedAt = 0;
        std::uint32_t lastProgress = 0;
        std::size_t progress = 0;       // grows with every key posted or injected
        // An abbreviation's: Backspace presses and releases to go before the text (posted or in
        // the first batch), and the ending character after it (a key for Enter and Tab).
        bool abbreviation = false;
        std::size_t erase = 0;
        std::size_t eraseKeys = 0;  // presses and releases of Backspace sent so far
        char16_t ending = 0;
        std::uint8_t endingKeys = 0;  // events of the ending sent so far; 2 when it is out
    };
    enum class Outcome { Done, Later, Blocked };
    static constexpr std::uint8_t kLeftCtrlV = 1, kShiftInsert = 2;

    Job MakeJob(const Entry& entry, PlaceholderSource& source, std::uint32_t now);
    // Types what the job may type at this tick.
    Outcome TypeSome(Job& job, KeyPlatform& platform);
    void FillBatch(Job& job);
    // False while the clipboard's answer is still to come.
    bool Paste(Job& job, KeyPlatform& platform, Next& next, std::uint32_t now);

    std::vector<Entry> waiting_;
    std::vector<Job> jobs_;
    bool fetching_ = false;
    // Posted characters overtake keys the target has not read yet: a text posted after keys
    // were injected waits until the paste was read (or its wait is over), or a moment after
    // keystrokes, so the texts arrive in the order of their chords.
    bool pasteUnread_ = false;
    std::uint32_t injectedAt_ = 0;
    std::uint32_t injectedKeys_ = 0;  // key events injected since a text was last posted
    bool injected_ = false;
    bool clipboardWanted_ = false;
    bool clipboardReady_ = false;
    std::uint32_t clipboardSince_ = 0;
    std::u16string clipboard_;
};
