#include "PanelSimulator.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>

#include "Endpoint.h"

namespace loom::panelsim {

PanelSimulator::PanelSimulator(PanelConfig config) : state_(std::move(config)) {}

PanelSimulator::~PanelSimulator() {
    stop();
}

std::optional<std::uint16_t> PanelSimulator::startTcp(std::uint16_t port, std::string* error) {
    std::string why;
    std::unique_ptr<TcpEndpoint> endpoint = TcpEndpoint::open(port, state_, wakeup_, why);
    if (!endpoint) {
        if (error) *error = why;
        return std::nullopt;
    }
    const std::uint16_t bound = endpoint->port();
    add(std::move(endpoint));
    return bound;
}

std::optional<std::string> PanelSimulator::startSerial(std::string* error) {
    return startPty(false, error);
}

std::optional<std::string> PanelSimulator::startModem(std::string* error) {
    return startPty(true, error);
}

std::optional<std::string> PanelSimulator::startPty(bool modem, std::string* error) {
    std::string why;
    std::unique_ptr<PtyEndpoint> endpoint = PtyEndpoint::open(modem, state_, wakeup_, why);
    if (!endpoint) {
        if (error) *error = why;
        return std::nullopt;
    }
    std::string path = endpoint->path();
    add(std::move(endpoint));
    return path;
}

void PanelSimulator::add(std::unique_ptr<Endpoint> endpoint) {
    std::lock_guard lock(mutex_);
    incoming_.push_back(std::move(endpoint));
    if (!thread_.joinable() && !wakeup_.stopping()) thread_ = std::thread([this] { run(); });
    wakeup_.notify();
}

void PanelSimulator::stop() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        wakeup_.stop();
        thread.swap(thread_);
    }
    if (thread.joinable()) thread.join();
    state_.saveIfChanged();
}

void PanelSimulator::pressResetButton() {
    resetPressed_ = true;
    wakeup_.notify();
}

void PanelSimulator::run() {
    std::vector<std::unique_ptr<Endpoint>> endpoints;
    std::vector<pollfd> fds;
    while (!wakeup_.stopping()) {
        {
            std::lock_guard lock(mutex_);
            for (auto& e : incoming_)
                endpoints.push_back(std::move(e));
            incoming_.clear();
        }
        fds.assign({{wakeup_.stopFd(), POLLIN, 0}, {wakeup_.notifyFd(), POLLIN, 0}});
        std::optional<Clock::time_point> next;
        for (const auto& e : endpoints) {
            fds.push_back({e->pollFd(), POLLIN, 0});
            const auto d = e->deadline();
            if (d && (!next || *d < *next)) next = d;
        }
        int timeoutMs = -1;
        if (next) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now());
            timeoutMs = static_cast<int>(std::max<long long>(0, left.count()));
        }
        if (::poll(fds.data(), fds.size(), timeoutMs) < 0 && errno != EINTR) break;
        if (wakeup_.stopping()) break;
        if (fds[1].revents != 0) wakeup_.drainNotify();
        if (resetPressed_.exchange(false))
            for (const auto& e : endpoints)
                e->pressReset(Clock::now());
        for (std::size_t i = 0; i < endpoints.size() && !wakeup_.stopping(); ++i)
            if (fds[i + 2].revents != 0) endpoints[i]->onReadable(Clock::now());
        for (const auto& e : endpoints)
            if (!wakeup_.stopping()) e->onTimer(Clock::now());
        std::erase_if(endpoints, [](const auto& e) { return e->failed(); });
    }
    for (const auto& e : endpoints)
        e->finish();
}

}  // namespace loom::panelsim
