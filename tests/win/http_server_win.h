// A small HTTP/1.1 server on a loopback address, for the tests of the RDAP
// requests: each path answers as the test says, every answer closes its
// connection, and every request is kept to be looked at.
#pragma once

#include <map>
#include <string>

#include "win/loopback_server_win.h"

struct HttpAnswer {
    int status = 200;
    std::string headers;  // further header lines, each ending in CR LF
    std::string body;
    bool hang = false;    // say nothing and keep the connection until Stop()
    int trickleMs = 0;    // send the body a byte at a time, this many ms apart
};

HttpAnswer JsonAnswer(int status, std::string body, std::string headers = std::string());
HttpAnswer RedirectTo(const std::string &location);
HttpAnswer Hang();
HttpAnswer Trickle(std::string body, int ms);

class HttpServer {
public:
    // Listens on ip:port; answers nothing until Start().
    HttpServer(const char *ip, unsigned short port);
    bool ok() const { return server_.ok(); }

    // Where the answers come from: a path not set answers 404.
    void Set(const std::string &path, HttpAnswer answer) { answers_[path] = std::move(answer); }
    // Serves connections one after another until Stop() or the end.
    void Start();
    void Stop() { server_.Stop(); }

    int Accepted() const { return server_.Accepted(); }
    // How many requests asked for `path`.
    int Requests(const std::string &path) const;
    // A header of the request on connection `connection`, "" when not sent.
    std::string RequestHeader(int connection, const std::string &name) const;
    // The client closed connection `connection` before the server did.
    bool PeerClosed(int connection) const { return server_.PeerClosed(connection); }

private:
    std::vector<ServerStep> AnswerTo(const std::string &request) const;

    // Before the server, which is stopped first: its thread reads them.
    std::map<std::string, HttpAnswer> answers_;
    LoopbackServer server_;
};
