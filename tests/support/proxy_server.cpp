#include "tests/support/proxy_server.h"

#include <ws2tcpip.h>

#include "tests/support/http_server.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool SendText(SOCKET socket, const std::string& text) {
    for (size_t sent = 0; sent < text.size();) {
        const int got = send(socket, text.data() + sent, static_cast<int>(text.size() - sent), 0);
        if (got <= 0) return false;
        sent += static_cast<size_t>(got);
    }
    return true;
}

std::string ReadHead(SOCKET socket) {
    std::string head;
    char ch;
    // Byte by byte: what follows the head (a TLS hello in a tunnel) belongs to the upstream.
    while (head.size() < 65536 && head.find("\r\n\r\n") == std::string::npos &&
           recv(socket, &ch, 1, 0) == 1) {
        head += ch;
    }
    return head;
}

SOCKET ConnectLoopback(unsigned short port) {
    SOCKET upstream = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    if (upstream != INVALID_SOCKET &&
        connect(upstream, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        closesocket(upstream);
        return INVALID_SOCKET;
    }
    return upstream;
}

void Pump(SOCKET from, SOCKET to) {
    char buffer[65536];
    int got;
    while ((got = recv(from, buffer, sizeof buffer, 0)) > 0) {
        if (!SendText(to, std::string(buffer, static_cast<size_t>(got)))) break;
    }
    shutdown(to, SD_SEND);
}

// "GET http://host:port/path HTTP/1.1" becomes "GET /path HTTP/1.1" for the upstream.
std::string OriginForm(const std::string& head) {
    const size_t target = head.find(' ') + 1;
    const size_t authority = head.find("://", target);
    const size_t lineEnd = head.find("\r\n");
    if (authority == std::string::npos || authority > lineEnd) return head;
    const size_t path = head.find('/', authority + 3);
    return head.substr(0, target) + head.substr(std::min(path, head.find(' ', authority)));
}

// The port of "CONNECT host:port HTTP/1.1", or 0.
unsigned short TunnelPort(const std::string& head) {
    if (head.compare(0, 8, "CONNECT ") != 0) return 0;
    const size_t colon = head.find(':', 8);
    const size_t space = head.find(' ', 8);
    if (colon == std::string::npos || colon > space) return 0;
    return static_cast<unsigned short>(std::atoi(head.c_str() + colon + 1));
}

const char kChallenge[] =
    "HTTP/1.1 407 Proxy Authentication Required\r\nProxy-Authenticate: NTLM\r\nProxy-Authenticate: "
    "Negotiate\r\n"
    "Content-Length: 0\r\nConnection: close\r\n\r\n";

}  // namespace

TestProxyServer::TestProxyServer(unsigned short upstreamPort) : upstreamPort_(upstreamPort) {
    listener_ = static_cast<SOCKET>(ListenOnLoopback(port_));
    if (listener_ == INVALID_SOCKET) return;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TestProxyServer::~TestProxyServer() {
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    if (acceptThread_.joinable()) acceptThread_.join();
    for (auto& connection : connections_) connection.join();
    WSACleanup();
}

std::string TestProxyServer::Address() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::vector<std::string> TestProxyServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void TestProxyServer::AcceptLoop() {
    for (;;) {
        SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        std::lock_guard<std::mutex> lock(mutex_);
        connections_.emplace_back([this, client] { Serve(client); });
    }
}

void TestProxyServer::Serve(SOCKET client) {
    const std::string head = ReadHead(client);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(head.substr(0, head.find("\r\n")));
    }
    const unsigned short tunnelPort = TunnelPort(head);
    const bool tunnel = tunnelPort != 0;
    SOCKET upstream =
        requireAuthentication_ ? INVALID_SOCKET : ConnectLoopback(tunnel ? tunnelPort : upstreamPort_);
    if (upstream == INVALID_SOCKET) {
        SendText(client, requireAuthentication_ ? kChallenge : "HTTP/1.1 502 Bad Gateway\r\n\r\n");
    } else {
        const bool ready = tunnel ? SendText(client, "HTTP/1.1 200 Connection established\r\n\r\n")
                                  : SendText(upstream, OriginForm(head));
        if (ready) {
            std::thread back([&] { Pump(upstream, client); });
            Pump(client, upstream);
            back.join();
        }
        closesocket(upstream);
    }
    shutdown(client, SD_SEND);
    closesocket(client);
}
