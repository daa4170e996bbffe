#include "site-sim/sitesim.h"

#include "httpadapter.h"
#include "pages.h"

#include <httplib.h>

#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

namespace sitesim {

namespace {

constexpr std::size_t kOversizedBytes = 17 * 1024 * 1024;
constexpr std::size_t kOversizedChunk = 64 * 1024;
// Hanging requests each hold a worker; enough of them that a few hangs do not starve the rest.
constexpr std::size_t kWorkerThreads = 32;
constexpr int kMaxPopups = 20;

using Milliseconds = std::chrono::milliseconds;

std::optional<long long> numberParam(const httplib::Request &req, const char *key)
{
    if (!req.has_param(key))
        return std::nullopt;
    const std::string text = req.get_param_value(key);
    char *end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE)
        return std::nullopt;
    return value;
}

// The page a search request asks for: its page key, else what its start key implies.
long long searchPageOf(const httplib::Request &req)
{
    if (const auto page = numberParam(req, "page"))
        return *page;
    if (const auto start = numberParam(req, "start"))
        return std::clamp(*start, 0LL, 1'000'000'000LL) / 10 + 1;
    return 1;
}

} // namespace

struct Server::Impl {
    // What a request needs of the settings, copied so that handlers never hold the lock.
    struct Knobs {
        Charset charset;
        bool declareInHeader;
        Milliseconds latency;
        Milliseconds hangFor;
        std::string statusBody;
        std::string musicRedirect;
    };

    mutable std::mutex mutex;
    std::condition_variable wake;
    Options options;
    std::map<int, Fault> faults;
    Fault statusFault = Fault::None;
    std::set<std::pair<std::string, int>> connections;
    std::size_t requests = 0;
    std::string lastKeyword;
    bool stopping = false;

    std::unique_ptr<HttpServer> http;
    std::thread thread;
    std::atomic<int> port { 0 };

    Knobs knobs() const
    {
        std::lock_guard lock(mutex);
        return { options.charset, options.declareCharsetInHeader, options.latency, options.hangFor,
            options.statusBody, options.musicRedirect };
    }

    std::string baseUrl() const
    {
        std::string host;
        {
            std::lock_guard lock(mutex);
            host = options.host;
        }
        // Links must lead somewhere a client can connect to, not to the wildcard address.
        if (host.empty() || host == "0.0.0.0")
            host = "127.0.0.1";
        else if (host.find(':') != std::string::npos)
            host = host == "::" ? "[::1]" : "[" + host + "]";
        return "http://" + host + ":" + std::to_string(port.load());
    }

    std::string characterBase() const { return baseUrl() + "/characters/"; }

    // False when stop() cut the wait short.
    bool sleepUnlessStopping(Milliseconds duration)
    {
        std::unique_lock lock(mutex);
        return !wake.wait_for(lock, duration, [this] { return stopping; });
    }

    Fault faultFor(const httplib::Request &req) const
    {
        if (req.path == "/status" && statusFault != Fault::None)
            return statusFault;
        if (req.path == "/search") {
            if (const auto it
                = faults.find(static_cast<int>(std::clamp(searchPageOf(req), -1LL, 1'000'000LL)));
                it != faults.end() && it->first != 0)
                return it->second;
        }
        const auto every = faults.find(0);
        return every == faults.end() ? Fault::None : every->second;
    }

    void sendHtml(httplib::Response &res, const std::string &html, const Knobs &k, int status = 200) const
    {
        res.status = status;
        res.set_content(
            pages::ForCharset(html, k.charset), pages::HtmlContentType(k.charset, k.declareInHeader));
    }

    std::string searchHead(const httplib::Request &req, bool withHeading) const
    {
        const bool isSearch = req.path == "/search";
        return pages::SearchPageHead(isSearch ? req.get_param_value("keyword") : std::string(),
            isSearch ? searchPageOf(req) : 1, characterBase(), withHeading);
    }

    httplib::Server::HandlerResponse preRoute(const httplib::Request &req, httplib::Response &res);
    void applyFault(Fault fault, const httplib::Request &req, httplib::Response &res, const Knobs &k);
    void installRoutes(httplib::Server &server);
    bool prepare();
};

httplib::Server::HandlerResponse Server::Impl::preRoute(const httplib::Request &req, httplib::Response &res)
{
    Fault fault = Fault::None;
    {
        std::lock_guard lock(mutex);
        ++requests;
        // One TCP connection keeps its client port for all its requests.
        connections.emplace(req.remote_addr, req.remote_port);
        if (req.path.ends_with("/search"))
            lastKeyword = req.get_param_value("keyword");
        fault = faultFor(req);
    }
    const Knobs k = knobs();
    if (k.latency.count() > 0 && !sleepUnlessStopping(k.latency)) {
        sendHtml(res, pages::ServerErrorPage(), k, 503);
        return httplib::Server::HandlerResponse::Handled;
    }
    if (fault == Fault::None)
        return httplib::Server::HandlerResponse::Unhandled;
    applyFault(fault, req, res, k);
    return httplib::Server::HandlerResponse::Handled;
}

void Server::Impl::applyFault(
    Fault fault, const httplib::Request &req, httplib::Response &res, const Knobs &k)
{
    const std::string contentType = pages::HtmlContentType(k.charset, k.declareInHeader);
    switch (fault) {
    case Fault::None:
        break;
    case Fault::ErrorStatus:
        sendHtml(res, pages::ServerErrorPage(), k, 500);
        break;
    case Fault::NoHeading:
        sendHtml(res, searchHead(req, false) + std::string(pages::SearchPageFooter()), k);
        break;
    case Fault::CloseMidBody: {
        // The length announced is the whole page; half of it comes before the connection drops.
        auto body = std::make_shared<const std::string>(
            pages::ForCharset(searchHead(req, true) + std::string(pages::SearchPageFooter()), k.charset));
        res.set_content_provider(
            body->size(), contentType, [body](std::size_t offset, std::size_t, httplib::DataSink &sink) {
                if (offset > 0)
                    return false;
                return sink.write(body->data(), body->size() / 2);
            });
        break;
    }
    case Fault::Hang:
        sleepUnlessStopping(k.hangFor);
        // Whoever still waits gets headers and a broken body rather than something to scrape.
        res.set_content_provider(
            1, contentType, [](std::size_t, std::size_t, httplib::DataSink &) { return false; });
        break;
    case Fault::Oversized: {
        auto head = std::make_shared<const std::string>(
            pages::ForCharset(searchHead(req, true) + "<!--", k.charset));
        auto tail = std::make_shared<const std::string>(
            pages::ForCharset("-->\n" + std::string(pages::SearchPageFooter()), k.charset));
        res.set_content_provider(kOversizedBytes, contentType,
            [head, tail](std::size_t offset, std::size_t length, httplib::DataSink &sink) {
                const std::size_t tailStart = kOversizedBytes - tail->size();
                std::string chunk;
                chunk.reserve(std::min(length, kOversizedChunk));
                for (std::size_t p = offset; p < offset + std::min(length, kOversizedChunk); ++p) {
                    if (p < head->size())
                        chunk += (*head)[p];
                    else if (p >= tailStart)
                        chunk += (*tail)[p - tailStart];
                    else
                        chunk += p % 100 == 99 ? '\n' : 'x';
                }
                return sink.write(chunk.data(), chunk.size());
            });
        break;
    }
    }
}

void Server::Impl::installRoutes(httplib::Server &server)
{
    using httplib::Request;
    using httplib::Response;

    server.set_pre_routing_handler([this](const Request &req, Response &res) { return preRoute(req, res); });
    // Unknown addresses answer like the site does: an HTML page, not an empty body.
    server.set_error_handler(httplib::Server::HandlerWithResponse([this](const Request &, Response &res) {
        if (!res.body.empty())
            return httplib::Server::HandlerResponse::Unhandled;
        const int status = res.status;
        sendHtml(res, pages::NotFoundPage(), knobs(), status);
        return httplib::Server::HandlerResponse::Handled;
    }));

    server.Get("/", [this](const Request &, Response &res) { sendHtml(res, pages::IndexPage(), knobs()); });
    server.Get("/search", [this](const Request &req, Response &res) {
        sendHtml(res, searchHead(req, true) + std::string(pages::SearchPageFooter()), knobs());
    });
    server.Get(R"(/characters/(.*))", [this](const Request &req, Response &res) {
        const Character *character = FindCharacter(req.matches[1].str());
        if (character)
            sendHtml(res, CharacterPageHtml(*character), knobs());
        else
            sendHtml(res, pages::NotFoundPage(), knobs(), 404);
    });
    server.Get("/status", [this](const Request &, Response &res) {
        res.set_content(knobs().statusBody, "text/plain; charset=utf-8");
    });
    server.Get("/pds/index.php", [](const Request &req, Response &res) {
        res.set_content("download stub " + req.get_param_value("file_name"), "text/plain; charset=utf-8");
    });
    server.Get(R"(/music([123]))", [this](const Request &req, Response &res) {
        if (const std::string redirect = knobs().musicRedirect; !redirect.empty())
            return res.set_redirect(redirect);
        sendHtml(res, pages::MusicPage(std::stoi(req.matches[1].str())), knobs());
    });
    server.Get("/popup", [this](const Request &req, Response &res) {
        sendHtml(res, pages::PopupPage(req.get_param_value("id"), numberParam(req, "close")), knobs());
    });
    server.Get("/popuptest", [this](const Request &req, Response &res) {
        const int count = static_cast<int>(
            std::clamp(numberParam(req, "count").value_or(2), 0LL, static_cast<long long>(kMaxPopups)));
        sendHtml(res, pages::PopupTestPage(count, numberParam(req, "closeFirst")), knobs());
    });
    server.Get("/popupflood", [this](const Request &req, Response &res) {
        const int count = static_cast<int>(std::clamp(numberParam(req, "count").value_or(200), 0LL, 1000LL));
        sendHtml(res, pages::PopupFloodPage(count), knobs());
    });
    server.Get("/hostile/search", [this](const Request &req, Response &res) {
        sendHtml(res, pages::HostileSearchPage(searchPageOf(req), characterBase()), knobs());
    });
    // A server that amplifies: every page just under the size cap, every field running to its end;
    // /hostile/amplify/kib/N/search for pages of N KiB.
    server.Get(R"(/hostile/amplify(/kib/(\d{1,5}))?/search)", [this](const Request &req, Response &res) {
        const std::size_t bytes
            = req.matches[2].matched ? std::stoul(req.matches[2].str()) * 1024 : pages::AmplifyingBytes;
        sendHtml(res, pages::AmplifyingSearchPage(characterBase(), std::min(bytes, pages::AmplifyingBytes)),
            knobs());
    });
    server.Get("/hostile/amplify/character",
        [this](const Request &, Response &res) { sendHtml(res, pages::AmplifyingCharacterPage(), knobs()); });
    // A character's full page under an error status (?status=404 and so on): whatever it holds,
    // the server said no.
    server.Get("/hostile/character/error", [this](const Request &req, Response &res) {
        const int status
            = static_cast<int>(std::clamp(numberParam(req, "status").value_or(404), 400LL, 599LL));
        sendHtml(res, CharacterPageHtml(Roster()[kWith5Items]), knobs(), status);
    });
    // An ordinary search page under more header lines than a client's parser takes.
    server.Get("/hostile/headers/search", [this](const Request &req, Response &res) {
        for (int i = 0; i < 150; ++i)
            res.set_header("X-Thornvale-Line-" + std::to_string(i), "1");
        sendHtml(res, searchHead(req, true) + std::string(pages::SearchPageFooter()), knobs());
    });
    server.Get("/hostile/utf16/search", [this](const Request &, Response &res) {
        res.set_content(pages::LoneSurrogateSearchPage(characterBase()), "text/html; charset=utf-16le");
    });
    server.Get("/hostile/file.bin", [](const Request &, Response &res) {
        res.set_header("Content-Disposition", "attachment; filename=\"thornvale-test.bin\"");
        res.set_content(std::string(4096, '\x5a'), "application/octet-stream");
    });
    // The service worker /hostile/storage tries to register.
    server.Get("/hostile/worker.js", [](const Request &, Response &res) {
        res.set_content("self.addEventListener('fetch', () => {});\n", "text/javascript");
    });
    server.Get(R"(/hostile/([a-z]+))", [this](const Request &req, Response &res) {
        if (const auto html = pages::HostileMusicPage(req.matches[1].str(), req.get_param_value("to")))
            sendHtml(res, *html, knobs());
        else
            sendHtml(res, pages::NotFoundPage(), knobs(), 404);
    });
    server.Get(R"(/audio/([1-9])\.wav)", [](const Request &req, Response &res) {
        res.set_content(pages::SineWav(std::stoi(req.matches[1].str())), "audio/wav");
    });
}

bool Server::Impl::prepare()
{
    {
        std::lock_guard lock(mutex);
        stopping = false;
    }
    http = std::make_unique<HttpServer>();
    installRoutes(*http);
    // httplib closes a connection after 5 requests or 5 idle seconds by default; a page run must
    // be able to use one connection throughout.
    http->set_keep_alive_max_count(1000);
    http->set_keep_alive_timeout(30);
    http->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // Only SO_REUSEADDR: with SO_REUSEPORT a second server could bind a port that is taken.
    http->set_socket_options([](socket_t sock) {
        int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });

    std::string host;
    int wanted = 0;
    {
        std::lock_guard lock(mutex);
        host = options.host;
        wanted = options.port;
    }
    const int bound
        = wanted == 0 ? http->bind_to_any_port(host) : (http->bind_to_port(host, wanted) ? wanted : -1);
    port = bound > 0 ? bound : 0;
    return bound > 0;
}

Server::Server(Options options)
    : d(std::make_unique<Impl>())
{
    d->options = std::move(options);
}

Server::~Server()
{
    stop();
}

bool Server::start()
{
    if (d->thread.joinable())
        return true;
    if (!d->prepare())
        return false;
    HttpServer *http = d->http.get();
    auto ended = std::make_shared<std::atomic<bool>>(false);
    d->thread = std::thread([http, ended] {
        http->listen_after_bind();
        *ended = true;
    });
    // httplib's stop() does nothing until the listener runs; wait for it so stop() always works.
    while (!http->is_running() && !*ended)
        std::this_thread::sleep_for(Milliseconds(1));
    return true;
}

bool Server::listenBlocking()
{
    if (d->thread.joinable() || !d->prepare())
        return false;
    return d->http->listen_after_bind();
}

void Server::stop()
{
    {
        std::lock_guard lock(d->mutex);
        d->stopping = true;
    }
    d->wake.notify_all();
    if (d->http)
        d->http->stopAndDisconnect();
    if (d->thread.joinable())
        d->thread.join();
}

int Server::port() const
{
    return d->port;
}

std::string Server::baseUrl() const
{
    return d->baseUrl();
}

std::string Server::characterBase() const
{
    return d->characterBase();
}

std::string Server::statusUrl() const
{
    return d->baseUrl() + "/status";
}

void Server::setLatency(std::chrono::milliseconds latency)
{
    std::lock_guard lock(d->mutex);
    d->options.latency = latency;
}

void Server::setCharset(Charset charset, bool declareInHeader)
{
    std::lock_guard lock(d->mutex);
    d->options.charset = charset;
    d->options.declareCharsetInHeader = declareInHeader;
}

void Server::setStatusBody(std::string body)
{
    std::lock_guard lock(d->mutex);
    d->options.statusBody = std::move(body);
}

void Server::setFault(int page, Fault fault)
{
    std::lock_guard lock(d->mutex);
    if (fault == Fault::None)
        d->faults.erase(page);
    else
        d->faults[page] = fault;
}

void Server::setStatusFault(Fault fault)
{
    std::lock_guard lock(d->mutex);
    d->statusFault = fault;
}

void Server::clearFaults()
{
    std::lock_guard lock(d->mutex);
    d->faults.clear();
    d->statusFault = Fault::None;
}

std::string Server::lastKeyword() const
{
    std::lock_guard lock(d->mutex);
    return d->lastKeyword;
}

std::size_t Server::connectionsAccepted() const
{
    std::lock_guard lock(d->mutex);
    return d->connections.size();
}

std::size_t Server::requestsServed() const
{
    std::lock_guard lock(d->mutex);
    return d->requests;
}

void Server::resetCounters()
{
    std::lock_guard lock(d->mutex);
    d->connections.clear();
    d->requests = 0;
}

} // namespace sitesim
