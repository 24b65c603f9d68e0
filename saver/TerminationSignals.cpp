// signalfd-based SIGTERM/SIGINT delivery. The mask is restored on
// destruction, after the signals still waiting are read, so a later run in the
// same process starts with default actions.
#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <pthread.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace orbit {

namespace {

sigset_t terminationSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

TerminationSignals::TerminationSignals()
{
    const sigset_t set = terminationSet();
    fd = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd >= 0)
        blocked = pthread_sigmask(SIG_BLOCK, &set, nullptr) == 0;
}

TerminationSignals::~TerminationSignals()
{
    notifier.reset();
    if (fd >= 0) {
        // A signal that closed the run before the event loop read it has been
        // answered; unblocked, it would still end the process by its default action.
        signalfd_siginfo info{};
        while (read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
        }
        close(fd);
    }
    if (blocked) {
        const sigset_t set = terminationSet();
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    }
}

bool TerminationSignals::start()
{
    if (fd < 0 || !blocked)
        return false;
    notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    return true;
}

bool TerminationSignals::pending() const
{
    sigset_t waiting;
    sigemptyset(&waiting);
    if (!blocked || sigpending(&waiting) != 0)
        return false;
    return sigismember(&waiting, SIGTERM) == 1 || sigismember(&waiting, SIGINT) == 1;
}

void TerminationSignals::readSignal()
{
    signalfd_siginfo info{};
    while (read(fd, &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        emit received(static_cast<int>(info.ssi_signo));
}

} // namespace orbit
