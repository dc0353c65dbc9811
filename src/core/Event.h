// Events: optional callbacks that are empty or bound to a handler, callable, and comparable
// (the same method on the same object compares equal), like a method pointer.
#pragma once

#include <cstddef>
#include <memory>
#include <utility>

namespace celdara {

class TObject;

template <typename Signature>
class TEvent;

template <typename R, typename... Args>
class TEvent<R(Args...)> {
public:
    using Code = R (*)(void*, Args...);

    TEvent() = default;
    TEvent(std::nullptr_t) {}

    // Binds a member function: TEvent<...>::Bind<&TForm::Handler>(form).
    template <auto Method, typename C>
    static TEvent Bind(C* object) {
        TEvent e;
        e.object_ = object;
        e.code_ = &MemberThunk<Method, C>;
        return e;
    }

    // Binds a callable (a lambda). Copies of the result compare equal; two separate
    // bindings never do.
    template <typename F>
    static TEvent From(F f) {
        auto holder = std::make_shared<F>(std::move(f));
        TEvent e;
        e.object_ = holder.get();
        e.code_ = &CallableThunk<F>;
        e.keep_ = std::move(holder);
        return e;
    }

    explicit operator bool() const { return code_ != nullptr; }
    bool IsEmpty() const { return code_ == nullptr; }

    // A bound callable stays alive until its call returns, even if the handler replaces
    // the event it was called through.
    R operator()(Args... args) const {
        if (keep_) {
            std::shared_ptr<void> hold = keep_;
            return code_(hold.get(), std::forward<Args>(args)...);
        }
        return code_(object_, std::forward<Args>(args)...);
    }

    // The handler's code, without its object: equal for the same method on any object.
    Code GetCode() const { return code_; }
    const void* GetObject() const { return object_; }

    friend bool operator==(const TEvent& a, const TEvent& b) {
        return a.code_ == b.code_ && a.object_ == b.object_;
    }

private:
    template <auto Method, typename C>
    static R MemberThunk(void* object, Args... args) {
        return (static_cast<C*>(object)->*Method)(std::forward<Args>(args)...);
    }
    template <typename F>
    static R CallableThunk(void* object, Args... args) {
        return (*static_cast<F*>(object))(std::forward<Args>(args)...);
    }

    void* object_ = nullptr;
    Code code_ = nullptr;
    std::shared_ptr<void> keep_;
};

// The plain notification: Sender only.
using TNotifyEvent = TEvent<void(TObject* Sender)>;

} // namespace celdara
