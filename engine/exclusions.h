#pragma once
// The programs Vellory types nothing into ("ExcludePrograms"): file names with the wildcards
// * (any run of characters) and ? (one character), matched whole and without regard to case.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// One process for good: an id is reused only after its process has ended, and then the new
// one has another start time.
struct ProcessKey {
    std::uint32_t id = 0;
    std::uint64_t startTime = 0;
    bool operator==(const ProcessKey&) const = default;
};

// The stored form holds the names joined by '|', which no file name can hold; the settings
// page shows one name a line. Blank names and the spaces around a name are dropped.
std::u16string ProgramListFromLines(std::u16string_view lines);
std::u16string ProgramListToLines(std::u16string_view stored);

bool MatchesFileNamePattern(std::u16string_view pattern, std::u16string_view name);

class ProgramExclusions {
public:
    // Parses the stored form and forgets every verdict; allocates, so never on the hook path.
    void Set(std::u16string_view stored);
    bool Empty() const { return patterns_.empty(); }
    bool Matches(std::u16string_view fileName) const;

    // The last few verdicts, so repeated chords in one program ask the system nothing more.
    bool CachedVerdict(const ProcessKey& process, bool& excluded) const;
    void RememberVerdict(const ProcessKey& process, bool excluded);

private:
    struct Verdict {
        ProcessKey process;
        bool excluded = false;
        bool used = false;
    };
    std::vector<std::u16string> patterns_;
    std::array<Verdict, 4> verdicts_{};
    std::size_t nextVerdict_ = 0;
};
