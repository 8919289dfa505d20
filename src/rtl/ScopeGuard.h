#pragma once
// ScopeGuard (defined with the OS stand-in, which uses it too) and the update scope of rtl's
// lists and collections.
#include "platform/ScopeGuard.h"

// BeginUpdate now, the matching EndUpdate on every way out (string lists, collections, list
// items, tabs: anything with that pair).
template <class T> class UpdateScope {
public:
    explicit UpdateScope(T* target) : target_(target) { target_->BeginUpdate(); }
    ~UpdateScope() noexcept(false) {
        auto end = [this] { target_->EndUpdate(); };
        scope_detail::RunCleanUp(end, exceptions_);
    }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

private:
    T* target_;
    int exceptions_ = std::uncaught_exceptions();
};
