#pragma once
// Long work reported as a graphic's progress: psStarting when it begins, psEnding when it
// ends, whichever way it ends.
#include "framework/GraphicsTypes.h"
#include "rtl/ScopeGuard.h"

#include <exception>
#include <utility>

// report(stage, percent) is called with (psStarting, 0) at once. Finish reports (psEnding,
// 100); a scope left without Finish (an exception, an early return) reports (psEnding, 0).
// A report that raises while an exception unwinds the scope is dropped (see ScopeGuard.h).
template <class Report> class ProgressScope {
public:
    explicit ProgressScope(Report report) : report_(std::move(report)) {
        report_(psStarting, Byte(0));
    }
    ~ProgressScope() noexcept(false) {
        if (finished_) return;
        auto end = [this] { report_(psEnding, Byte(0)); };
        scope_detail::RunCleanUp(end, exceptions_);
    }
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    void Finish() {
        if (finished_) return;
        finished_ = true;
        report_(psEnding, Byte(100));
    }

private:
    Report report_;
    int exceptions_ = std::uncaught_exceptions();
    bool finished_ = false;
};
