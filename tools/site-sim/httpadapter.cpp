#include "httpadapter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string_view>

// Everything below leans on httplib 0.11.4's insides: the private virtual
// process_and_close_socket, process_request, svr_sock_, the keep-alive and time-out members and
// the set of Stream's virtuals. Another release needs a look, not a recompile: see httpadapter.h.
// A static_assert rather than #error because the version is a string, which #if cannot compare.
static_assert(std::string_view(CPPHTTPLIB_VERSION) == "0.11.4",
    "tools/site-sim/httpadapter.cpp is written for cpp-httplib 0.11.4. For this httplib, check "
    "whether Server::stop() ends the wait for a kept-alive connection's next request (its "
    "detail::keep_alive re-checks svr_sock while it waits, upstream since commit e0ebc431): if it does, "
    "delete httpadapter.h/.cpp and use plain httplib::Server with set_tcp_nodelay(true); if not, "
    "port the adapter. SiteSim.HangOutlastsTheClientAndStopStillReturns tells which.");

namespace sitesim {

namespace {

using Milliseconds = std::chrono::milliseconds;

Milliseconds toMilliseconds(time_t sec, time_t usec)
{
    return Milliseconds(static_cast<long long>(sec) * 1000 + static_cast<long long>(usec) / 1000);
}

void addressOf(const sockaddr_storage &address, std::string &ip, int &port)
{
    char text[INET6_ADDRSTRLEN] = {};
    if (address.ss_family == AF_INET) {
        const auto &v4 = reinterpret_cast<const sockaddr_in &>(address);
        inet_ntop(AF_INET, &v4.sin_addr, text, sizeof text);
        port = ntohs(v4.sin_port);
    } else if (address.ss_family == AF_INET6) {
        const auto &v6 = reinterpret_cast<const sockaddr_in6 &>(address);
        inet_ntop(AF_INET6, &v6.sin6_addr, text, sizeof text);
        port = ntohs(v6.sin6_port);
    }
    ip = text;
}

// httplib's request processing over a connection whose socket we know, so that
// stopAndDisconnect() can shut it down.
class SocketStream final : public httplib::Stream {
public:
    SocketStream(int fd, Milliseconds readTimeout, Milliseconds writeTimeout)
        : m_fd(fd)
        , m_readTimeout(readTimeout)
        , m_writeTimeout(writeTimeout)
    {
    }

    bool is_readable() const override { return ready(POLLIN, m_readTimeout); }
    bool is_writable() const override { return ready(POLLOUT, m_writeTimeout); }

    ssize_t read(char *ptr, size_t size) override
    {
        if (!is_readable())
            return -1;
        ssize_t n = 0;
        do {
            n = ::recv(m_fd, ptr, size, 0);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    using httplib::Stream::write;
    ssize_t write(const char *ptr, size_t size) override
    {
        if (!is_writable())
            return -1;
        ssize_t n = 0;
        do {
            n = ::send(m_fd, ptr, size, MSG_NOSIGNAL);
        } while (n < 0 && errno == EINTR);
        return n;
    }

    void get_remote_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage address {};
        socklen_t length = sizeof address;
        if (::getpeername(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            addressOf(address, ip, port);
    }

    void get_local_ip_and_port(std::string &ip, int &port) const override
    {
        sockaddr_storage address {};
        socklen_t length = sizeof address;
        if (::getsockname(m_fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
            addressOf(address, ip, port);
    }

    socket_t socket() const override { return m_fd; }

private:
    bool ready(short events, Milliseconds timeout) const
    {
        pollfd entry { m_fd, events, 0 };
        int result = 0;
        do {
            result = ::poll(&entry, 1, static_cast<int>(timeout.count()));
        } while (result < 0 && errno == EINTR);
        if (result <= 0)
            return false;
        // A shut-down or reset socket still polls readable (recv then reports the end) but
        // never writable.
        return (events & POLLIN) ? true : (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) == 0;
    }

    int m_fd;
    Milliseconds m_readTimeout;
    Milliseconds m_writeTimeout;
};

} // namespace

void HttpServer::stopAndDisconnect()
{
    stop();
    std::lock_guard lock(m_mutex);
    m_stopping = true;
    for (socket_t sock : m_open)
        ::shutdown(sock, SHUT_RDWR);
}

bool HttpServer::track(socket_t sock)
{
    std::lock_guard lock(m_mutex);
    if (m_stopping)
        return false;
    m_open.insert(sock);
    return true;
}

void HttpServer::untrack(socket_t sock)
{
    std::lock_guard lock(m_mutex);
    m_open.erase(sock);
}

bool HttpServer::process_and_close_socket(socket_t sock)
{
    bool served = false;
    // Headers and body leave in separate writes; with Nagle's algorithm the body would wait for
    // the client's delayed acknowledgement on every reused connection.
    int yes = 1;
    ::setsockopt(sock, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
    if (track(sock)) {
        SocketStream stream(sock, toMilliseconds(read_timeout_sec_, read_timeout_usec_),
            toMilliseconds(write_timeout_sec_, write_timeout_usec_));
        std::size_t remaining = keep_alive_max_count_;
        while (svr_sock_ != INVALID_SOCKET && remaining > 0 && nextRequestArrives(sock)) {
            bool connectionClosed = false;
            served = process_request(stream, remaining == 1, connectionClosed, nullptr);
            if (!served || connectionClosed)
                break;
            --remaining;
        }
        untrack(sock);
    }
    ::shutdown(sock, SHUT_RDWR);
    ::close(sock);
    return served;
}

// Also true when stopAndDisconnect() shut the socket down: the request read then finds the end.
bool HttpServer::nextRequestArrives(socket_t sock) const
{
    pollfd entry { sock, POLLIN, 0 };
    int result = 0;
    do {
        result = ::poll(&entry, 1, static_cast<int>(keep_alive_timeout_sec_ * 1000));
    } while (result < 0 && errno == EINTR);
    return result > 0;
}

} // namespace sitesim
