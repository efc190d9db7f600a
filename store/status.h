// Errors as values. An engine never shows a message: it returns a Status, and the
// caller (a window, rkdb, a test) decides how to tell the user.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace rk {

class [[nodiscard]] Status {
public:
    enum class Code {
        Ok,
        NotFound,        // a file, field, tag or record that is not there
        Corruption,      // bytes on disk that do not make a valid table or index
        IOError,         // the operating system refused a read, write or lock
        InvalidArgument, // a bad value from the caller: too wide, wrong type, bad expression
        Locked,          // another program or table object holds the file
        NotSupported,    // a valid file of a kind we do not handle (memo fields, ...)
    };

    Status() = default;
    static Status ok() { return Status(); }
    static Status notFound(std::string m) { return Status(Code::NotFound, std::move(m)); }
    static Status corruption(std::string m) { return Status(Code::Corruption, std::move(m)); }
    static Status ioError(std::string m) { return Status(Code::IOError, std::move(m)); }
    static Status invalid(std::string m) { return Status(Code::InvalidArgument, std::move(m)); }
    static Status locked(std::string m) { return Status(Code::Locked, std::move(m)); }
    static Status notSupported(std::string m) { return Status(Code::NotSupported, std::move(m)); }

    bool isOk() const { return code_ == Code::Ok; }
    explicit operator bool() const { return isOk(); }
    Code code() const { return code_; }
    // The same kind of failure, told in other words.
    Status withMessage(std::string m) const { return Status(code_, std::move(m)); }
    const std::string& message() const { return message_; }

private:
    Status(Code c, std::string m) : code_(c), message_(std::move(m)) {}
    Code code_ = Code::Ok;
    std::string message_;
};

// A value or the Status that explains why there is none.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Status s) : status_(std::move(s)) {}
    bool isOk() const { return status_.isOk(); }
    explicit operator bool() const { return isOk(); }
    const Status& status() const { return status_; }
    // Only on success (asserted in debug builds: the sanitizer build runs with them).
    T& value() {
        assert(value_.has_value());
        return *value_;
    }
    const T& value() const {
        assert(value_.has_value());
        return *value_;
    }
    T& operator*() { return value(); }
    T* operator->() { return &value(); }

private:
    Status status_;
    std::optional<T> value_;
};

// Drops a result on purpose. `why` says why nothing needs to be done about a failure here (a
// best-effort clean-up, a step whose failure a later check reports); it is for the reader.
inline void ignore(const Status& /*status*/, const char* /*why*/) {}
template <class T> void ignore(const Result<T>& /*result*/, const char* /*why*/) {}

} // namespace rk

// Propagates a failed Status to the caller.
#define RK_RETURN_IF_ERROR(expr)                                                                   \
    do {                                                                                           \
        ::rk::Status rk_status_ = (expr);                                                          \
        if (!rk_status_.isOk()) return rk_status_;                                                 \
    } while (0)
