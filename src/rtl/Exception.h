#pragma once
// The one exception tree of the program. Every failure a user can see is one of these, with a
// fixed English message; the application's default handler shows the message in a box.
#include "rtl/Types.h"

#include <exception>

class Exception : public std::exception {
public:
    explicit Exception(String message) : message_(std::move(message)) {}
    ~Exception() override = default;

    const String& Message() const { return message_; }
    void SetMessage(String message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    String message_;
};

#define KORVID_EXCEPTION(Name, Base)                                                               \
    class Name : public Base {                                                                     \
    public:                                                                                        \
        using Base::Base;                                                                          \
    }

// Raised to leave an operation quietly: the default handler shows nothing for it.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

KORVID_EXCEPTION(EConvertError, Exception);
KORVID_EXCEPTION(EOutOfMemory, Exception);
KORVID_EXCEPTION(EOutOfResources, Exception);
KORVID_EXCEPTION(EInvalidOperation, Exception);
KORVID_EXCEPTION(EInvalidPointer, Exception);
KORVID_EXCEPTION(EInvalidGraphic, Exception);
KORVID_EXCEPTION(EInvalidGraphicOperation, Exception);
// The GIF codec's errors. The framework's bitmap-to-DIB routines raise it as well, so it
// stands here, below both.
KORVID_EXCEPTION(GIFException, EInvalidGraphic);
KORVID_EXCEPTION(EListError, Exception);
KORVID_EXCEPTION(EStringListError, EListError);
KORVID_EXCEPTION(EComponentError, Exception);
KORVID_EXCEPTION(EThread, Exception);
KORVID_EXCEPTION(EPropertyError, Exception);
KORVID_EXCEPTION(EIntError, Exception);
KORVID_EXCEPTION(EDivByZero, EIntError);
KORVID_EXCEPTION(EIntOverflow, EIntError);
KORVID_EXCEPTION(EMathError, Exception);
KORVID_EXCEPTION(EInvalidOp, EMathError);
KORVID_EXCEPTION(EStreamError, Exception);
KORVID_EXCEPTION(EFilerError, EStreamError);
KORVID_EXCEPTION(EReadError, EFilerError);
KORVID_EXCEPTION(EWriteError, EFilerError);
KORVID_EXCEPTION(EFCreateError, EStreamError);
KORVID_EXCEPTION(EFOpenError, EStreamError);

// An input/output failure with the operating system's error number.
class EInOutError : public Exception {
public:
    EInOutError(String message, int errorCode)
        : Exception(std::move(message)), ErrorCode(errorCode) {}
    int ErrorCode;
};
