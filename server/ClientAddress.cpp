#include "ClientAddress.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

namespace {

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string ClientAddress::canonical(std::string_view text)
{
    if (text.size() > INET6_ADDRSTRLEN)
        return {};
    const std::string input(text);
    char out[INET6_ADDRSTRLEN] = {};
    in_addr v4{};
    if (inet_pton(AF_INET, input.c_str(), &v4) == 1)
        return inet_ntop(AF_INET, &v4, out, sizeof out);
    in6_addr v6{};
    if (inet_pton(AF_INET6, input.c_str(), &v6) != 1)
        return {};
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        std::memcpy(&v4, v6.s6_addr + 12, sizeof v4);
        return inet_ntop(AF_INET, &v4, out, sizeof out);
    }
    return inet_ntop(AF_INET6, &v6, out, sizeof out);
}

bool ClientAddress::trust(const std::string &address)
{
    const std::string normal = canonical(address);
    if (normal.empty())
        return false;
    m_trusted.insert(normal);
    return true;
}

std::string ClientAddress::resolve(const std::string &peer, std::string_view forwardedFor) const
{
    if (m_trusted.empty() || !m_trusted.count(canonical(peer)))
        return peer;
    std::string client = peer;
    while (!forwardedFor.empty()) {
        const size_t comma = forwardedFor.rfind(',');
        const std::string_view entry = trimmed(
            comma == std::string_view::npos ? forwardedFor : forwardedFor.substr(comma + 1));
        forwardedFor =
            comma == std::string_view::npos ? std::string_view{} : forwardedFor.substr(0, comma);
        if (entry.empty())
            continue;
        const std::string address = canonical(entry);
        if (address.empty())
            return client; // not written by a proxy of ours: trust nothing further left
        if (!m_trusted.count(address))
            return address;
        client = address;
    }
    return client;
}
