#include "permission-wizard/gtk/Signals.h"

#include <memory>

namespace ikw::wizard::gtk {

namespace {

using Action = std::function<void()>;

void runAction(gpointer, gpointer data)
{
    const Action action = *static_cast<Action*>(data);
    if (action)
        action();
}

void deleteAction(gpointer data, GClosure*)
{
    std::unique_ptr<Action> owned(static_cast<Action*>(data));
}

}

void connectAction(gpointer instance, const char* signal, std::function<void()> action)
{
    auto owned = std::make_unique<Action>(std::move(action));
    g_signal_connect_data(instance, signal, G_CALLBACK(runAction), owned.release(), deleteAction, GConnectFlags(0));
}

}
