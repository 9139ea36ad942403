#pragma once
// At logon the notification area can be too busy to answer: adding the icon times out and
// reports failure, though the icon may still appear later, and no "TaskbarCreated" follows.
// So a failed add is tried again every few seconds for a couple of minutes, first as a change
// (the icon may be there after all, and adding an existing icon fails for ever), then as an add.

// The shell calls the retry needs; true when the shell took the request.
class TrayShell {
public:
    virtual bool SendModify() = 0;
    virtual bool SendAdd() = 0;

protected:
    ~TrayShell() = default;
};

class TrayRetry {
public:
    static constexpr unsigned kIntervalMs = 5000;
    static constexpr int kTries = 24;  // two minutes

    enum class Step {
        Shown,   // the icon is there: no more tries
        Later,   // try again at the next tick
        GiveUp,  // never shown: the window must stand in for it
    };

    // An add failed: the ticks try again from now on.
    void Start() { triesLeft_ = kTries; }
    void Stop() { triesLeft_ = 0; }
    bool Active() const { return triesLeft_ > 0; }

    Step Tick(TrayShell& shell) {
        if (!Active()) return Step::Shown;
        if (shell.SendModify() || shell.SendAdd()) {
            Stop();
            return Step::Shown;
        }
        return --triesLeft_ == 0 ? Step::GiveUp : Step::Later;
    }

private:
    int triesLeft_ = 0;
};
