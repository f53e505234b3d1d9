#pragma once

#include "RequestTarget.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class CounterStore;
class KokkiFolder;
class RateLimiter;

struct Reply
{
    int status = 200;
    std::string contentType = "text/plain; charset=us-ascii";
    std::string body;
    // A body shared with other replies (a file, a histogram); the body when set. Sent from
    // where it is, so a thousand readers of a file hold one copy of it, not a thousand.
    std::shared_ptr<const std::string> shared;
    std::vector<std::pair<std::string, std::string>> headers;

    const std::string &content() const { return shared ? *shared : body; }
};

// Turns one request into its reply, without any sockets: the HTTP layer hands over the method,
// the raw target and the client's address and sends back what comes out.
class RequestHandler
{
public:
    RequestHandler(const RequestTarget &targets, CounterStore &store, const KokkiFolder &folder,
                   RateLimiter &limiter);

    Reply handle(const std::string &method, const std::string &rawTarget,
                 const std::string &clientAddress);

    static Reply plain(int status, std::string body);

private:
    Reply serve(const Route &route, const std::string &clientAddress);
    Reply count(const Route &route, const std::string &clientAddress);

    const RequestTarget &m_targets;
    CounterStore &m_store;
    const KokkiFolder &m_folder;
    RateLimiter &m_limiter;
};
