#include "platform/pdf/PageSpace.h"

#include "platform/pdf/Document.h"
#include "platform/pdf/MuPdfContext.h"
#include "platform/pdf/MuPdfOwned.h"

#include <algorithm>

namespace ikw::pdf {

using namespace detail;

std::optional<PageSpace> PageSpace::of(const Document& document, int index)
{
    const DocumentLock lock(documentMutex());
    if (index < 0 || index >= document.pageCount())
        return std::nullopt;
    fz_context* context = threadContext();
    OwnedObject page;
    fz_matrix transform = fz_identity;
    fz_try(context)
    {
        page.reset(document.pageObject(index));
        fz_rect mediaBox;
        pdf_page_obj_transform(context, page.get(), &mediaBox, &transform);
    }
    fz_catch(context)
    {
        return std::nullopt;
    }
    return PageSpace(Matrix { transform.a, transform.b, transform.c, transform.d, transform.e, transform.f });
}

Rect PageSpace::toPage(Rect shown) const
{
    return m_toPage.map(shown);
}

Rect PageSpace::toShown(Rect page) const
{
    return m_toShown.map(page);
}

Rect PageSpace::Matrix::map(Rect rect) const
{
    const auto x = [this](double px, double py) { return a * px + c * py + e; };
    const auto y = [this](double px, double py) { return b * px + d * py + f; };
    const double xs[] = { x(rect.x0, rect.y0), x(rect.x1, rect.y0), x(rect.x0, rect.y1), x(rect.x1, rect.y1) };
    const double ys[] = { y(rect.x0, rect.y0), y(rect.x1, rect.y0), y(rect.x0, rect.y1), y(rect.x1, rect.y1) };
    return { *std::min_element(std::begin(xs), std::end(xs)), *std::min_element(std::begin(ys), std::end(ys)),
        *std::max_element(std::begin(xs), std::end(xs)), *std::max_element(std::begin(ys), std::end(ys)) };
}

PageSpace::Matrix PageSpace::Matrix::inverted() const
{
    const double determinant = a * d - b * c;
    if (determinant == 0)
        return {};
    return { d / determinant, -b / determinant, -c / determinant, a / determinant, (c * f - d * e) / determinant,
        (b * e - a * f) / determinant };
}

}
