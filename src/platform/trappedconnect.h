#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace kq::platform {

// Reports the failure being handled (called inside a catch block) on behalf
// of the named screen. The shell installs the program's error report; until
// then the failure's description is shown as it is.
using TrapReporter = void (*)(const QString &screenName);
void setTrapReporter(TrapReporter reporter);
void reportTrapped(const QString &screenName);

namespace detail {

template<class T>
struct MemberOwner;
template<class R, class C>
struct MemberOwner<R C::*>
{
    using type = C;
};

template<class F, class Args, std::size_t... I>
constexpr bool takesLeading(std::index_sequence<I...>)
{
    return std::is_invocable_v<F &, std::tuple_element_t<I, Args>...>;
}

// Calls f with the first N arguments, or fewer: as many as it takes.
template<std::size_t N, class F, class Args>
void invokeLeading(F &f, const Args &args)
{
    if constexpr (takesLeading<F, Args>(std::make_index_sequence<N>{})) {
        [&]<std::size_t... I>(std::index_sequence<I...>)
        {
            std::invoke(f, std::get<I>(args)...);
        }
        (std::make_index_sequence<N>{});
    } else {
        static_assert(N > 0, "the handler cannot take the signal's arguments");
        if constexpr (N > 0)
            invokeLeading<N - 1>(f, args);
    }
}

// A member function of the receiver becomes a call on the receiver.
template<class Receiver, class Handler>
auto boundHandler(Receiver *receiver, Handler handler)
{
    if constexpr (std::is_member_function_pointer_v<Handler>) {
        auto *owner = static_cast<typename MemberOwner<Handler>::type *>(receiver);
        return [owner, handler](auto &&...a) -> decltype(std::invoke(
                                                 handler, owner, std::forward<decltype(a)>(a)...)) {
            return std::invoke(handler, owner, std::forward<decltype(a)>(a)...);
        };
    } else {
        return handler;
    }
}

} // namespace detail

// Connects a signal to a handler (a member function of the receiver or any
// callable) that runs under the error trap: a failure is reported on behalf of
// `screenName` and never crosses Qt's signal dispatch. The handler may take
// fewer arguments than the signal carries. The connection ends with receiver.
template<class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection connectTrapped(const Sender *sender, Signal signal, Receiver *receiver,
                                       const QString &screenName, Handler handler)
{
    auto call = detail::boundHandler(receiver, std::move(handler));
    return QObject::connect(sender, signal, receiver,
                            [call, screenName](auto &&...args) mutable -> void {
                                const auto all = std::forward_as_tuple(args...);
                                try {
                                    detail::invokeLeading<sizeof...(args)>(call, all);
                                } catch (...) {
                                    reportTrapped(screenName);
                                }
                            });
}

} // namespace kq::platform
