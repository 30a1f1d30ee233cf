#include "platform/file_dialog.h"

#include <gtk/gtk.h>

namespace vorlan::platform {

namespace {

bool gtkReady() {
    static const bool ready = [] {
        // GTK must not switch the process's locale: number formatting and
        // parsing would follow it.
        gtk_disable_setlocale();
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    return ready;
}

// Lets GTK finish with the dialog's windows, so they are gone from the
// screen before the game's window comes back.
void settle() {
    while (gtk_events_pending()) gtk_main_iteration();
}

}  // namespace

bool chooseFile(bool open, const std::vector<FileFilter>& filters, const std::string& folder,
                std::string& chosen) {
    if (!gtkReady()) return false;
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        open ? "Open" : "Save As", nullptr,
        open ? GTK_FILE_CHOOSER_ACTION_OPEN : GTK_FILE_CHOOSER_ACTION_SAVE, "_Cancel",
        GTK_RESPONSE_CANCEL, open ? "_Open" : "_Save", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    if (!folder.empty()) gtk_file_chooser_set_current_folder(chooser, folder.c_str());
    for (const FileFilter& filter : filters) {
        GtkFileFilter* gtkFilter = gtk_file_filter_new();
        gtk_file_filter_set_name(gtkFilter, filter.description.c_str());
        for (const std::string& pattern : filter.patterns) {
            gtk_file_filter_add_pattern(gtkFilter, pattern.c_str());
        }
        gtk_file_chooser_add_filter(chooser, gtkFilter);
    }
    gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);

    bool accepted = false;
    if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        if (gchar* name = gtk_file_chooser_get_filename(chooser)) {
            chosen = name;
            accepted = true;
            g_free(name);
        }
    }
    gtk_widget_destroy(dialog);
    settle();
    return accepted;
}

}  // namespace vorlan::platform
