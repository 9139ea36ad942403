#include "engine/exclusions.h"

#include "toolkit/case_fold.h"

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string_view Trimmed(std::u16string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Calls take(name) for each non-blank, trimmed name between separators.
template <typename Take>
void ForEachName(std::u16string_view text, bool (*isSeparator)(char16_t), Take take) {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isSeparator(text[i])) continue;
        const std::u16string_view name = Trimmed(text.substr(start, i - start));
        if (!name.empty()) take(name);
        start = i + 1;
    }
}

// The settings page separates names by lines; '|', which no file name holds, counts too.
bool IsLineOrBar(char16_t c) { return c == u'\r' || c == u'\n' || c == u'|'; }
bool IsBar(char16_t c) { return c == u'|'; }

std::u16string Joined(std::u16string_view text, bool (*isSeparator)(char16_t), std::u16string_view glue) {
    std::u16string joined;
    ForEachName(text, isSeparator, [&](std::u16string_view name) {
        if (!joined.empty()) joined += glue;
        joined += name;
    });
    return joined;
}

}  // namespace

std::u16string ProgramListFromLines(std::u16string_view lines) { return Joined(lines, IsLineOrBar, u"|"); }

std::u16string ProgramListToLines(std::u16string_view stored) { return Joined(stored, IsBar, u"\r\n"); }

bool MatchesFileNamePattern(std::u16string_view pattern, std::u16string_view name) {
    // Greedy with one step back: on a mismatch the latest * takes one more character.
    std::size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || UpcaseUnit(pattern[p]) == UpcaseUnit(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::u16string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*') ++p;
    return p == pattern.size();
}

void ProgramExclusions::Set(std::u16string_view stored) {
    patterns_.clear();
    ForEachName(stored, IsBar, [&](std::u16string_view name) { patterns_.emplace_back(name); });
    verdicts_.fill(Verdict{});
    nextVerdict_ = 0;
}

bool ProgramExclusions::Matches(std::u16string_view fileName) const {
    for (const std::u16string& pattern : patterns_)
        if (MatchesFileNamePattern(pattern, fileName)) return true;
    return false;
}

bool ProgramExclusions::CachedVerdict(const ProcessKey& process, bool& excluded) const {
    for (const Verdict& verdict : verdicts_) {
        if (verdict.used && verdict.process == process) {
            excluded = verdict.excluded;
            return true;
        }
    }
    return false;
}

void ProgramExclusions::RememberVerdict(const ProcessKey& process, bool excluded) {
    verdicts_[nextVerdict_] = Verdict{process, excluded, true};
    nextVerdict_ = (nextVerdict_ + 1) % verdicts_.size();
}
