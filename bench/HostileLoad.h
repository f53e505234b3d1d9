#pragma once

#include <sys/types.h>

#include <string>

// Hostile phases of the load driver, each against the server on `port` (process `pid`), with
// its data folder at dataDir. Each prints its figures and returns false when it saw a failure
// the server should have prevented.
namespace HostileLoad {

bool slowAndIdle(int port, int slowClients, int idleConnections, double seconds);
bool headerFlood(int port, pid_t pid, size_t bytes);
bool rangeReply(int port, const std::string &dataDir);
bool burst(int port, int requests, int concurrent);
// `readers` connections each asking for a 1 MB news file and taking 1 KB of it a second, while
// a player fetches the notice and clients send counter reports; prints the server's memory,
// the player's waits and the reports counted a second.
bool slowReaders(int port, pid_t pid, const std::string &dataDir, int readers, double seconds);

} // namespace HostileLoad
