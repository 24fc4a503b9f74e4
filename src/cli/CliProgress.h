#pragma once
// How orvik-cli waits for a radio job and shows it: the job's threads push their events, the
// command's thread sleeps until one comes (or Ctrl+C / SIGTERM) and prints it. Nothing polls.

#include "core/link/TransferSession.h"

#include <csignal>
#include <mutex>
#include <string>
#include <vector>

namespace orvik::cli {

// While it lives, Ctrl+C, SIGTERM and SIGHUP (the terminal or the connection went) only mark
// the job interrupted and wake wait(), so that the job can stop cleanly and still write its
// summary, report and trace; the handlers before it come back when it goes. One at a time.
// After SIGHUP a write to the vanished terminal or pipe fails rather than ending the program.
class InterruptCatcher {
public:
    InterruptCatcher();
    ~InterruptCatcher();
    InterruptCatcher(const InterruptCatcher&) = delete;
    InterruptCatcher& operator=(const InterruptCatcher&) = delete;

    // Wakes wait(); a job's thread calls it on each of its events, while a catcher lives.
    static void Wake();
    // Blocks until an event or an interrupt has come since the last wait; several that came
    // together wake it once.
    void wait() const;
    // Ctrl+C, SIGTERM or SIGHUP came.
    bool interrupted() const;

private:
    struct sigaction oldInt {};
    struct sigaction oldTerm {};
    struct sigaction oldHup {};
};

// The exit status of a job the last InterruptCatcher saw interrupted: ExitHangUp after SIGHUP,
// else ExitInterrupted.
int InterruptedExit();

// A session's events, handed from its worker to the command's thread, which shows them.
class JobEvents final : public TransferObserver {
public:
    enum class Kind { Searching, Phase, Progress, Finished };
    struct Event {
        Kind kind;
        int value; // the port, the TransferPhase or the percentage
    };

    // On the worker.
    void searching(int port) override;
    void phaseStarted(TransferPhase phase) override;
    void progress(int percent) override;
    void finished(const TransferOutcome& outcome) override;

    // On the command's thread: the events that came since the last call.
    std::vector<Event> take();

private:
    void add(Event event);

    std::mutex mutex;
    std::vector<Event> events;
};

// Progress on stderr: a bar on a terminal, plain lines otherwise.
class ProgressDisplay {
public:
    ProgressDisplay(TextLookup lookup, bool read);

    // Shows the prompt of the job's first step.
    void firstPhase(TransferPhase phase);
    // Shows one event; true for the job's end.
    bool show(const JobEvents::Event& event);

private:
    // Each step gets its own line.
    void phaseStarted(TransferPhase phase);
    void searching(int port);
    void progress(int value);

    TextLookup text;
    bool isRead;
    std::string prompt;
    bool tty;
    bool dirty = false;
    int lastPercent = -1;
};

} // namespace orvik::cli
