#pragma once
// The events of the transfer workers as queued Qt signals. An adapter is the observer that the
// core calls on a worker thread; each call only emits a signal, and the window connects to the
// signals with Qt::QueuedConnection, so that it handles every event on the UI thread, in the
// order the worker sent them. An adapter lives on the UI thread and must outlive the job it
// observes: its owner joins the job (TransferSession::cancel/wait, FleetJob::cancel/wait)
// before the adapter goes, and events still queued for a receiver that has gone are dropped
// by Qt with the receiver.

#include "core/link/FleetJob.h"
#include "core/link/TransferSession.h"

#include <QObject>

namespace orvik {

// One radio's session. Every signal carries the number of the job it belongs to (setJob), so
// that a receiver can drop what a job it has already cancelled sent before it stopped.
class TransferEvents final : public QObject, public TransferObserver {
    Q_OBJECT
public:
    using QObject::QObject;

    // The number of the job about to start; set before start(), on the UI thread.
    void setJob(quint64 number) { job = number; }

signals:
    void searchingPort(quint64 job, int port);
    void phaseChanged(quint64 job, int phase); // a TransferPhase
    void progressed(quint64 job, int percent);
    // The worker is done with the link and ends: a join (wait()) returns at once.
    void jobFinished(quint64 job);

private:
    // TransferObserver, on the worker thread.
    void searching(int port) override { emit searchingPort(job, port); }
    void phaseStarted(TransferPhase phase) override {
        emit phaseChanged(job, static_cast<int>(phase));
    }
    void progress(int percent) override { emit progressed(job, percent); }
    void finished(const TransferOutcome&) override { emit jobFinished(job); }

    quint64 job = 0;
};

// A several-radio job. The receiver reads the job's status and outcomes when told of a change.
class FleetEvents final : public QObject, public FleetObserver {
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    // A port changed its phase or progress, or finished a radio.
    void changed();
    // Every port is done: FleetJob::wait() joins the threads at once.
    void jobEnded();

private:
    // FleetObserver, on the port threads.
    void phase(int, FleetPhase) override { emit changed(); }
    void progress(int, int) override { emit changed(); }
    void finished(const FleetOutcome&) override { emit changed(); }
    void ended() override { emit jobEnded(); }
};

} // namespace orvik
