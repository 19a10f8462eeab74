#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Whether files are held by a program on this machine, or may be held by one elsewhere.
namespace paradox {

struct Holding {
    enum class State {
        None,    // shown to be held by nobody
        Held,    // a process has it open or locked
        Unknown, // cannot be told: a network share, a process that cannot be looked at
    };
    State state = State::None;
    std::string why; // Held and Unknown: what was seen, "process 42 (wine) has it open"
};

// One answer per file, in order. A file that no longer exists is held by nobody.
std::vector<Holding> findHolders(const std::vector<std::filesystem::path>& files);

} // namespace paradox
