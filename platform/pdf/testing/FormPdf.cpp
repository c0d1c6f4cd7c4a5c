#include "platform/pdf/testing/PdfFixtures.h"

namespace ikw::pdf::testing {


std::string formPdf(bool agreeChecked)
{
    const std::string agree = agreeChecked ? "/Yes" : "/Off";
    const auto widget = [](const std::string& page, const std::string& rest) {
        return "<< /Type /Annot /Subtype /Widget /P " + page + " /Rect [72 600 200 620] " + rest + " >>";
    };
    const std::string page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] ";
    return objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [8 0 R 12 0 R 13 0 R 16 0 R 17 0 R] >> >>",
        "<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R 6 0 R 7 0 R] /Count 5 >>",
        page + "/Annots [9 0 R 10 0 R 11 0 R 12 0 R 16 0 R 17 0 R] >>",
        page + "/Annots [14 0 R] >>",
        page + ">>",
        page + ">>",
        page + "/Annots [15 0 R] >>",
        // Radio buttons (flags: radio, no toggle to off).
        "<< /FT /Btn /Ff 49152 /T (Choice) /V /Two /Kids [9 0 R 10 0 R 11 0 R] >>",
        widget("3 0 R", "/Parent 8 0 R /AS /Off /AP << /N << /One 18 0 R /Off 18 0 R >> >>"),
        widget("3 0 R", "/Parent 8 0 R /AS /Two /AP << /N << /Two 18 0 R /Off 18 0 R >> >>"),
        widget("3 0 R", "/Parent 8 0 R /AS /Off /AP << /N << /Three 18 0 R /Off 18 0 R >> >>"),
        widget("3 0 R", "/FT /Btn /T (Agree) /V " + agree + " /AS " + agree + " /AP << /N << /Yes 18 0 R /Off 18 0 R >> >>"),
        "<< /FT /Tx /T (Name) /V (Ann) /Kids [14 0 R 15 0 R] >>",
        widget("4 0 R", "/Parent 13 0 R"),
        widget("7 0 R", "/Parent 13 0 R"),
        // A combo box.
        widget("3 0 R", "/FT /Ch /Ff 131072 /T (Color) /Opt [(Red) (Green) (Blue)] /V (Green)"),
        widget("3 0 R", "/FT /Sig /T (Sign)"),
        "<< /Type /XObject /Subtype /Form /BBox [0 0 20 20] /Length 0 >>\nstream\n\nendstream",
    });
}

std::string signatureOnlyFormPdf()
{
    return objectsPdf({
        "<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [4 0 R] >> >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Annots [4 0 R] >>",
        "<< /Type /Annot /Subtype /Widget /P 3 0 R /Rect [72 600 200 620] /FT /Sig /T (Sign) >>",
    });
}

}
