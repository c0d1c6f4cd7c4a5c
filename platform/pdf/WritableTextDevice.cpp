#include "platform/pdf/WritableTextDevice.h"

#include "platform/pdf/MuPdfOwned.h"

namespace ikw::pdf::detail {

namespace {

struct ForwardingDevice {
    fz_device super;
    fz_device* target;
};

fz_device* targetOf(fz_device* device)
{
    return reinterpret_cast<ForwardingDevice*>(device)->target;
}

bool isWritable(fz_context* context, fz_font* font)
{
    return !fz_font_t3_procs(context, font) && pdf_font_writing_supported(font);
}

bool allSpansWritable(fz_context* context, const fz_text* text)
{
    for (const fz_text_span* span = text->head; span; span = span->next) {
        if (!isWritable(context, span->font))
            return false;
    }
    return true;
}

void dropText(fz_context* context, fz_text* text)
{
    fz_drop_text(context, text);
}
void dropPath(fz_context* context, fz_path* path)
{
    fz_drop_path(context, path);
}
using OwnedText = Owned<fz_text, dropText>;
using OwnedPath = Owned<fz_path, dropPath>;

// The glyph's own matrix: the span's, placed at the item's origin.
fz_matrix glyphMatrix(const fz_text_span* span, const fz_text_item& item)
{
    fz_matrix matrix = span->trm;
    matrix.e = item.x;
    matrix.f = item.y;
    return matrix;
}

// The spans in writable fonts, as a new text (null when there are none).
fz_text* writableSpans(fz_context* context, const fz_text* text)
{
    OwnedText kept(fz_new_text(context));
    bool any = false;
    for (const fz_text_span* span = text->head; span; span = span->next) {
        if (!isWritable(context, span->font))
            continue;
        any = true;
        for (int at = 0; at < span->len; ++at) {
            const fz_text_item& item = span->items[at];
            fz_show_glyph(context, kept.get(), span->font, glyphMatrix(span, item), item.gid, item.ucs, span->wmode,
                span->bidi_level, static_cast<fz_bidi_direction>(span->markup_dir),
                static_cast<fz_text_language>(span->language));
        }
    }
    return any ? kept.release() : nullptr;
}

struct Paint {
    const fz_stroke_state* stroke; // null: fill
    fz_colorspace* colorspace;
    const float* color;
    float alpha;
    fz_color_params params;
};

// Draws the glyphs of the spans the writer cannot embed: Type 3 glyphs run their own drawing,
// others are filled or stroked as outlines.
void drawUnwritableSpans(fz_context* context, fz_device* target, const fz_text* text, fz_matrix ctm, const Paint& paint)
{
    for (const fz_text_span* span = text->head; span; span = span->next) {
        if (isWritable(context, span->font))
            continue;
        const bool type3 = fz_font_t3_procs(context, span->font) != nullptr;
        for (int at = 0; at < span->len; ++at) {
            const fz_text_item& item = span->items[at];
            if (item.gid < 0)
                continue;
            const fz_matrix glyph = glyphMatrix(span, item);
            if (type3) {
                fz_run_t3_glyph(context, span->font, item.gid, fz_concat(glyph, ctm), target);
                continue;
            }
            const OwnedPath outline(fz_outline_glyph(context, span->font, item.gid, glyph));
            if (!outline.get())
                continue;
            if (paint.stroke)
                fz_stroke_path(context, target, outline.get(), paint.stroke, ctm, paint.colorspace, paint.color, paint.alpha, paint.params);
            else
                fz_fill_path(context, target, outline.get(), 0, ctm, paint.colorspace, paint.color, paint.alpha, paint.params);
        }
    }
}

void paintText(fz_context* context, fz_device* device, const fz_text* text, fz_matrix ctm, const Paint& paint)
{
    fz_device* target = targetOf(device);
    const auto forward = [&](const fz_text* part) {
        if (paint.stroke)
            fz_stroke_text(context, target, part, paint.stroke, ctm, paint.colorspace, paint.color, paint.alpha, paint.params);
        else
            fz_fill_text(context, target, part, ctm, paint.colorspace, paint.color, paint.alpha, paint.params);
    };
    if (allSpansWritable(context, text))
        return forward(text);
    const OwnedText writable(writableSpans(context, text));
    if (writable.get())
        forward(writable.get());
    drawUnwritableSpans(context, target, text, ctm, paint);
}

void fillText(fz_context* context, fz_device* device, const fz_text* text, fz_matrix ctm, fz_colorspace* colorspace,
    const float* color, float alpha, fz_color_params params)
{
    paintText(context, device, text, ctm, { nullptr, colorspace, color, alpha, params });
}

void strokeText(fz_context* context, fz_device* device, const fz_text* text, const fz_stroke_state* stroke, fz_matrix ctm,
    fz_colorspace* colorspace, const float* color, float alpha, fz_color_params params)
{
    paintText(context, device, text, ctm, { stroke, colorspace, color, alpha, params });
}

// Clipping by text the writer cannot embed clips by the text's bounds: every clip must still be
// pushed, since a pop follows it.
void clipToText(fz_context* context, fz_device* device, const fz_text* text, const fz_stroke_state* stroke, fz_matrix ctm,
    fz_rect scissor)
{
    fz_device* target = targetOf(device);
    if (allSpansWritable(context, text)) {
        if (stroke)
            return fz_clip_stroke_text(context, target, text, stroke, ctm, scissor);
        return fz_clip_text(context, target, text, ctm, scissor);
    }
    const fz_rect bounds = fz_bound_text(context, text, stroke, ctm);
    OwnedPath box(fz_new_path(context));
    fz_rectto(context, box.get(), bounds.x0, bounds.y0, bounds.x1, bounds.y1);
    fz_clip_path(context, target, box.get(), 0, fz_identity, scissor);
}

void clipText(fz_context* context, fz_device* device, const fz_text* text, fz_matrix ctm, fz_rect scissor)
{
    clipToText(context, device, text, nullptr, ctm, scissor);
}

void clipStrokeText(fz_context* context, fz_device* device, const fz_text* text, const fz_stroke_state* stroke,
    fz_matrix ctm, fz_rect scissor)
{
    clipToText(context, device, text, stroke, ctm, scissor);
}

// Invisible text in a font the writer cannot embed has nothing to show; it is left out.
void ignoreText(fz_context* context, fz_device* device, const fz_text* text, fz_matrix ctm)
{
    if (allSpansWritable(context, text))
        return fz_ignore_text(context, targetOf(device), text, ctm);
    const OwnedText writable(writableSpans(context, text));
    if (writable.get())
        fz_ignore_text(context, targetOf(device), writable.get(), ctm);
}

void installForwarding(fz_device& device)
{
    device.fill_path = [](fz_context* c, fz_device* d, const fz_path* path, int evenOdd, fz_matrix ctm, fz_colorspace* cs,
                           const float* color, float alpha, fz_color_params params) {
        fz_fill_path(c, targetOf(d), path, evenOdd, ctm, cs, color, alpha, params);
    };
    device.stroke_path = [](fz_context* c, fz_device* d, const fz_path* path, const fz_stroke_state* stroke, fz_matrix ctm,
                             fz_colorspace* cs, const float* color, float alpha, fz_color_params params) {
        fz_stroke_path(c, targetOf(d), path, stroke, ctm, cs, color, alpha, params);
    };
    device.clip_path = [](fz_context* c, fz_device* d, const fz_path* path, int evenOdd, fz_matrix ctm, fz_rect scissor) {
        fz_clip_path(c, targetOf(d), path, evenOdd, ctm, scissor);
    };
    device.clip_stroke_path = [](fz_context* c, fz_device* d, const fz_path* path, const fz_stroke_state* stroke,
                                  fz_matrix ctm, fz_rect scissor) {
        fz_clip_stroke_path(c, targetOf(d), path, stroke, ctm, scissor);
    };
    device.fill_text = fillText;
    device.stroke_text = strokeText;
    device.clip_text = clipText;
    device.clip_stroke_text = clipStrokeText;
    device.ignore_text = ignoreText;
    device.fill_shade = [](fz_context* c, fz_device* d, fz_shade* shade, fz_matrix ctm, float alpha, fz_color_params params) {
        fz_fill_shade(c, targetOf(d), shade, ctm, alpha, params);
    };
    device.fill_image = [](fz_context* c, fz_device* d, fz_image* image, fz_matrix ctm, float alpha, fz_color_params params) {
        fz_fill_image(c, targetOf(d), image, ctm, alpha, params);
    };
    device.fill_image_mask = [](fz_context* c, fz_device* d, fz_image* image, fz_matrix ctm, fz_colorspace* cs,
                                 const float* color, float alpha, fz_color_params params) {
        fz_fill_image_mask(c, targetOf(d), image, ctm, cs, color, alpha, params);
    };
    device.clip_image_mask = [](fz_context* c, fz_device* d, fz_image* image, fz_matrix ctm, fz_rect scissor) {
        fz_clip_image_mask(c, targetOf(d), image, ctm, scissor);
    };
    device.pop_clip = [](fz_context* c, fz_device* d) { fz_pop_clip(c, targetOf(d)); };
    device.begin_mask = [](fz_context* c, fz_device* d, fz_rect area, int luminosity, fz_colorspace* cs, const float* backdrop,
                            fz_color_params params) { fz_begin_mask(c, targetOf(d), area, luminosity, cs, backdrop, params); };
    device.end_mask = [](fz_context* c, fz_device* d) { fz_end_mask(c, targetOf(d)); };
    device.begin_group = [](fz_context* c, fz_device* d, fz_rect area, fz_colorspace* cs, int isolated, int knockout,
                             int blendmode, float alpha) { fz_begin_group(c, targetOf(d), area, cs, isolated, knockout, blendmode, alpha); };
    device.end_group = [](fz_context* c, fz_device* d) { fz_end_group(c, targetOf(d)); };
    device.begin_tile = [](fz_context* c, fz_device* d, fz_rect area, fz_rect view, float xstep, float ystep, fz_matrix ctm,
                            int id) { return fz_begin_tile_id(c, targetOf(d), area, view, xstep, ystep, ctm, id); };
    device.end_tile = [](fz_context* c, fz_device* d) { fz_end_tile(c, targetOf(d)); };
    device.render_flags = [](fz_context* c, fz_device* d, int set, int clear) { fz_render_flags(c, targetOf(d), set, clear); };
    device.set_default_colorspaces = [](fz_context* c, fz_device* d, fz_default_colorspaces* colorspaces) {
        fz_set_default_colorspaces(c, targetOf(d), colorspaces);
    };
    device.begin_layer = [](fz_context* c, fz_device* d, const char* name) { fz_begin_layer(c, targetOf(d), name); };
    device.end_layer = [](fz_context* c, fz_device* d) { fz_end_layer(c, targetOf(d)); };
}

}

fz_device* newWritableTextDevice(fz_context* ctx, fz_device* target)
{
    // The macro names its context `ctx`.
    ForwardingDevice* device = fz_new_derived_device(ctx, ForwardingDevice);
    device->target = target;
    installForwarding(device->super);
    return &device->super;
}

}
