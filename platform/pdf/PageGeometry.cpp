#include "platform/pdf/PageGeometry.h"

#include <algorithm>

namespace ikw::pdf::detail {
namespace {

Rect toRect(fz_rect rect)
{
    return { rect.x0, rect.y0, rect.x1, rect.y1 };
}

}

Rect pageObjectBox(fz_context* context, pdf_obj* page, PageBox box)
{
    fz_rect media = pdf_to_rect(context, pdf_dict_get_inheritable(context, page, PDF_NAME(MediaBox)));
    if (fz_is_empty_rect(media))
        media = { kLetterPage.x0, kLetterPage.y0, kLetterPage.x1, kLetterPage.y1 };
    if (box == PageBox::Media)
        return toRect(media);
    pdf_obj* cropObject = pdf_dict_get_inheritable(context, page, PDF_NAME(CropBox));
    if (!pdf_is_array(context, cropObject))
        return toRect(media);
    const fz_rect crop = fz_intersect_rect(pdf_to_rect(context, cropObject), media);
    // A crop box outside the media box shows nothing; viewers fall back to the media box.
    return fz_is_empty_rect(crop) && !fz_is_empty_rect(pdf_to_rect(context, cropObject)) ? toRect(media) : toRect(crop);
}

int pageObjectRotation(fz_context* context, pdf_obj* page)
{
    return normaliseRotation(pdf_to_int(context, pdf_dict_get_inheritable(context, page, PDF_NAME(Rotate))));
}

int normaliseRotation(int degrees)
{
    int rotation = degrees % 360;
    if (rotation < 0)
        rotation += 360;
    return (rotation + 45) / 90 * 90 % 360;
}

fz_matrix boxToPixels(Rect box, int rotation, double scale)
{
    const fz_rect rect { static_cast<float>(box.x0), static_cast<float>(box.y0), static_cast<float>(box.x1),
        static_cast<float>(box.y1) };
    // PDF space has y upwards; pixels have it downwards. Turn, then move the box's corner to 0,0.
    fz_matrix matrix = fz_pre_rotate(fz_scale(1, -1), static_cast<float>(-rotation));
    const fz_rect turned = fz_transform_rect(rect, matrix);
    matrix = fz_concat(matrix, fz_translate(-turned.x0, -turned.y0));
    return fz_concat(matrix, fz_scale(static_cast<float>(scale), static_cast<float>(scale)));
}

Size shownSize(Rect box, int rotation)
{
    const bool sideways = rotation == 90 || rotation == 270;
    return sideways ? Size { box.height(), box.width() } : Size { box.width(), box.height() };
}

}
