// What a call to the host library gave: a value, or the host's own answer for why there is
// none (-1 for a failed call, the end of a list or no hole; 0 for a null handle). The host
// adapter (RawHoleHost.h) reads the library's answers into it, so that the command never
// compares a raw code.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

template <class T>
class [[nodiscard]] HostResult {
public:
    HostResult(T value) : value_(std::move(value)) {}  // NOLINT: a value is a success
    static HostResult Failure(int32_t answer) { return HostResult(std::nullopt, answer); }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    // The host's answer when the call failed; 0 on success.
    int32_t code() const { return code_; }

    const T& operator*() const& { return *value_; }
    T& operator*() & { return *value_; }
    T&& operator*() && { return std::move(*value_); }
    const T* operator->() const { return &*value_; }
    T* operator->() { return &*value_; }

private:
    HostResult(std::nullopt_t, int32_t answer) : code_(answer) {}

    std::optional<T> value_;
    int32_t code_ = 0;
};

// A result without a value: done, or the host's answer for why not.
template <>
class [[nodiscard]] HostResult<void> {
public:
    static HostResult Done() { return HostResult(true, 0); }
    static HostResult Failure(int32_t answer) { return HostResult(false, answer); }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok(); }
    int32_t code() const { return code_; }

private:
    HostResult(bool ok, int32_t answer) : ok_(ok), code_(answer) {}

    bool ok_;
    int32_t code_;
};
