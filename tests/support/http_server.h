#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for tests and benchmarks. It listens on a free port,
// answers each connection on its own thread with the response routed for the request's path,
// and stops by itself when destroyed.

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct HttpResponse {
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // A generated body of this many bytes (a repeating pattern) instead of `body`, for large files.
    long long generatedBytes = -1;
    bool sendContentLength = true;
    // Close the connection after this many body bytes even though more were announced.
    long long cutAfter = -1;
    // Pause after sending this many body bytes (0: right after the headers), for stallMs.
    long long stallAfter = 0;
    DWORD stallMs = 0;
    // Send the body in pieces of this size with this pause in between (0: as fast as possible).
    size_t pieceBytes = 0;
    DWORD pieceDelayMs = 0;
    // Send the headers, then hold the body back until the test calls ReleaseHeldBodies().
    bool holdBody = false;
    // Reset the connection without answering, as a server restarting or a flaky link does.
    bool resetConnection = false;
    // Send the headers, then reset the connection before any body byte.
    bool resetAfterHead = false;

    static HttpResponse Ok(std::string body);
    static HttpResponse Status(int status, std::string body);
    static HttpResponse Redirect(int status, const std::string& location);
};

// A listening socket on 127.0.0.1 at a free port (stored in `port`), or ~0 when none could be
// made. Winsock is started for it; the caller ends it with WSACleanup when done.
uintptr_t ListenOnLoopback(unsigned short& port);

class TestHttpServer {
public:
    TestHttpServer();
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    bool Started() const { return listener_ != ~static_cast<uintptr_t>(0); }
    unsigned short Port() const { return port_; }
    std::string Url(const std::string& path) const;
    std::wstring WideUrl(const std::string& path) const;

    void Route(const std::string& path, HttpResponse response);
    // The n-th request for `path` gets the n-th answer; the last one answers all later requests.
    void RouteSequence(const std::string& path, std::vector<HttpResponse> answers);
    int RequestCount(const std::string& path) const;
    void ReleaseHeldBodies();
    // The request lines and headers received for `path`, oldest first.
    std::vector<std::string> RequestHeaders(const std::string& path) const;

private:
    void AcceptLoop();
    void Serve(uintptr_t client);
    bool SendBody(uintptr_t client, const HttpResponse& response);
    bool Wait(DWORD ms) const;

    uintptr_t listener_;
    unsigned short port_ = 0;
    HANDLE stopEvent_;
    HANDLE releaseEvent_;
    std::thread acceptThread_;
    mutable std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::map<std::string, std::vector<HttpResponse>> routes_;
    std::map<std::string, std::vector<std::string>> requests_;
};
