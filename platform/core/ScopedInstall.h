#pragma once

#include <memory>
#include <utility>

namespace ikw {

// Installs a state through `install` (which returns the state it replaced) for one scope and puts
// the previous one back afterwards.
template<typename State, std::shared_ptr<State> (*install)(std::shared_ptr<State>)>
class ScopedInstall {
public:
    explicit ScopedInstall(std::shared_ptr<State> state) : m_previous(install(std::move(state))) {}
    ~ScopedInstall() { install(std::move(m_previous)); }
    ScopedInstall(const ScopedInstall&) = delete;
    ScopedInstall& operator=(const ScopedInstall&) = delete;

private:
    std::shared_ptr<State> m_previous;
};

}
