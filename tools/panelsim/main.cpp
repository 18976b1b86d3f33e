#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <string>
#include <vector>

#include "PanelSimulator.h"
#include "PanelsimCli.h"

int main(int argc, char** argv) {
    // Signals are taken by sigwait below, so they are blocked before any thread starts
    // (threads inherit the mask) and no handler runs in the middle of the panel's work.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::vector<std::string> args(argv + 1, argv + argc);
    return loom::panelsim::runPanelsim(args, std::cout, std::cerr,
                                       [&signals](loom::panelsim::PanelSimulator& panel) {
                                           for (;;) {
                                               int signal = 0;
                                               if (sigwait(&signals, &signal) != 0) return;
                                               if (signal != SIGUSR1) return;
                                               panel.pressResetButton();
                                           }
                                       });
}
