#pragma once

// Reaching into the GTK widgets that wxGTK builds, for what wx itself does not offer.

#include <wx/time.h>
#include <wx/utils.h>
#include <wx/window.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

// Returns once the top-level window is mapped on screen (under a window manager: managed and
// placed) and its events so far are handled, or after a few seconds. GTK's own events are dispatched
// meanwhile, also before the main loop runs.
inline void WaitUntilOnScreen([[maybe_unused]] wxWindow& window) {
#ifdef __WXGTK__
    GdkWindow* gdkWindow = gtk_widget_get_window(window.GetHandle());
    const wxLongLong deadline = wxGetLocalTimeMillis() + 3000;
    while (gdkWindow != nullptr && (gdk_window_get_state(gdkWindow) & GDK_WINDOW_STATE_WITHDRAWN) != 0 &&
           wxGetLocalTimeMillis() < deadline) {
        if (!g_main_context_iteration(nullptr, FALSE)) {
            wxMilliSleep(5);
        }
    }
    // The window manager's placement may still be on its way: take it in, so that wx knows
    // where the window is.
    gdk_display_sync(gdk_display_get_default());
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
#endif
}

#ifdef __WXGTK__

// The first widget of this type under root (root included), internal children included.
inline GtkWidget* FindGtkWidget(GtkWidget* root, GType type) {
    struct Search {
        GType type;
        GtkWidget* found = nullptr;
        static void Visit(GtkWidget* widget, gpointer data) {
            Search& search = *static_cast<Search*>(data);
            if (search.found != nullptr) {
                return;
            }
            if (G_TYPE_CHECK_INSTANCE_TYPE(widget, search.type)) {
                search.found = widget;
            } else if (GTK_IS_CONTAINER(widget)) {
                gtk_container_forall(GTK_CONTAINER(widget), Visit, data);
            }
        }
    } search{type};
    Search::Visit(root, &search);
    return search.found;
}
#endif
