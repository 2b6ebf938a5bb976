#pragma once
// The one result type of the platform's file-system calls: a value, or the
// system's errno with a text that names the operation and the path.
//
//   TFsResult<void> r = RenamePath(a, b);
//   if (!r) show(r.Error().Message());
//
// Never throws; reading Value() of a failed result, or Error() of a good one,
// is a programming error (asserted).

#include <QString>

#include <cassert>
#include <optional>
#include <utility>

struct TFsError {
    int Code = 0;   // errno; 0 only for failures the system did not name
    QString Text;   // what was attempted, on what ("rename /a/b to /a/c")

    // The text with the system's own wording of Code: "rename /a to /b: File exists".
    QString Message() const;

    // The error of the calling thread's errno after a failed call.
    static TFsError FromErrno(const QString& text);
};

template <typename T>
class [[nodiscard]] TFsResult {
public:
    TFsResult(T value) : value_(std::move(value)) {}
    TFsResult(TFsError error) : error_(std::move(error)) {}

    bool Ok() const { return value_.has_value(); }
    explicit operator bool() const { return Ok(); }
    const T& Value() const { assert(Ok()); return *value_; }
    T& Value() { assert(Ok()); return *value_; }
    T ValueOr(T fallback) const { return Ok() ? *value_ : std::move(fallback); }
    const TFsError& Error() const { assert(!Ok()); return error_; }
    int Code() const { return Ok() ? 0 : error_.Code; }

private:
    std::optional<T> value_;
    TFsError error_;
};

template <>
class [[nodiscard]] TFsResult<void> {
public:
    TFsResult() = default;
    TFsResult(TFsError error) : failed_(true), error_(std::move(error)) {}

    bool Ok() const { return !failed_; }
    explicit operator bool() const { return Ok(); }
    const TFsError& Error() const { assert(failed_); return error_; }
    int Code() const { return failed_ ? error_.Code : 0; }

private:
    bool failed_ = false;
    TFsError error_;
};

using TFsStatus = TFsResult<void>;
