#include "cli/CliProgress.h"

#include "cli/CliCommon.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <semaphore.h>
#include <unistd.h>
#include <utility>

namespace orvik::cli {

namespace {

// Set by Ctrl+C, SIGTERM or SIGHUP while an InterruptCatcher lives; lock-free atomics, so that
// the handler may set them on whichever thread the signal lands. `hangUp`: SIGHUP was one.
std::atomic<bool> interruptedFlag{false};
std::atomic<bool> hangUp{false};
static_assert(std::atomic<bool>::is_always_lock_free);
// Posted by a job's events and by the signal handler: the one wait of the command's thread.
// A semaphore, because sem_post is safe in a signal handler, where a condition variable is not.
sem_t wakeup;

void onInterrupt(int signal) {
    if (signal == SIGHUP) {
        hangUp.store(true);
        // The summary and messages still go out; on a pipe whose reader went they must not
        // end the program before the report is written. sigaction is async-signal-safe.
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGPIPE, &ignore, nullptr);
    }
    interruptedFlag.store(true);
    ::sem_post(&wakeup);
}

} // namespace

InterruptCatcher::InterruptCatcher() {
    ::sem_init(&wakeup, 0, 0);
    interruptedFlag.store(false);
    hangUp.store(false);
    struct sigaction sa {};
    sa.sa_handler = onInterrupt;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &oldInt);
    ::sigaction(SIGTERM, &sa, &oldTerm);
    ::sigaction(SIGHUP, &sa, &oldHup);
}

InterruptCatcher::~InterruptCatcher() {
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    ::sigaction(SIGHUP, &oldHup, nullptr);
    ::sem_destroy(&wakeup);
}

int InterruptedExit() {
    return hangUp.load() ? ExitHangUp : ExitInterrupted;
}

void InterruptCatcher::Wake() {
    ::sem_post(&wakeup);
}

void InterruptCatcher::wait() const {
    while (::sem_wait(&wakeup) != 0 && errno == EINTR) {
    }
    while (::sem_trywait(&wakeup) == 0) {
    }
}

bool InterruptCatcher::interrupted() const {
    return interruptedFlag.load();
}

void JobEvents::searching(int port) {
    add({Kind::Searching, port});
}

void JobEvents::phaseStarted(TransferPhase phase) {
    add({Kind::Phase, static_cast<int>(phase)});
}

void JobEvents::progress(int percent) {
    add({Kind::Progress, percent});
}

void JobEvents::finished(const TransferOutcome&) {
    add({Kind::Finished, 0});
}

std::vector<JobEvents::Event> JobEvents::take() {
    std::lock_guard lock(mutex);
    return std::exchange(events, {});
}

void JobEvents::add(Event event) {
    {
        std::lock_guard lock(mutex);
        events.push_back(event);
    }
    InterruptCatcher::Wake();
}

ProgressDisplay::ProgressDisplay(TextLookup lookup, bool read)
    : text(std::move(lookup)), isRead(read),
      prompt(PhasePrompt(TransferPhase::Transfer, read, text)), tty(::isatty(2) == 1) {}

void ProgressDisplay::firstPhase(TransferPhase phase) {
    prompt = PhasePrompt(phase, isRead, text);
}

bool ProgressDisplay::show(const JobEvents::Event& event) {
    switch (event.kind) {
    case JobEvents::Kind::Searching:
        searching(event.value);
        break;
    case JobEvents::Kind::Phase:
        phaseStarted(static_cast<TransferPhase>(event.value));
        break;
    case JobEvents::Kind::Progress:
        progress(event.value);
        break;
    case JobEvents::Kind::Finished:
        if (tty && dirty)
            std::fprintf(stderr, "\n");
        dirty = false;
        return true;
    }
    return false;
}

void ProgressDisplay::phaseStarted(TransferPhase phase) {
    if (tty && dirty)
        std::fprintf(stderr, "\n");
    dirty = false;
    prompt = PhasePrompt(phase, isRead, text);
    lastPercent = -1;
}

void ProgressDisplay::searching(int port) {
    if (tty) {
        std::fprintf(stderr, "\r\033[Ksearching COM%d", port);
        dirty = true;
    } else {
        std::fprintf(stderr, "searching COM%d\n", port);
    }
}

void ProgressDisplay::progress(int value) {
    if (value == lastPercent)
        return;
    if (tty) {
        constexpr int width = 30;
        const int filled = value * width / 100;
        std::string bar(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(width - filled), '.');
        std::fprintf(stderr, "\r\033[K%s [%s] %3d%%", prompt.c_str(), bar.c_str(), value);
        dirty = true;
    } else if (lastPercent < 0 || value / 10 != lastPercent / 10 || value == 100) {
        std::fprintf(stderr, "%s %d%%\n", prompt.c_str(), value);
    }
    lastPercent = value;
}

} // namespace orvik::cli
