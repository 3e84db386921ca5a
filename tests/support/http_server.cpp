#include "tests/support/http_server.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr uintptr_t kNoSocket = ~static_cast<uintptr_t>(0);

const char* ReasonPhrase(int status) {
    switch (status) {
    case 200: return "OK";
    case 204: return "No Content";
    case 206: return "Partial Content";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 404: return "Not Found";
    case 416: return "Range Not Satisfiable";
    case 500: return "Internal Server Error";
    default: return "Status";
    }
}

bool SendAll(SOCKET socket, const char* data, size_t size) {
    while (size > 0) {
        const int sent = send(socket, data, static_cast<int>(std::min<size_t>(size, 1 << 20)), 0);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

// Reads up to the blank line that ends the request head.
std::string ReadRequestHead(SOCKET socket) {
    std::string head;
    char buffer[2048];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        const int got = recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) break;
        head.append(buffer, static_cast<size_t>(got));
    }
    return head;
}

std::string RequestPath(const std::string& head) {
    const size_t start = head.find(' ');
    if (start == std::string::npos) return std::string();
    const size_t end = head.find(' ', start + 1);
    return head.substr(start + 1, end == std::string::npos ? std::string::npos : end - start - 1);
}

long long BodyLength(const HttpResponse& response) {
    return response.generatedBytes >= 0 ? response.generatedBytes : static_cast<long long>(response.body.size());
}

// The generated body repeats the bytes 0..250 so that any window into it is recognisable.
void FillPattern(std::string& piece, long long offset) {
    for (size_t i = 0; i < piece.size(); ++i) piece[i] = static_cast<char>((offset + static_cast<long long>(i)) % 251);
}

std::string ResponseHead(const HttpResponse& response) {
    char line[64];
    std::snprintf(line, sizeof line, "HTTP/1.1 %d %s\r\n", response.status, ReasonPhrase(response.status));
    std::string head = line;
    for (const auto& header : response.headers) head += header.first + ": " + header.second + "\r\n";
    if (response.sendContentLength) head += "Content-Length: " + std::to_string(BodyLength(response)) + "\r\n";
    head += "Connection: close\r\n\r\n";
    return head;
}

}  // namespace

uintptr_t ListenOnLoopback(unsigned short& port) {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (listener == INVALID_SOCKET || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener, 16) != 0) {
        if (listener != INVALID_SOCKET) closesocket(listener);
        return kNoSocket;
    }
    int length = sizeof address;
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return listener;
}

HttpResponse HttpResponse::Ok(std::string body) { return Status(200, std::move(body)); }

HttpResponse HttpResponse::Status(int status, std::string body) {
    HttpResponse response;
    response.status = status;
    response.body = std::move(body);
    return response;
}

HttpResponse HttpResponse::Redirect(int status, const std::string& location) {
    HttpResponse response = Status(status, "moved");
    response.headers.emplace_back("Location", location);
    return response;
}

TestHttpServer::TestHttpServer()
    : listener_(kNoSocket),
      stopEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      releaseEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
    listener_ = ListenOnLoopback(port_);
    if (listener_ == kNoSocket) return;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
    SetEvent(stopEvent_);
    if (listener_ != kNoSocket) closesocket(static_cast<SOCKET>(listener_));
    if (acceptThread_.joinable()) acceptThread_.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        connections.swap(connections_);
    }
    for (auto& connection : connections) connection.join();
    CloseHandle(stopEvent_);
    CloseHandle(releaseEvent_);
    WSACleanup();
}

std::string TestHttpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::wstring TestHttpServer::WideUrl(const std::string& path) const {
    const std::string url = Url(path);
    return std::wstring(url.begin(), url.end());
}

void TestHttpServer::Route(const std::string& path, HttpResponse response) {
    RouteSequence(path, {std::move(response)});
}

void TestHttpServer::RouteSequence(const std::string& path, std::vector<HttpResponse> answers) {
    std::lock_guard<std::mutex> lock(mutex_);
    routes_[path] = std::move(answers);
}

int TestHttpServer::RequestCount(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? 0 : static_cast<int>(found->second.size());
}

std::vector<std::string> TestHttpServer::RequestHeaders(const std::string& path) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = requests_.find(path);
    return found == requests_.end() ? std::vector<std::string>() : found->second;
}

void TestHttpServer::ReleaseHeldBodies() { SetEvent(releaseEvent_); }

bool TestHttpServer::Wait(DWORD ms) const { return WaitForSingleObject(stopEvent_, ms) == WAIT_TIMEOUT; }

void TestHttpServer::AcceptLoop() {
    for (;;) {
        SOCKET client = accept(static_cast<SOCKET>(listener_), nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (WaitForSingleObject(stopEvent_, 0) == WAIT_OBJECT_0) {
            closesocket(client);
            return;
        }
        connections_.emplace_back([this, client] { Serve(client); });
    }
}

void TestHttpServer::Serve(uintptr_t client) {
    const SOCKET socket = static_cast<SOCKET>(client);
    const std::string head = ReadRequestHead(socket);
    const std::string path = RequestPath(head);
    HttpResponse response = HttpResponse::Status(404, "no route");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string>& seen = requests_[path];
        seen.push_back(head);
        auto found = routes_.find(path);
        if (found != routes_.end() && !found->second.empty())
            response = found->second[std::min(seen.size(), found->second.size()) - 1];
    }
    const std::string responseHead = ResponseHead(response);
    if (response.resetConnection || response.resetAfterHead) {
        // The client is given a moment to read the head before the reset discards what it holds.
        if (response.resetAfterHead && SendAll(socket, responseHead.data(), responseHead.size())) Wait(300);
        const linger abort = {1, 0};  // closing with a zero linger sends a reset
        setsockopt(socket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort), sizeof abort);
        closesocket(socket);
        return;
    }
    if (SendAll(socket, responseHead.data(), responseHead.size())) SendBody(client, response);
    shutdown(socket, SD_SEND);
    closesocket(socket);
}

bool TestHttpServer::SendBody(uintptr_t client, const HttpResponse& response) {
    const SOCKET socket = static_cast<SOCKET>(client);
    long long total = BodyLength(response);
    if (response.cutAfter >= 0) total = std::min(total, response.cutAfter);
    const long long pieceBytes = response.pieceBytes > 0 ? static_cast<long long>(response.pieceBytes) : 256 * 1024;
    bool stalled = response.stallMs == 0;
    if (response.holdBody) {
        const HANDLE events[] = {stopEvent_, releaseEvent_};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) return false;
    }
    std::string piece;
    for (long long sent = 0;;) {
        if (!stalled && sent >= response.stallAfter) {
            stalled = true;
            if (!Wait(response.stallMs)) return false;
        }
        if (sent >= total) return true;
        long long size = std::min(pieceBytes, total - sent);
        if (!stalled) size = std::min(size, response.stallAfter - sent);
        if (response.generatedBytes >= 0) {
            piece.resize(static_cast<size_t>(size));
            FillPattern(piece, sent);
        } else {
            piece.assign(response.body, static_cast<size_t>(sent), static_cast<size_t>(size));
        }
        if (!SendAll(socket, piece.data(), piece.size())) return false;
        sent += size;
        if (response.pieceDelayMs > 0 && sent < total && !Wait(response.pieceDelayMs)) return false;
    }
}
