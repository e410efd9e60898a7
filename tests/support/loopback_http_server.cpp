#include "tests/support/loopback_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    std::string head = "HTTP/1.0 " + std::to_string(answer.Status) + " X\r\nContent-Length: " +
                       std::to_string(answer.Body.size()) + "\r\nConnection: close\r\n";
    if (!answer.Location.empty()) head += "Location: " + answer.Location + "\r\n";
    const std::string reply = head + "\r\n" + answer.Body;
    size_t sent = 0;
    while (sent < reply.size()) {
        const ssize_t n = send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += static_cast<size_t>(n);
    }
}
