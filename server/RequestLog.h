#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

// One line per request on standard error:
//   2024-05-01T09:15:02.317Z 127.0.0.1 GET "/countx/europe/count.php" 200 3 41us
namespace RequestLog {

// Printable ASCII stays, anything else (and the quote and backslash) becomes \xHH; long
// targets are cut, so a hostile request cannot forge lines or flood the log.
std::string escapeTarget(std::string_view target, size_t limit = 200);

std::string line(std::chrono::system_clock::time_point when, std::string_view client,
                 std::string_view method, std::string_view target, int status, size_t bytes,
                 std::chrono::microseconds took);

// Writes a line in one piece; safe from any thread.
void write(const std::string &line);

} // namespace RequestLog
