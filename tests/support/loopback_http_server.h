// A tiny HTTP/1.0 server on 127.0.0.1 for the download tests: a free port is picked at start,
// each request is answered from a table of paths (status, body, optional Location) and the
// connection closed. An answer may drip (a few bytes at a time with pauses) or never end (the
// body repeated until the client goes away). Records the last User-Agent it was sent and counts
// the body bytes it sent.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

class LoopbackHttpServer {
public:
    struct Answer {
        int Status = 200;
        std::string Body;
        std::string Location;  // sent as Location (redirects)
        bool Endless = false;  // no Content-Length; the body repeated until the client leaves
        size_t DripBytes = 0;  // when not 0: the body goes in pieces of this many bytes ...
        int DripMillis = 0;    // ... with this pause before each piece
        size_t Announced = 0;  // when not 0: the Content-Length sent, whatever the body (a cut answer)
    };

    // A body of about two seconds on the wire (8 MiB in 4 KiB pieces a millisecond apart): long
    // enough to press Cancel while it arrives, fast enough never to count as a stalled transfer.
    static Answer LongAnswer();

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Set(const std::string& path, Answer answer);
    // "http://127.0.0.1:<port>" + path.
    std::string Url(const std::string& path) const;
    int Port() const { return port_; }
    std::string LastAgent() const;
    int Requests() const { return requests_; }
    // Body bytes sent since the server started.
    long long BytesSent() const { return bytes_sent_; }

private:
    void Serve();
    void Handle(int client);
    // False when the client went away (or the server is stopping) before all was sent.
    bool SendAll(int client, const std::string& data);

    int listen_fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::atomic<long long> bytes_sent_{0};
    mutable std::mutex mutex_;
    std::map<std::string, Answer> answers_;
    std::string agent_;
    std::thread thread_;
};
