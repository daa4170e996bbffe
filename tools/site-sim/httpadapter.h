#pragma once

// The HTTP server under site-sim: httplib's own, except that it serves each connection itself so
// that stop() need not wait for idle keep-alive clients.
//
// Why: httplib 0.11.4 looks for a stop before it starts to wait for a connection's next request,
// not while it waits. A worker whose client keeps its connection open but sends nothing waits out
// the whole keep-alive time-out (30 s here), and the server's listen call, so site-sim's stop(),
// waits for every worker. Tests and the demo stop site-sim with such clients still connected.
//
// When it goes: upstream commit e0ebc431 (October 2024; it superseded pull request #1960 for
// issue #1959, "Keep alive is slowing down shutdown") makes httplib's keep-alive wait re-check
// the listening socket, so Server::stop() ends the wait within one poll interval; release 0.19.0
// has it. Once the httplib we build against has it, delete this file and httpadapter.cpp, serve
// with plain httplib::Server and set_tcp_nodelay(true), and keep
// SiteSim.HangOutlastsTheClientAndStopStillReturns passing. Until then httpadapter.cpp refuses
// to build against any httplib but 0.11.4.

#include <httplib.h>

#include <mutex>
#include <set>

namespace sitesim {

class HttpServer final : public httplib::Server {
public:
    HttpServer() = default;
    HttpServer(const HttpServer &) = delete;
    HttpServer &operator=(const HttpServer &) = delete;

    // httplib's stop(), then every connection still open is shut down: one waiting for its next
    // request ends at once, one being served ends with the request in hand.
    void stopAndDisconnect();

private:
    bool process_and_close_socket(socket_t sock) override;
    bool nextRequestArrives(socket_t sock) const;

    // False once stopping: a connection accepted in the last moment is not served.
    bool track(socket_t sock);
    // After this the socket is the caller's alone to close, so stopAndDisconnect() never shuts
    // down a number the system has handed out again.
    void untrack(socket_t sock);

    std::mutex m_mutex;
    std::set<socket_t> m_open;
    bool m_stopping = false;
};

} // namespace sitesim
