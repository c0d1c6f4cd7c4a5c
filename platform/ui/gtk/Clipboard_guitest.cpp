// Files copied to the clipboard come back as a file manager reads them.
#include "platform/ui/gtk/Desktop.h"
#include "platform/ui/gtk/GtkSetup.h"

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace ikw::ui {
namespace {

std::string targetText(const char* target)
{
    GtkSelectionData* data = gtk_clipboard_wait_for_contents(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), gdk_atom_intern(target, FALSE));
    if (!data)
        return {};
    gint length = 0;
    const guchar* bytes = gtk_selection_data_get_data_with_length(data, &length);
    std::string text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(std::max(length, 0)));
    gtk_selection_data_free(data);
    return text;
}

TEST(ClipboardOnScreen, CopiedFilesPasteAsFiles)
{
    ASSERT_TRUE(gtk3::initializeGtk()) << "needs a display (run under xvfb-run)";
    gtk3::Clipboard clipboard;
    clipboard.setFiles({ "/tmp/a b.pdf", "/tmp/c.txt" });
    EXPECT_EQ(targetText("text/uri-list"), "file:///tmp/a%20b.pdf\r\nfile:///tmp/c.txt");
    EXPECT_EQ(targetText("x-special/gnome-copied-files"), "copy\nfile:///tmp/a%20b.pdf\nfile:///tmp/c.txt");
    EXPECT_EQ(clipboard.text(), "/tmp/a b.pdf\n/tmp/c.txt");
}

}
}
