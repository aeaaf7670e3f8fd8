// Failures are C++ exceptions derived from one Exception that carries the
// message text. Each kind is a class of its own so callers (and the fatal
// start-up box, which names the kind) can tell them apart.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace skr {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }
    // The kind's class name, as the fatal start-up box shows it.
    virtual const char* ClassName() const noexcept { return "Exception"; }
    // Raises an error of this one's kind with another message (a wrapped
    // error keeps its kind).
    [[noreturn]] virtual void ThrowWithMessage(std::string message) const { throw Exception(std::move(message)); }

private:
    std::string message_;
};

#define SKR_EXCEPTION_KIND(Kind, Base)                                                  \
    class Kind : public Base {                                                          \
    public:                                                                             \
        using Base::Base;                                                               \
        const char* ClassName() const noexcept override { return #Kind; }                \
        [[noreturn]] void ThrowWithMessage(std::string message) const override {        \
            throw Kind(std::move(message));                                             \
        }                                                                               \
    }

SKR_EXCEPTION_KIND(EInvalidOperation, Exception);
SKR_EXCEPTION_KIND(EConvertError, Exception);
SKR_EXCEPTION_KIND(EOutOfResources, Exception);
SKR_EXCEPTION_KIND(EComponentError, Exception);
SKR_EXCEPTION_KIND(EStreamError, Exception);
SKR_EXCEPTION_KIND(EFilerError, EStreamError);
SKR_EXCEPTION_KIND(EReadError, EFilerError);
SKR_EXCEPTION_KIND(EWriteError, EFilerError);
SKR_EXCEPTION_KIND(EClassNotFound, EFilerError);
SKR_EXCEPTION_KIND(EResNotFound, Exception);
SKR_EXCEPTION_KIND(EInvalidGraphic, Exception);
SKR_EXCEPTION_KIND(EJPEG, Exception);

}  // namespace skr
