// Draws the permission screen's pictures of the file manager's context menu with the product's
// entry at the top, one per appearance:
//   ikw_permission_dialog_pictures NAME DARK.png LIGHT.png
// NAME is the product's name as the menu shows it.

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

struct Rgb {
    double r, g, b;
};

Rgb hex(unsigned rgb)
{
    return { ((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0 };
}

struct Palette {
    Rgb window, sidebar, menu, border, text, mutedText, selection, accent, onAccent;
    double shadow;
};

const Palette kDark { hex(0x242424), hex(0x2E2E2E), hex(0x383838), hex(0x4A4A4A), hex(0xF0F0F0), hex(0x9A9A9A),
    hex(0x3B4B63), hex(0xCEB06B), hex(0x191A1C), 0.3 };
const Palette kLight { hex(0xFAFAFA), hex(0xEBEBEB), hex(0xFFFFFF), hex(0xD0D0D0), hex(0x2E3436), hex(0x77767B),
    hex(0xD6E4F6), hex(0xC8A872), hex(0x23262A), 0.1 };

constexpr double kScale = 2; // drawn at twice the size it is shown at
constexpr int kWidth = 440;
constexpr int kHeight = 190;

void setColor(cairo_t* cr, Rgb color, double alpha = 1)
{
    cairo_set_source_rgba(cr, color.r, color.g, color.b, alpha);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + w - radius, y + h - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + h - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void text(cairo_t* cr, const std::string& words, double x, double baseline, double size, Rgb color, bool bold = false)
{
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    setColor(cr, color);
    cairo_move_to(cr, x, baseline);
    cairo_show_text(cr, words.c_str());
}

// A document icon with a folded corner.
void documentIcon(cairo_t* cr, double x, double y, const Palette& palette, bool selected)
{
    if (selected) {
        roundedRect(cr, x - 8, y - 6, 56, 76, 6);
        setColor(cr, palette.selection);
        cairo_fill(cr);
    }
    cairo_move_to(cr, x, y);
    cairo_line_to(cr, x + 28, y);
    cairo_line_to(cr, x + 40, y + 12);
    cairo_line_to(cr, x + 40, y + 52);
    cairo_line_to(cr, x, y + 52);
    cairo_close_path(cr);
    setColor(cr, hex(0xFFFFFF));
    cairo_fill_preserve(cr);
    setColor(cr, palette.border);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    roundedRect(cr, x + 6, y + 30, 20, 10, 2);
    setColor(cr, hex(0xC01C28));
    cairo_fill(cr);
    text(cr, "PDF", x + 8, y + 38.5, 7, hex(0xFFFFFF), true);
}

void productMark(cairo_t* cr, double x, double y, const Palette& palette)
{
    roundedRect(cr, x, y, 14, 14, 3.5);
    setColor(cr, palette.accent);
    cairo_fill(cr);
    cairo_set_line_width(cr, 1.6);
    setColor(cr, palette.onAccent);
    for (int line = 0; line < 3; ++line) {
        cairo_move_to(cr, x + 3.5, y + 4 + line * 3);
        cairo_line_to(cr, x + 10.5 - (line == 2 ? 3 : 0), y + 4 + line * 3);
    }
    cairo_stroke(cr);
}

void draw(cairo_t* cr, const Palette& palette, const std::string& name)
{
    cairo_scale(cr, kScale, kScale);
    setColor(cr, palette.window);
    cairo_paint(cr);
    // The file manager's sidebar and a selected document.
    cairo_rectangle(cr, 0, 0, 110, kHeight);
    setColor(cr, palette.sidebar);
    cairo_fill(cr);
    const char* places[] = { "Recent", "Home", "Documents", "Downloads" };
    for (int i = 0; i < 4; ++i)
        text(cr, places[i], 16, 28 + i * 24, 11, i == 2 ? palette.text : palette.mutedText, i == 2);
    documentIcon(cr, 148, 34, palette, true);
    text(cr, "brief.pdf", 142, 114, 10, palette.text);

    // The context menu, the product's entries first.
    const double menuX = 200, menuY = 20, menuW = 220, rowH = 22;
    const std::string rows[] = { "Open in " + name, "Share with " + name, "", "Open With Other Application", "Copy", "Move to Trash" };
    const double menuH = 14 + 5 * rowH + 9;
    roundedRect(cr, menuX + 1, menuY + 3, menuW, menuH, 8);
    setColor(cr, hex(0x000000), palette.shadow);
    cairo_fill(cr);
    roundedRect(cr, menuX, menuY, menuW, menuH, 8);
    setColor(cr, palette.menu);
    cairo_fill_preserve(cr);
    setColor(cr, palette.border);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    double y = menuY + 7;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        if (rows[i].empty()) {
            cairo_move_to(cr, menuX + 8, y + 4.5);
            cairo_line_to(cr, menuX + menuW - 8, y + 4.5);
            setColor(cr, palette.border);
            cairo_stroke(cr);
            y += 9;
            continue;
        }
        if (i == 0) {
            roundedRect(cr, menuX + 5, y, menuW - 10, rowH, 5);
            setColor(cr, palette.accent, 0.28);
            cairo_fill(cr);
        }
        const bool ours = i < 2;
        if (ours)
            productMark(cr, menuX + 12, y + 4, palette);
        text(cr, rows[i], menuX + (ours ? 34 : 14), y + 15, 11.5, palette.text, i == 0);
        y += rowH;
    }
}

bool writePicture(const std::string& path, const Palette& palette, const std::string& name)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(kWidth * kScale), int(kHeight * kScale));
    cairo_t* cr = cairo_create(surface);
    draw(cr, palette, name);
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

}

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fputs("usage: ikw_permission_dialog_pictures NAME DARK.png LIGHT.png\n", stderr);
        return 2;
    }
    const std::string name = argv[1];
    if (!writePicture(argv[2], kDark, name) || !writePicture(argv[3], kLight, name)) {
        std::fputs("ikw_permission_dialog_pictures: could not write the pictures\n", stderr);
        return 1;
    }
    return 0;
}
