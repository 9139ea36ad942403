#include <gtest/gtest.h>

#include <string>

#include "shell/tray_retry.h"

namespace {

// A shell that answers each call from a script: '+' takes it, '-' refuses; it records the calls.
class ScriptedShell final : public TrayShell {
public:
    explicit ScriptedShell(std::string answers) : answers_(std::move(answers)) {}
    bool SendModify() override { return Answer('M'); }
    bool SendAdd() override { return Answer('A'); }
    std::string calls;

private:
    bool Answer(char call) {
        calls += call;
        const bool taken = next_ < answers_.size() && answers_[next_] == '+';
        ++next_;
        return taken;
    }
    std::string answers_;
    std::size_t next_ = 0;
};

std::string Ticks(int n) {
    std::string calls;
    for (int i = 0; i < n; ++i) calls += "MA";
    return calls;
}

TEST(TrayRetry, ChangesFirstThenAddsUntilShownOrGivesUpAfterTwoMinutes) {
    const std::string never(2 * TrayRetry::kTries, '-');
    const struct {
        const char* name;
        std::string answers;
        int ticks;           // ticks until the retry ends
        TrayRetry::Step end;
        std::string calls;   // of all the ticks
    } cases[] = {
        {"the icon appeared after all: changed, never added twice", "+", 1, TrayRetry::Step::Shown, "M"},
        {"added at the first tick", "-+", 1, TrayRetry::Step::Shown, "MA"},
        {"added at the third tick", "-----+", 3, TrayRetry::Step::Shown, "MAMAMA"},
        {"there at the last tick", never.substr(2) + "+", TrayRetry::kTries, TrayRetry::Step::Shown,
         Ticks(TrayRetry::kTries - 1) + "M"},
        {"never", never, TrayRetry::kTries, TrayRetry::Step::GiveUp, Ticks(TrayRetry::kTries)},
    };
    static_assert(TrayRetry::kTries * TrayRetry::kIntervalMs >= 100000 &&
                  TrayRetry::kTries * TrayRetry::kIntervalMs <= 180000, "a couple of minutes");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedShell shell(c.answers);
        TrayRetry retry;
        EXPECT_EQ(retry.Tick(shell), TrayRetry::Step::Shown) << "nothing to do before a failure";
        EXPECT_EQ(shell.calls, "");
        retry.Start();
        int ticks = 0;
        TrayRetry::Step step = TrayRetry::Step::Later;
        while (step == TrayRetry::Step::Later && ticks < 1000) {
            step = retry.Tick(shell);
            ++ticks;
        }
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(step, c.end);
        EXPECT_FALSE(retry.Active());
        EXPECT_EQ(shell.calls, c.calls);
        const std::string before = shell.calls;
        EXPECT_EQ(retry.Tick(shell), TrayRetry::Step::Shown);
        EXPECT_EQ(shell.calls, before) << "a finished retry sends nothing";
    }
}

}  // namespace
