#pragma once
// A forward HTTP proxy on 127.0.0.1 for tests. Whatever host a request names, it relays it to
// 127.0.0.1 (so test URLs may name hosts that do not exist): a plain request in absolute form to
// the upstream port, a CONNECT tunnel to the port it names. It counts what it relayed. Or, when asked, it
// answers every request with 407 and an NTLM/Negotiate challenge that it never accepts.

#include <winsock2.h>
// winsock2.h must come before windows.h.
#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestProxyServer {
public:
    explicit TestProxyServer(unsigned short upstreamPort);
    ~TestProxyServer();
    TestProxyServer(const TestProxyServer&) = delete;
    TestProxyServer& operator=(const TestProxyServer&) = delete;

    bool Started() const { return listener_ != INVALID_SOCKET; }
    unsigned short Port() const { return port_; }
    // "127.0.0.1:<port>", as Windows' proxy settings write it.
    std::string Address() const;
    void RequireAuthentication(bool required) { requireAuthentication_ = required; }
    // The first line of every request received ("GET http://... HTTP/1.1", "CONNECT host:443 ...").
    std::vector<std::string> Requests() const;

private:
    void AcceptLoop();
    void Serve(SOCKET client);

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    unsigned short upstreamPort_;
    volatile bool requireAuthentication_ = false;
    std::thread acceptThread_;
    mutable std::mutex mutex_;
    std::vector<std::thread> connections_;
    std::vector<std::string> requests_;
};
