#pragma once

#include <chrono>

// How long a "Copied!" mark stays after the last copy click.
namespace CopiedMark {
    std::chrono::milliseconds interval();
    // Test hook: shortens the wait so tests need not sit through two seconds.
    void setInterval(std::chrono::milliseconds interval);
} // namespace CopiedMark
