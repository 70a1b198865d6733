#pragma once

#include <glib.h>

#include <chrono>
#include <functional>

namespace quillmarktest {

// Runs the thread-default main context until `done` holds or `limit` has passed; returns
// whether it holds.
inline bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    GMainContext* context = g_main_context_get_thread_default();
    const auto giveUp = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= giveUp) {
            return false;
        }
        // Wakes the context now and then, so the limit holds when nothing else happens.
        g_autoptr(GSource) tick = g_timeout_source_new(20);
        g_source_set_callback(
            tick, [](gpointer) { return G_SOURCE_REMOVE; }, nullptr, nullptr);
        g_source_attach(tick, context);
        g_main_context_iteration(context, TRUE);
        g_source_destroy(tick);
    }
    return true;
}

}  // namespace quillmarktest
