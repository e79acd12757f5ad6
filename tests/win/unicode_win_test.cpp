// Unicode text: answers read as UTF-8 or Windows-1252 and shown and saved as
// written, names beyond ASCII sent as their A-labels, against the test
// suite's own servers on loopback.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "frame/frame_win.h"
#include "net/query_win.h"
#include "output/save_win.h"
#include "text/unicode_win.h"
#include "win/loopback_server_win.h"
#include "win/query_fixture_win.h"
#include "win/test_support_win.h"

namespace {

class UnicodeQuery : public Query {
protected:
    void SetUp() override
    {
        Query::SetUp();
        bUnicodeText = true;
    }

    // The frame's title as the window holds it, whole.
    static std::string WideTitle()
    {
        wchar_t text[256] = L"";
        InternalGetWindowText(hwndMain, text, 256);
        return WideToUtf8(std::wstring(text));
    }
};

TEST_F(UnicodeQuery, AnswersShowAndSaveAsWritten)
{
    struct Case {
        const char *name;
        std::vector<ServerStep> script;
        std::string pane; // UTF-8
        int bytes;        // off the wire
    } cases[] = {
        {"Turkish UTF-8",
         {SendBytes("Kay\xC4\xB1t: \xC3\x96rnek \xC5\x9Eirket\n")},
         "Kay\xC4\xB1t: \xC3\x96rnek \xC5\x9Eirket\r\n", 23},
        {"Latin-1 from an older server",
         {SendBytes("Stra\xDF" "e 1, M\xFCnchen \x80 5\n")},
         "Stra\xC3\x9F" "e 1, M\xC3\xBCnchen \xE2\x82\xAC 5\r\n", 22},
        {"a sequence cut between two reads",
         {SendBytes("\xEC\x98\x88"), PauseMs(150), SendBytes("\xEC"), PauseMs(150),
          SendBytes("\xA0\x9C\n")},
         "\xEC\x98\x88\xEC\xA0\x9C\r\n", 7},
        {"an unfinished sequence at the close",
         {SendBytes("ok\t\xE2\x82")},
         "ok        \xC3\xA2\xE2\x80\x9A", 5},
    };
    LoopbackServer server("127.0.0.111", 43);
    ASSERT_TRUE(server.ok());
    const std::string file = UniqueTempPath("unicode");
    for (Case &c : cases) {
        SCOPED_TRACE(c.name);
        ResetByteCount();
        server.Serve(c.script);
        ASSERT_EQ(Whois("example.de", "127.0.0.111"), 0) << Status();
        ASSERT_TRUE(PumpUntil(Completed));
        ASSERT_TRUE(server.WaitServed(5000));
        EXPECT_EQ(PaneText(), c.pane);
        std::wstring wide;
        ASSERT_TRUE(OutputTextW(wide));
        EXPECT_EQ(wide, Utf8ToWide(c.pane));
        EXPECT_EQ(WideTitle(), "Pellwick (WhoIs - example.de)");
        EXPECT_TRUE(Saw("Finger - Received " + std::to_string(c.bytes) + " bytes."));
        ASSERT_EQ(SaveOutputToFile(file.c_str()), 1);
        EXPECT_EQ(ReadWholeFile(file), c.pane);
    }
    DeleteFileA(file.c_str());
}

TEST_F(UnicodeQuery, NamesBeyondAsciiGoOutAsALabels)
{
    struct Case {
        const char *query, *wire;
    } cases[] = {
        {"m\xC3\xBCnchen.de", "xn--mnchen-3ya.de\r\n"},
        {"\xD0\xBF\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80.\xD1\x80\xD1\x84",
         "xn--e1afmkfd.xn--p1ai\r\n"},
        {"M\xC3\xBCller GmbH", "M\xC3\xBCller GmbH\r\n"}, // no domain: as typed
        {"example.com", "example.com\r\n"},
    };
    const int n = static_cast<int>(sizeof cases / sizeof cases[0]);
    LoopbackServer whois("127.0.0.110", 43); // bücher.test
    ASSERT_TRUE(whois.ok());
    whois.Serve({SendBytes("ok\n")}, n);
    for (const Case &c : cases) {
        ASSERT_EQ(Whois(c.query, "b\xC3\xBC" "cher.test"), 0) << c.query << ": " << Status();
        ASSERT_TRUE(PumpUntil(Completed)) << c.query;
        EXPECT_EQ(WideTitle(), std::string("Pellwick (WhoIs - ") + c.query + ")");
    }
    ASSERT_TRUE(whois.WaitServed(5000));
    for (int i = 0; i < n; ++i)
        EXPECT_EQ(whois.Request(i), cases[i].wire) << cases[i].query;
    EXPECT_TRUE(Saw("Connecting to b\xC3\xBC" "cher.test"));

    // A Finger user goes as the UTF-8 typed; the host by its A-label.
    LoopbackServer finger("127.0.0.110", 79);
    ASSERT_TRUE(finger.ok());
    finger.Serve({SendBytes("Login: j\xC3\xBCrgen\n")});
    ASSERT_EQ(Finger("j\xC3\xBCrgen@b\xC3\xBC" "cher.test"), 0) << Status();
    ASSERT_TRUE(PumpUntil(Completed));
    ASSERT_TRUE(finger.WaitServed(5000));
    EXPECT_EQ(finger.Request(0), "j\xC3\xBCrgen\r\n");
    EXPECT_EQ(WideTitle(), "Pellwick (Finger - b\xC3\xBC" "cher.test)");

    // A host lookup asks the resolver by the A-label, which is the name the
    // hosts file knows.
    BeginHostLookup("b\xC3\xBC" "cher.test");
    ASSERT_TRUE(PumpUntil([] { return !bBusy; }));
    EXPECT_EQ(PaneText(), "xn--bcher-kva.test: 127.0.0.110\r\n");
}

TEST_F(UnicodeQuery, ANameThePlatformRefusesIsNotSent)
{
    // A label of 64 letters has no A-label: its limit is 63.
    const std::string label = "\xC3\xBC" + std::string(63, 'a');
    const std::string host = label + ".test", domain = label + ".de";
    statusHistory.clear();
    EXPECT_EQ(Finger(("alice@" + host).c_str()), -1);
    EXPECT_EQ(Status(), "Not a valid host name: " + host);
    EXPECT_EQ(Whois(domain.c_str(), "127.0.0.111"), -1);
    EXPECT_EQ(Status(), "Not a valid domain name: " + domain);
    EXPECT_EQ(Whois("example.de", host.c_str()), -1);
    EXPECT_EQ(Status(), "Not a valid host name: " + host);
    BeginHostLookup(host.c_str());
    EXPECT_EQ(Status(), "Not a valid host name: " + host);
    EXPECT_FALSE(bBusy);
}

} // namespace
