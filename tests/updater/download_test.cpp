// The transfer against a real HTTP server on 127.0.0.1: what gets stored, what fails, and the
// messages the window receives.

#include <gtest/gtest.h>

#include <curl/curl.h>

#include <string>
#include <vector>

#include "tests/support/http_server.h"
#include "tests/support/process.h"
#include "updater/delivery/download.h"
#include "updater/paths.h"

namespace {

// A message-only window that records what the download tells its owner.
class ProgressSink {
public:
    ProgressSink() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"UpdaterTestsProgressSink";
        RegisterClassW(&wc);
        window_ = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                  nullptr);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~ProgressSink() { DestroyWindow(window_); }
    HWND Window() const { return window_; }
    void Pump() {
        MSG msg;
        while (PeekMessageW(&msg, window_, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    std::vector<int> progress;
    std::vector<int> outcomes;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<ProgressSink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self && message == WM_DOWNLOAD_PROGRESS) self->progress.push_back(static_cast<int>(wParam));
        if (self && message == WM_DOWNLOAD_FINISHED) self->outcomes.push_back(static_cast<int>(wParam));
        return DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
};

std::string BinaryBody(size_t size) {
    std::string body(size, '\0');
    for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return body;
}

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Started());
        path = folder + L"file.bin";
    }

    // Downloads of the worker land in the shared temporary folder; none may outlive the test.
    void TearDown() override {
        for (const wchar_t* name :
             {L"stale-target.exe", L"locked-stale.exe", L"empty-url.exe", L"fit-target.exe"}) {
            DeleteFileW(TempDownloadPath(folder + name).c_str());
        }
    }

    bool Download(const std::string& route, const TransferLimits& limits = TransferLimits()) {
        CURL* curl = curl_easy_init();
        const bool result = DownloadToFile(curl, sink.Window(), server.Url(route), path, limits);
        curl_easy_cleanup(curl);
        sink.Pump();
        return result;
    }

    TestHttpServer server;
    ProgressSink sink;
    ScratchFolder scratch{L"download"};
    const std::wstring folder = scratch.Path();
    std::wstring path;
};

}  // namespace

TEST_F(DownloadTest, StoresTheBodyByteForByteWithRisingProgress) {
    const std::string body = BinaryBody(3 * 1024 * 1024 + 17);
    HttpResponse response = HttpResponse::Ok(body);
    response.pieceBytes = 64 * 1024;
    response.pieceDelayMs = 2;
    server.Route("/new.exe", response);
    ASSERT_TRUE(Download("/new.exe"));
    EXPECT_EQ(ReadWholeFile(path), body);
    ASSERT_FALSE(sink.progress.empty());
    for (size_t i = 0; i < sink.progress.size(); ++i) {
        EXPECT_GE(sink.progress[i], 0);
        EXPECT_LE(sink.progress[i], 100);
        if (i > 0) {
            EXPECT_GT(sink.progress[i], sink.progress[i - 1]);  // only a new percentage is posted
        }
    }
    EXPECT_EQ(sink.progress.back(), 100);
}

TEST_F(DownloadTest, ErrorAndPartialAnswersFailAndStoreNothing) {
    server.Route("/missing", HttpResponse::Status(404, "<html>not here</html>"));
    server.Route("/broken", HttpResponse::Status(500, "oops"));
    server.Route("/empty-error", HttpResponse::Status(500, ""));
    // Never asked for a range: a partial answer is not the program.
    server.Route("/partial", HttpResponse::Status(206, BinaryBody(5000)));
    HttpResponse gzip = HttpResponse::Ok("\x1f\x8b\x08 compressed");  // a coding nobody asked for
    gzip.headers.emplace_back("Content-Encoding", "gzip");
    server.Route("/gzip", gzip);
    for (const char* route : {"/missing", "/broken", "/empty-error", "/partial", "/gzip"}) {
        DeleteFileW(path.c_str());
        EXPECT_FALSE(Download(route)) << route;
        EXPECT_EQ(ReadWholeFile(path), "") << route;
    }
}

TEST_F(DownloadTest, RedirectsAreFollowedToTheFinalAnswer) {
    const std::string body = BinaryBody(5000);
    server.Route("/good", HttpResponse::Ok(body));
    server.Route("/to-good", HttpResponse::Redirect(302, server.Url("/good")));
    server.Route("/to-missing", HttpResponse::Redirect(301, "/nowhere"));
    ASSERT_TRUE(Download("/to-good"));
    EXPECT_EQ(ReadWholeFile(path), body);

    DeleteFileW(path.c_str());
    EXPECT_FALSE(Download("/to-missing"));
    EXPECT_EQ(ReadWholeFile(path), "");
}

TEST_F(DownloadTest, EndlessRedirectsFail) {
    server.Route("/loop", HttpResponse::Redirect(302, "/loop"));
    EXPECT_FALSE(Download("/loop"));
    EXPECT_LE(server.RequestCount("/loop"), 6);
    EXPECT_EQ(ReadWholeFile(path), "");
}

TEST_F(DownloadTest, ApachePageWithSuccessStatusFails) {
    server.Route("/page", HttpResponse::Ok("<html><head><title>Apache Tomcat - Error report</title>"));
    EXPECT_FALSE(Download("/page"));
    EXPECT_EQ(ReadWholeFile(path), "");
}

TEST_F(DownloadTest, MarkerBehindAZeroByteIsBinaryData) {
    std::string body("MZ\0\0", 4);
    body += "<html><head><title>Apache";
    server.Route("/binary", HttpResponse::Ok(body));
    ASSERT_TRUE(Download("/binary"));
    EXPECT_EQ(ReadWholeFile(path), body);
}

TEST_F(DownloadTest, BodyCutShortFails) {
    HttpResponse response = HttpResponse::Ok(BinaryBody(100000));
    response.cutAfter = 40000;
    server.Route("/cut", response);
    EXPECT_FALSE(Download("/cut"));
}

TEST_F(DownloadTest, ServerThatStopsSendingFailsTheTransfer) {
    HttpResponse response = HttpResponse::Ok(BinaryBody(100000));
    response.stallAfter = 20000;
    response.stallMs = 30000;
    server.Route("/stalled", response);
    TransferLimits limits;
    limits.stallSeconds = 2;  // the program waits 60 s; the rule is the same
    const DWORD start = GetTickCount();
    EXPECT_FALSE(Download("/stalled", limits));
    // Given up within 1.5 s after the limit (the difference wraps when it came early).
    EXPECT_LT(GetTickCount() - start - 2000u, 1500u);
}

TEST_F(DownloadTest, NoContentLengthMeansNoProgressButAnOutcome) {
    const std::string body = BinaryBody(200000);
    HttpResponse response = HttpResponse::Ok(body);
    response.sendContentLength = false;
    response.pieceBytes = 16 * 1024;
    server.Route("/unsized", response);
    ASSERT_TRUE(Download("/unsized"));
    EXPECT_EQ(ReadWholeFile(path), body);
    EXPECT_TRUE(sink.progress.empty());
}

TEST_F(DownloadTest, FileThatCannotBeCreatedFreshFailsWithoutATransfer) {
    server.Route("/x", HttpResponse::Ok("data"));
    // Something already at the path is never continued, whoever put it there.
    ASSERT_TRUE(WriteWholeFile(path, "foreign bytes"));
    EXPECT_FALSE(Download("/x"));
    EXPECT_EQ(ReadWholeFile(path), "foreign bytes");
    path = folder + L"no-such-folder\\file.bin";
    EXPECT_FALSE(Download("/x"));
    EXPECT_EQ(server.RequestCount("/x"), 0);
}

TEST_F(DownloadTest, UnicodeTemporaryPathWorks) {
    server.Route("/u", HttpResponse::Ok("unicode path body"));
    path = folder + L"\u5347\u7ea7-\u0434\u0430\u043d\u043d\u044b\u0435.bin";
    ASSERT_TRUE(Download("/u"));
    EXPECT_EQ(ReadWholeFile(path), "unicode path body");
}

TEST_F(DownloadTest, WorkerReplacesAStaleFileAndReportsOnce) {
    const std::wstring target = folder + L"stale-target.exe";
    const std::wstring temp = TempDownloadPath(target);
    ASSERT_TRUE(WriteWholeFile(temp, "old partial bytes"));
    const std::string body = BinaryBody(70000);
    server.Route("/fresh", HttpResponse::Ok(body));
    DownloadJob job;
    ASSERT_TRUE(StartDownload(sink.Window(), server.WideUrl("/fresh"), target, job));
    EXPECT_EQ(job.tempPath, temp);
    ASSERT_TRUE(WaitUntil([&] { return !sink.outcomes.empty(); }, 20000));
    EXPECT_EQ(sink.outcomes, std::vector<int>{1});
    EXPECT_EQ(ReadWholeFile(temp), body);
    // The server saw a plain request, not a continuation of the stale bytes.
    for (const auto& head : server.RequestHeaders("/fresh")) EXPECT_EQ(head.find("Range:"), std::string::npos);
}

TEST_F(DownloadTest, StaleFileThatCannotBeDeletedFailsWithoutTransfer) {
    const std::wstring target = folder + L"locked-stale.exe";
    const std::wstring temp = TempDownloadPath(target);
    ASSERT_TRUE(WriteWholeFile(temp, "old bytes that must not be continued"));
    UniqueHandle lock(CreateFileW(temp.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock.Valid());
    server.Route("/fresh", HttpResponse::Ok("new"));
    DownloadJob job;
    ASSERT_TRUE(StartDownload(sink.Window(), server.WideUrl("/fresh"), target, job));
    ASSERT_TRUE(WaitUntil([&] { return !sink.outcomes.empty(); }, 20000));
    EXPECT_EQ(sink.outcomes, std::vector<int>{0});
    EXPECT_EQ(server.RequestCount("/fresh"), 0);
    lock.Reset();
    EXPECT_EQ(ReadWholeFile(temp), "old bytes that must not be continued");
}

TEST_F(DownloadTest, WorkerFailsABodyThatDoesNotFitTheTarget) {
    const std::string program = "MZ" + BinaryBody(5000);
    const std::string portal = "<html><body>Please sign in to the network</body></html>";
    server.Route("/program", HttpResponse::Ok(program));
    server.Route("/portal", HttpResponse::Ok(portal));
    server.Route("/empty", HttpResponse::Ok(""));
    server.Route("/no-content", HttpResponse::Status(204, ""));
    struct Case {
        const char* route;
        std::string oldTarget;
        int outcome;
    } cases[] = {
        {"/portal", "MZ old program", 0}, {"/program", "MZ old program", 1},
        {"/portal", "old script", 1},     {"/empty", "old script", 0},
        {"/no-content", "", 0},           {"/program", "", 1},
    };
    const std::wstring target = folder + L"fit-target.exe";
    for (const Case& c : cases) {
        DeleteFileW(target.c_str());
        if (!c.oldTarget.empty()) {
            ASSERT_TRUE(WriteWholeFile(target, c.oldTarget));
        }
        sink.outcomes.clear();
        DownloadJob job;
        ASSERT_TRUE(StartDownload(sink.Window(), server.WideUrl(c.route), target, job));
        ASSERT_TRUE(WaitUntil([&] { return !sink.outcomes.empty(); }, 20000)) << c.route;
        EXPECT_EQ(sink.outcomes, std::vector<int>{c.outcome}) << c.route << " over \"" << c.oldTarget << "\"";
    }
}

TEST_F(DownloadTest, EmptyUrlIsAFailedDownload) {
    DownloadJob job;
    ASSERT_TRUE(StartDownload(sink.Window(), L"", folder + L"empty-url.exe", job));
    ASSERT_TRUE(WaitUntil([&] { return !sink.outcomes.empty(); }, 20000));
    EXPECT_EQ(sink.outcomes, std::vector<int>{0});
}
