#include "StopSignals.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::array<int, 3> StoppingSignals{SIGINT, SIGTERM, SIGHUP};

// A signal handler reaches nothing but what lives at file level.
int handlerPipe = -1;
volatile std::sig_atomic_t firstSignal = 0;
struct sigaction earlier[std::size(StoppingSignals)];

extern "C" void onStoppingSignal(int number)
{
    if (firstSignal != 0)
        _exit(StopSignals::exitStatusOf(number));
    firstSignal = number;
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = write(handlerPipe, &byte, 1);
    errno = savedErrno;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent)
{
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    handlerPipe = pipe_[1];
    firstSignal = 0;
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readPipe);
    struct sigaction action = {};
    action.sa_handler = onStoppingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < StoppingSignals.size(); ++i) {
        sigaction(StoppingSignals[i], nullptr, &earlier[i]);
        if (earlier[i].sa_handler != SIG_IGN)
            sigaction(StoppingSignals[i], &action, nullptr);
    }
}

StopSignals::~StopSignals()
{
    if (pipe_[0] < 0)
        return;
    for (size_t i = 0; i < StoppingSignals.size(); ++i)
        sigaction(StoppingSignals[i], &earlier[i], nullptr);
    handlerPipe = -1;
    delete notifier_;
    close(pipe_[0]);
    close(pipe_[1]);
}

int StopSignals::received() const
{
    return pipe_[0] < 0 ? 0 : int(firstSignal);
}

void StopSignals::readPipe()
{
    unsigned char number = 0;
    while (read(pipe_[0], &number, 1) == 1) {
        if (std::exchange(passedOn_, true))
            continue;
        emit arrived(number);
    }
}
