// SIGTERM and SIGINT as ordinary events: the signals are blocked and read from
// a signalfd in the event loop, so closing runs the normal destroy handling on
// the one user-interface thread. The blocking must happen before any other
// thread starts (Qt's X connection starts one), because threads inherit it.
#pragma once

#include <QObject>

#include <memory>

class QSocketNotifier;

namespace orbit {

class TerminationSignals final : public QObject {
    Q_OBJECT
public:
    // Blocks SIGTERM and SIGINT in the calling thread and opens the signalfd.
    TerminationSignals();
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Starts delivering received(); needs the application object to exist.
    // False when the signalfd could not be made (the signals then keep their
    // default action, ending the process).
    bool start();

    // Whether SIGTERM or SIGINT has arrived and waits to be read: lets a start
    // that has not reached the event loop yet skip its remaining steps.
    bool pending() const;

signals:
    void received(int signalNumber);

private:
    void readSignal();

    int fd = -1;
    bool blocked = false;
    std::unique_ptr<QSocketNotifier> notifier;
};

} // namespace orbit
