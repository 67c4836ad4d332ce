// What a call to the system gave: a value, or the system's own error code (a Win32 error or
// an errno) for why there is none. Storage, registry and host adapters report through it; the
// code facing the user decides the words (SystemErrorText).
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

template <class T>
class [[nodiscard]] SystemResult {
public:
    SystemResult(T value) : value_(std::move(value)) {}  // NOLINT: a value is a success
    static SystemResult Failure(uint32_t code) { return SystemResult(code); }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    // 0 on success.
    uint32_t code() const { return code_; }

    const T& operator*() const& { return *value_; }
    T& operator*() & { return *value_; }
    T&& operator*() && { return std::move(*value_); }
    const T* operator->() const { return &*value_; }
    T value_or(T fallback) const { return value_ ? *value_ : std::move(fallback); }

private:
    explicit SystemResult(uint32_t code) : code_(code) {}

    std::optional<T> value_;
    uint32_t code_ = 0;
};

// A result without a value: done, or the code for why not.
template <>
class [[nodiscard]] SystemResult<void> {
public:
    static SystemResult Done() { return SystemResult(0); }
    static SystemResult Failure(uint32_t code) { return SystemResult(code); }

    bool ok() const { return code_ == 0; }
    explicit operator bool() const { return ok(); }
    uint32_t code() const { return code_; }

private:
    explicit SystemResult(uint32_t code) : code_(code) {}

    uint32_t code_;
};
