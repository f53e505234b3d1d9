#include "RequestHandler.h"

#include "CounterStore.h"
#include "KokkiFolder.h"
#include "RateLimiter.h"

RequestHandler::RequestHandler(const RequestTarget &targets, CounterStore &store,
                               const KokkiFolder &folder, RateLimiter &limiter)
    : m_targets(targets), m_store(store), m_folder(folder), m_limiter(limiter)
{
}

Reply RequestHandler::plain(int status, std::string body)
{
    Reply reply;
    reply.status = status;
    reply.body = std::move(body);
    reply.headers.emplace_back("Cache-Control", "no-store");
    return reply;
}

Reply RequestHandler::handle(const std::string &method, const std::string &rawTarget,
                             const std::string &clientAddress)
{
    const Route route = m_targets.route(rawTarget);
    if (route.kind == Route::Kind::BadRequest)
        return plain(400, "bad request\r\n");
    if (route.kind == Route::Kind::NotFound)
        return plain(404, "not found\r\n");

    const bool isGet = method == "GET";
    // A HEAD must never count anything, so the counters answer only to GET.
    if (!isGet && !(method == "HEAD" && !route.isCounter())) {
        Reply reply = plain(405, "method not allowed\r\n");
        reply.headers.emplace_back("Allow", route.isCounter() ? "GET" : "GET, HEAD");
        return reply;
    }

    try {
        return serve(route, clientAddress);
    } catch (const StoreError &) {
        // Nothing was committed; the client may try again.
        Reply reply = plain(503, "counts unavailable\r\n");
        reply.headers.emplace_back("Retry-After", "1");
        return reply;
    }
}

Reply RequestHandler::serve(const Route &route, const std::string &clientAddress)
{
    switch (route.kind) {
    case Route::Kind::StaticFile: {
        auto content = m_folder.share(route.fileName);
        if (!content)
            return plain(404, "not found\r\n");
        Reply reply;
        // The notice files are plain ASCII; a hand-edited one is most likely UTF-8.
        reply.contentType = "text/plain; charset=utf-8";
        reply.shared = std::move(content);
        reply.headers.emplace_back("Cache-Control", "no-cache");
        return reply;
    }
    case Route::Kind::Histogram: {
        Reply reply = plain(200, {});
        reply.shared = m_store.histogram(route.region);
        return reply;
    }
    case Route::Kind::GameCounter:
    case Route::Kind::ScoreCounter:
        return count(route, clientAddress);
    default:
        return plain(404, "not found\r\n");
    }
}

Reply RequestHandler::count(const Route &route, const std::string &clientAddress)
{
    const RateLimiter::Decision decision =
        route.kind == Route::Kind::GameCounter
            ? m_limiter.admitGame(clientAddress, route.reportId)
            : m_limiter.admitScore(clientAddress, route.reportId);
    if (!decision.allowed) {
        Reply reply = plain(429, "too many reports\r\n");
        reply.headers.emplace_back("Retry-After", std::to_string(decision.retryAfterSeconds));
        return reply;
    }
    const std::int64_t count = route.kind == Route::Kind::GameCounter
                                   ? m_store.countGame(route.region, route.reportId)
                                   : m_store.countScore(route.region, route.score, route.reportId);
    return plain(200, std::to_string(count) + "\r\n");
}
