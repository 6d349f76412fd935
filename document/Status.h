// The result of an operation that can fail or be refused for outside reasons: the
// system's own message travels with it.
#pragma once

#include <string>
#include <utility>

struct Status {
    bool ok = true;
    std::string message;

    static Status Ok() { return {}; }
    static Status Fail(std::string text) { return {false, std::move(text)}; }
    // The user stopped a long operation: nothing changed and there is nothing to report.
    static Status Stopped() { return {false, {}}; }
    explicit operator bool() const { return ok; }
};
