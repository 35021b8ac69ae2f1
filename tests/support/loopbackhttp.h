// Windows tests: a stand-in for the tips service (or a proxy in front of it) on
// 127.0.0.1, answering every request with one body and status, or never.
#pragma once
#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumivox::testing {

class LoopbackHttp {
public:
    std::string body;
    int status = 200;
    bool hang = false;

    LoopbackHttp() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 8);
        int size = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackHttp() {
        stopping_ = true;
        closesocket(listener_);
        thread_.join();
        std::lock_guard lock(mutex_);
        for (SOCKET s : open_)
            closesocket(s);
        WSACleanup();
    }

    int Port() const { return port_; }

    // Each request's head as received (request line and headers).
    std::vector<std::string> Requests() {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    void Serve() {
        while (!stopping_) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET)
                return;
            std::string head;
            char buffer[1024];
            while (head.find("\r\n\r\n") == std::string::npos) {
                const int got = recv(client, buffer, sizeof buffer, 0);
                if (got <= 0)
                    break;
                head.append(buffer, std::size_t(got));
            }
            std::lock_guard lock(mutex_);
            requests_.push_back(head.substr(0, head.find("\r\n\r\n")));
            if (hang) {
                open_.push_back(client);
                continue;
            }
            const std::string reply =
                "HTTP/1.1 " + std::to_string(status) +
                " X\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
                "\r\nConnection: close\r\n\r\n" + body;
            for (std::size_t sent = 0; sent < reply.size();) {
                const int n = send(client, reply.data() + sent, int(reply.size() - sent), 0);
                if (n <= 0)
                    break;
                sent += std::size_t(n);
            }
            shutdown(client, SD_SEND);
            closesocket(client);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> requests_;
    std::vector<SOCKET> open_;
};

} // namespace lumivox::testing
