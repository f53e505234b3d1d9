#pragma once

#include <set>
#include <string>
#include <string_view>

// Who a request comes from, for the report cap. Behind a reverse proxy every request arrives
// from the proxy's address, so the cap would be shared by all players; the proxy names the
// real client in X-Forwarded-For. That header is believed only when the peer itself is one of
// the proxies we were told to trust, since any client can send it.
class ClientAddress
{
public:
    // Addresses as given on the command line; false (and nothing kept) when one is not an
    // IPv4 or IPv6 address.
    bool trust(const std::string &address);
    bool empty() const { return m_trusted.empty(); }
    // Whether `peer` (canonical) is one of the proxies.
    bool trusted(const std::string &peer) const { return m_trusted.count(peer) > 0; }

    // peer: the socket's address. forwardedFor: every X-Forwarded-For value of the request,
    // joined by commas in the order they came. Walks the list from the right (the entries our
    // proxies appended) and returns the first address that is not one of our proxies; the peer
    // when it is not trusted, when there is no header, or when an entry is not an address.
    std::string resolve(const std::string &peer, std::string_view forwardedFor) const;

    // The one text form of an address ("::ffff:1.2.3.4" becomes "1.2.3.4"); empty when the
    // text is not an address.
    static std::string canonical(std::string_view text);

private:
    std::set<std::string> m_trusted;
};
