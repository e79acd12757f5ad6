// The RDAP requests against a loopback HTTP server: what arrives, what the
// server saw, and that the window's thread never waits on the network.
#include <gtest/gtest.h>

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <string>
#include <vector>

#include "rdap/http_win.h"
#include "rdap/retry_after.h"
#include "win/loopback_server_win.h"
#include "win/test_support_win.h"

namespace {

// rdap.test in the sandbox's hosts file; 127.0.0.93 has no server.
const char kServerIp[] = "127.0.0.90";
const unsigned short kPort = 80;
const char kNobodyIp[] = "127.0.0.93";
const UINT kDone = WM_APP + 42;

std::vector<unsigned> posted;  // the ids the requests posted, in order

LRESULT CALLBACK DoneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kDone) {
        posted.push_back(static_cast<unsigned>(wParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Between two looks the thread's messages run, as the program's loop runs them.
void PumpBetween()
{
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

bool Posted(unsigned id)
{
    return std::find(posted.begin(), posted.end(), id) != posted.end();
}

class HttpGetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DoneProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PellwickHttpTest";
        RegisterClassA(&wc);
        window = CreateWindowA("PellwickHttpTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
        ASSERT_NE(window, nullptr);
        posted.clear();
        ASSERT_TRUE(server.ok());
    }
    void TearDown() override
    {
        CancelAllHttpGets();
        SetHttpWaits(HttpWaits());
        server.Stop();
        DestroyWindow(window);
    }

    // Starts a request and waits, pumping, for its message and result.
    HttpResult Get(const std::string &url, bool allowHttp = true)
    {
        HttpResult result;
        unsigned long error = 0;
        unsigned id = StartHttpGet(url, allowHttp, window, kDone, &error);
        EXPECT_NE(id, 0u) << "error " << error;
        EXPECT_TRUE(WaitUntil(10000, [id] { return Posted(id); }, PumpBetween)) << url;
        EXPECT_TRUE(TakeHttpResult(id, result));
        EXPECT_FALSE(TakeHttpResult(id, result)) << "a result is taken once";
        return result;
    }

    HWND window = nullptr;
    HttpServer server{kServerIp, kPort};
};

TEST_F(HttpGetTest, AnswersArriveWithStatusHeadersAndBody)
{
    const std::string json = "{\"objectClassName\":\"domain\",\"ldhName\":\"example.test\"}";
    server.Set("/domain/example.test", JsonAnswer(200, json));
    server.Set("/domain/missing.test", JsonAnswer(404, "{\"errorCode\":404}"));
    server.Set("/domain/busy.test", JsonAnswer(429, "{}", "Retry-After: 120\r\n"));
    server.Start();

    HttpResult found = Get("http://rdap.test/domain/example.test");
    EXPECT_EQ(found.error, 0u);
    EXPECT_EQ(found.status, 200);
    EXPECT_EQ(found.body, json);
    EXPECT_FALSE(found.truncated);
    EXPECT_EQ(found.finalUrl, "http://rdap.test/domain/example.test");
    EXPECT_EQ(server.RequestHeader(0, "Accept"), "application/rdap+json");
    EXPECT_EQ(server.RequestHeader(0, "Host"), "rdap.test");

    HttpResult missing = Get("http://rdap.test/domain/missing.test");
    EXPECT_EQ(missing.error, 0u);
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.body, "{\"errorCode\":404}");
    EXPECT_EQ(missing.retryAfter, "");

    HttpResult busy = Get("http://rdap.test/domain/busy.test");
    EXPECT_EQ(busy.status, 429);
    EXPECT_EQ(busy.retryAfter, "120");
    EXPECT_EQ(RetryAfterText(busy.retryAfter), "120 seconds");
}

TEST_F(HttpGetTest, RedirectsAreFollowedAndPlainHttpOnlyWhenAllowed)
{
    server.Set("/ip/192.0.2.1", RedirectTo("http://127.0.0.90/registrar/ip/192.0.2.1"));
    server.Set("/registrar/ip/192.0.2.1", JsonAnswer(200, "{\"handle\":\"NET-1\"}"));
    server.Start();

    HttpResult moved = Get("http://rdap.test/ip/192.0.2.1");
    EXPECT_EQ(moved.status, 200);
    EXPECT_EQ(moved.body, "{\"handle\":\"NET-1\"}");
    EXPECT_EQ(moved.finalUrl, "http://127.0.0.90/registrar/ip/192.0.2.1");
    EXPECT_EQ(server.Requests("/ip/192.0.2.1"), 1);
    EXPECT_EQ(server.Requests("/registrar/ip/192.0.2.1"), 1);

    // Without plain HTTP an http:// address is refused before any connection.
    const int before = server.Accepted();
    unsigned long error = 0;
    EXPECT_EQ(StartHttpGet("http://rdap.test/ip/192.0.2.1", false, window, kDone, &error), 0u);
    EXPECT_EQ(error, static_cast<unsigned long>(ERROR_WINHTTP_UNRECOGNIZED_SCHEME));
    EXPECT_FALSE(HttpErrorText(error).empty());
    EXPECT_EQ(StartHttpGet("ftp://rdap.test/x", true, window, kDone, &error), 0u);
    EXPECT_NE(error, 0u);
    EXPECT_EQ(StartHttpGet("not an address", true, window, kDone, &error), 0u);
    EXPECT_NE(error, 0u);
    Sleep(200);
    EXPECT_EQ(server.Accepted(), before);
}

TEST_F(HttpGetTest, CancelReturnsAtOnceClosesTheConnectionAndPostsNothing)
{
    // The cancelled request's thread closes its connection once the call it
    // waits in returns: a short wait keeps the test short.
    HttpWaits waits;
    waits.receiveMs = 1500;
    SetHttpWaits(waits);
    server.Set("/domain/slow.test", Hang());
    server.Start();

    unsigned id = StartHttpGet("http://rdap.test/domain/slow.test", true, window, kDone, nullptr);
    ASSERT_NE(id, 0u);
    ASSERT_TRUE(WaitUntil(10000, [this] { return server.Requests("/domain/slow.test") == 1; },
                          PumpBetween));
    // The request's thread is now waiting for the answer.
    Sleep(100);

    const ULONGLONG before = GetTickCount64();
    CancelHttpGet(id);
    EXPECT_LT(GetTickCount64() - before, 200u);

    EXPECT_TRUE(WaitUntil(5000, [this] { return server.PeerClosed(0); }, PumpBetween))
        << "the connection closes once the request is cancelled";
    // The request has ended by now, so a message it sent would be here.
    EXPECT_FALSE(WaitUntil(500, [id] { return Posted(id); }, PumpBetween));
    HttpResult result;
    EXPECT_FALSE(TakeHttpResult(id, result));
    CancelHttpGet(id);  // a second time is harmless
}

TEST_F(HttpGetTest, FailuresAreErrorsWithAReadableText)
{
    HttpResult refused = Get(std::string("http://") + kNobodyIp + "/domain/example.test");
    EXPECT_NE(refused.error, 0u);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(HttpErrorText(refused.error), "the server cannot be reached");

    HttpWaits waits;
    waits.receiveMs = 1000;
    SetHttpWaits(waits);
    server.Set("/domain/slow.test", Hang());
    server.Start();
    HttpResult slow = Get("http://rdap.test/domain/slow.test");
    EXPECT_EQ(slow.error, static_cast<unsigned long>(ERROR_WINHTTP_TIMEOUT));
    EXPECT_EQ(slow.status, 0);
    EXPECT_EQ(HttpErrorText(slow.error), "timed out");
    EXPECT_TRUE(WaitUntil(2000, [this] { return server.PeerClosed(0); }, PumpBetween));

    // No WinHTTP error reaches the user as a bare number.
    for (unsigned long e = WINHTTP_ERROR_BASE + 1; e <= WINHTTP_ERROR_LAST; ++e) {
        const std::string text = HttpErrorText(e);
        EXPECT_TRUE(!text.empty() && text.find("rror") == std::string::npos &&
                    (text[0] < '0' || text[0] > '9'))
            << e << ": " << text;
    }
}

TEST_F(HttpGetTest, LargeBodiesArriveWholeUpToTheLimit)
{
    std::string big(4u * 1024u * 1024u, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>('a' + i % 26);
    server.Set("/big", JsonAnswer(200, big));
    server.Set("/huge", JsonAnswer(200, std::string(HTTP_BODY_LIMIT + 100000, 'x')));
    server.Start();

    HttpResult whole = Get("http://rdap.test/big");
    EXPECT_EQ(whole.status, 200);
    EXPECT_EQ(whole.body.size(), big.size());
    EXPECT_TRUE(whole.body == big);
    EXPECT_FALSE(whole.truncated);

    HttpResult cut = Get("http://rdap.test/huge");
    EXPECT_EQ(cut.error, 0u);
    EXPECT_EQ(cut.body.size(), HTTP_BODY_LIMIT);
    EXPECT_TRUE(cut.truncated);
}

// A cancelled request's thread may still be in a call when the next request
// starts and is given the very handle values the first had (Wine hands out
// the lowest free ones): the new request must get its own answer whole.
TEST_F(HttpGetTest, ACancelledRequestNeverTouchesTheNextOne)
{
    HttpServer other{"127.0.0.91", kPort};
    ASSERT_TRUE(other.ok());
    std::string body(64 * 1024, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>('A' + i % 23);
    server.Set("/slow", Trickle(std::string(400, 's'), 5));
    other.Set("/fast", JsonAnswer(200, body));
    server.Start();
    other.Start();
    for (int round = 1; round <= 12; ++round) {
        SCOPED_TRACE(round);
        const unsigned slow = StartHttpGet("http://rdap.test/slow", true, window, kDone, nullptr);
        ASSERT_NE(slow, 0u);
        ASSERT_TRUE(WaitUntil(5000, [&] { return server.Requests("/slow") == round; }, PumpBetween));
        Sleep(static_cast<DWORD>(20 + round * 5));  // the slow one is reading its body now
        CancelHttpGet(slow);
        const HttpResult fast = Get("http://registrar-rdap.test/fast");
        EXPECT_EQ(fast.error, 0u) << HttpErrorText(fast.error);
        EXPECT_EQ(fast.status, 200);
        EXPECT_TRUE(fast.body == body) << fast.body.size() << " bytes";
        EXPECT_FALSE(Posted(slow));
    }
}

// A server that sends a byte now and then never lets a read's wait run out;
// the request as a whole still ends at its limit.
TEST_F(HttpGetTest, ATricklingAnswerEndsAtTheRequestsTimeLimit)
{
    HttpWaits waits;
    waits.totalMs = 1500;
    SetHttpWaits(waits);
    server.Set("/trickle", Trickle(std::string(1000, 't'), 50));
    server.Start();
    const ULONGLONG start = GetTickCount64();
    const HttpResult r = Get("http://rdap.test/trickle");
    const ULONGLONG took = GetTickCount64() - start;
    EXPECT_EQ(r.error, static_cast<unsigned long>(ERROR_WINHTTP_TIMEOUT));
    EXPECT_EQ(HttpErrorText(r.error), "timed out");
    EXPECT_GE(took, 1400u);
    EXPECT_LT(took, 4000u);
}

// Through the HTTPS fronts of tests/tls_fronts.sh, which pass what gets
// through on to the server here: a good chain answers, and each refused one
// fails with its own fault before a request reaches the server.
TEST_F(HttpGetTest, HttpsAnswersOnlyOverATrustedChainAndModernTls)
{
    ASSERT_TRUE(TrustTestRoot());
    server.Set("/domain/example.test", JsonAnswer(200, "{}"));
    server.Set("/down", RedirectTo("http://rdap.test/domain/example.test"));
    server.Start();

    HttpResult good = Get("https://rdap.test/domain/example.test", false);
    EXPECT_EQ(good.error, 0u) << HttpErrorText(good.error);
    EXPECT_EQ(good.status, 200);
    EXPECT_EQ(good.body, "{}");
    EXPECT_EQ(server.Requests("/domain/example.test"), 1);

    const struct {
        const char *url;
        unsigned long error;
        const char *text;
    } refused[] = {
        {"https://wrongname.test/domain/example.test", ERROR_WINHTTP_SECURE_CERT_CN_INVALID,
         "the certificate is for another name"},
        {"https://expired.test/domain/example.test", ERROR_WINHTTP_SECURE_CERT_DATE_INVALID,
         "the certificate has expired or is not yet valid"},
        {"https://unknownca.test/domain/example.test", ERROR_WINHTTP_SECURE_INVALID_CA,
         "the certificate is not from a trusted root"},
        {"https://tls10.test/domain/example.test", ERROR_WINHTTP_SECURE_CHANNEL_ERROR,
         "no common TLS version"},
    };
    for (const auto &c : refused) {
        HttpResult r = Get(c.url, false);
        EXPECT_EQ(r.error, c.error) << c.url << ": " << HttpErrorText(r.error);
        EXPECT_TRUE(IsSecureFailure(r.error)) << c.url;
        EXPECT_EQ(HttpErrorText(r.error), c.text) << c.url;
        EXPECT_EQ(r.status, 0) << c.url;
    }
    EXPECT_EQ(server.Requests("/domain/example.test"), 1) << "a refused chain sent nothing on";

    // An https:// address never leads to an http:// one.
    HttpResult down = Get("https://rdap.test/down", true);
    EXPECT_EQ(down.error, HTTP_ERROR_REDIRECT_REFUSED);
    EXPECT_EQ(down.finalUrl, "http://rdap.test/domain/example.test");
    EXPECT_EQ(server.Requests("/domain/example.test"), 1);
}

}  // namespace
