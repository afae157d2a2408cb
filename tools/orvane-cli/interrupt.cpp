// Ctrl-C and kill: the run stops at its next page and leaves nothing behind.

#include "tools/orvane-cli/commands.h"

#include <csignal>

namespace orvane {

namespace {

volatile std::sig_atomic_t g_signal = 0;

extern "C" void OnInterrupt(int signal)
{
    // A second signal while the run winds down ends the process at once.
    if (g_signal != 0) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_signal = signal;
}

} // namespace

void InstallInterruptHandlers()
{
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // Reads and waits go on; the run looks at the flag between pages.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void StopIfInterrupted()
{
    if (g_signal != 0)
        throw TInterrupted{int(g_signal)};
}

} // namespace orvane
