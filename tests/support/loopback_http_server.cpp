#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

LoopbackHttpServer::LoopbackHttpServer() {
    listen_fd_ = socket(AF_INET, SOCK_STREAM, 0);
    if (listen_fd_ < 0) throw std::runtime_error("socket");
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(listen_fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listen_fd_, 16) != 0) {
        close(listen_fd_);
        throw std::runtime_error("bind");
    }
    socklen_t len = sizeof addr;
    getsockname(listen_fd_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    close(listen_fd_);
}

void LoopbackHttpServer::Set(const std::string& path, Answer answer) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_[path] = std::move(answer);
}

std::string LoopbackHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::string LoopbackHttpServer::LastAgent() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return agent_;
}

void LoopbackHttpServer::Serve() {
    while (!stop_) {
        pollfd p{listen_fd_, POLLIN, 0};
        if (poll(&p, 1, 20) <= 0) continue;
        const int client = accept(listen_fd_, nullptr, nullptr);
        if (client < 0) continue;
        Handle(client);
        close(client);
    }
}

void LoopbackHttpServer::Handle(int client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        pollfd p{client, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0) return;
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, static_cast<size_t>(n));
    }
    ++requests_;
    const size_t sp1 = request.find(' ');
    const size_t sp2 = request.find(' ', sp1 + 1);
    const std::string path = sp1 == std::string::npos ? "" : request.substr(sp1 + 1, sp2 - sp1 - 1);
    Answer answer{404, "not found", ""};
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const size_t a = request.find("User-Agent: ");
        agent_ = a == std::string::npos ? "" : request.substr(a + 12, request.find("\r\n", a) - a - 12);
        auto it = answers_.find(path);
        if (it != answers_.end()) answer = it->second;
    }
    std::string head = "HTTP/1.0 " + std::to_string(answer.Status) + " X\r\n";
    if (!answer.Endless)
        head += "Content-Length: " + std::to_string(answer.Announced ? answer.Announced : answer.Body.size()) + "\r\n";
    head += "Connection: close\r\n";
    if (!answer.Location.empty()) head += "Location: " + answer.Location + "\r\n";
    head += "\r\n";
    if (!SendAll(client, head)) return;
    if (!answer.Endless && answer.DripBytes == 0) {
        if (SendAll(client, answer.Body)) bytes_sent_ += static_cast<long long>(answer.Body.size());
        return;
    }
    // Piece by piece: an endless answer cycles through its body (or "x" when it has none).
    const std::string body = answer.Body.empty() && answer.Endless ? std::string("x") : answer.Body;
    const size_t piece = answer.DripBytes > 0 ? answer.DripBytes : 65536;
    size_t at = 0;
    while (!stop_ && (answer.Endless || at < body.size())) {
        if (answer.DripMillis > 0) std::this_thread::sleep_for(std::chrono::milliseconds(answer.DripMillis));
        std::string chunk;
        if (answer.Endless) {
            while (chunk.size() < piece) chunk += body;
            chunk.resize(piece);
        } else {
            chunk = body.substr(at, piece);
            at += chunk.size();
        }
        if (!SendAll(client, chunk)) return;
        bytes_sent_ += static_cast<long long>(chunk.size());
    }
}

bool LoopbackHttpServer::SendAll(int client, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        if (stop_) return false;
        pollfd p{client, POLLOUT, 0};
        if (poll(&p, 1, 20) == 0) continue;
        const ssize_t n = send(client, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

LoopbackHttpServer::Answer LoopbackHttpServer::LongAnswer() {
    Answer answer;
    answer.Body = std::string(8 << 20, 'a');
    answer.DripBytes = 4096;
    answer.DripMillis = 1;
    return answer;
}
