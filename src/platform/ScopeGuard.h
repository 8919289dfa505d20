#pragma once
// Clean-up that runs on every way out of a scope, an exception included, in place of
// catch-and-rethrow blocks and one-off guard classes.
//
// A clean-up that raises on a normal exit passes its exception on. One that raises while an
// exception already unwinds the scope is dropped: the first failure is the one the caller
// sees (and a second exception in flight would end the program).
#include <exception>
#include <utility>

namespace scope_detail {

template <class F> void RunCleanUp(F& f, int exceptionsAtStart) {
    if (std::uncaught_exceptions() > exceptionsAtStart) {
        try {
            f();
        } catch (...) {
        }
    } else {
        f();
    }
}

} // namespace scope_detail

// Runs the function when the guard goes out of scope, unless Dismiss was called first:
//     Item* item = new Item;
//     ScopeGuard drop([&] { delete item; });
//     list.Add(item);   // may throw: the item is deleted
//     drop.Dismiss();   // the list owns it now
template <class F> class ScopeGuard {
public:
    explicit ScopeGuard(F f) : f_(std::move(f)) {}
    ~ScopeGuard() noexcept(false) {
        if (armed_) scope_detail::RunCleanUp(f_, exceptions_);
    }
    ScopeGuard(const ScopeGuard&) = delete;
    ScopeGuard& operator=(const ScopeGuard&) = delete;

    void Dismiss() { armed_ = false; }

private:
    F f_;
    int exceptions_ = std::uncaught_exceptions();
    bool armed_ = true;
};
