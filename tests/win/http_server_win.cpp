#include "win/http_server_win.h"

#include <cctype>
#include <cstdio>
#include <utility>

namespace {

// More connections than any test makes: serving ends with Stop().
const int kConnections = 1000;
// Longest a hanging answer stays silent when the test forgets Stop().
const int kHangMs = 120000;

// The path asked for: the second word of the request line.
std::string PathOf(const std::string &request)
{
    size_t start = request.find(' ');
    if (start == std::string::npos)
        return std::string();
    size_t end = request.find(' ', start + 1);
    if (end == std::string::npos)
        return std::string();
    return request.substr(start + 1, end - start - 1);
}

bool SameLetters(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

HttpAnswer JsonAnswer(int status, std::string body, std::string headers)
{
    HttpAnswer answer;
    answer.status = status;
    answer.headers = "Content-Type: application/rdap+json\r\n" + headers;
    answer.body = std::move(body);
    return answer;
}

HttpAnswer RedirectTo(const std::string &location)
{
    HttpAnswer answer;
    answer.status = 302;
    answer.headers = "Location: " + location + "\r\n";
    return answer;
}

HttpAnswer Hang()
{
    HttpAnswer answer;
    answer.hang = true;
    return answer;
}

HttpAnswer Trickle(std::string body, int ms)
{
    HttpAnswer answer = JsonAnswer(200, std::move(body));
    answer.trickleMs = ms;
    return answer;
}

HttpServer::HttpServer(const char *ip, unsigned short port) : server_(ip, port) {}

void HttpServer::Start()
{
    server_.Serve({ReplyTo("\r\n\r\n",
                           [this](const std::string &request) { return AnswerTo(request); })},
                  kConnections);
}

std::vector<ServerStep> HttpServer::AnswerTo(const std::string &request) const
{
    auto found = answers_.find(PathOf(request));
    HttpAnswer answer = found != answers_.end() ? found->second : JsonAnswer(404, "{}");
    if (answer.hang)
        return {HoldOpen(kHangMs)};
    char statusLine[64];
    std::snprintf(statusLine, sizeof statusLine, "HTTP/1.1 %d Status\r\n", answer.status);
    const std::string head = statusLine + answer.headers + "Content-Length: " +
                             std::to_string(answer.body.size()) + "\r\nConnection: close\r\n\r\n";
    if (answer.trickleMs == 0)
        return {SendBytes(head + answer.body), CloseNow()};
    std::vector<ServerStep> steps = {SendBytes(head)};
    for (char c : answer.body) {
        steps.push_back(PauseMs(answer.trickleMs));
        steps.push_back(SendBytes(std::string(1, c)));
    }
    steps.push_back(CloseNow());
    return steps;
}

int HttpServer::Requests(const std::string &path) const
{
    int count = 0;
    for (int i = 0; i < server_.Accepted(); ++i)
        count += PathOf(server_.Request(i)) == path ? 1 : 0;
    return count;
}

std::string HttpServer::RequestHeader(int connection, const std::string &name) const
{
    const std::string request = server_.Request(connection);
    size_t line = request.find("\r\n");
    while (line != std::string::npos) {
        line += 2;
        size_t end = request.find("\r\n", line);
        if (end == std::string::npos || end == line)
            break;
        size_t colon = request.find(':', line);
        if (colon != std::string::npos && colon < end &&
            SameLetters(request.substr(line, colon - line), name)) {
            size_t value = request.find_first_not_of(' ', colon + 1);
            return value < end ? request.substr(value, end - value) : std::string();
        }
        line = end;
    }
    return std::string();
}
