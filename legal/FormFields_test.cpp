#include "legal/FormFields.h"

#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::legal {
namespace {

using Type = pdf::WidgetType;
using Options = std::optional<std::vector<std::string>>;

TEST(FormFields, TheFirstWidgetOfANameWinsAndOnlyARadioThatIsOnChangesIt)
{
    const std::vector<pdf::FormWidget> widgets {
        { 0, Type::RadioButton, "Choice", "", {} },
        { 0, Type::RadioButton, "Choice", "Two", {} },
        { 0, Type::RadioButton, "Choice", "", {} },
        { 1, Type::Text, "Name", "Ann", {} },
        { 4, Type::Text, "Name", "Other", {} },
        { 2, Type::CheckBox, "Agree", "Yes", {} },
        { 3, Type::CheckBox, "Agree", "", {} },
        { 0, Type::ListBox, "Color", "Red", { "Red", "Blue" } },
        { 3, Type::ComboBox, "Color", "Blue", { "Blue" } },
        { 0, Type::PushButton, "Reset", "Down", {} },
        { 0, Type::Signature, "Sign", "signed", {} },
        { 0, Type::Unknown, "Odd", "x", {} },
        { 0, Type::Text, "", "nameless", {} },
    };
    const std::vector<FormField> expected {
        { "Choice", "radio", 1, "Two", std::nullopt },
        { "Name", "text", 2, "Ann", std::nullopt },
        { "Agree", "check", 3, "Yes", std::nullopt },
        { "Color", "choice", 1, "Red", Options { { "Red", "Blue" } } },
        { "Reset", "button", 1, "", std::nullopt },
        { "Sign", "sig", 1, "", std::nullopt },
        { "Odd", "text", 1, "x", std::nullopt },
    };
    const auto fields = formFields(widgets);
    EXPECT_EQ(fields, expected);
    EXPECT_EQ(filledCount(fields), 5);
}

TEST(FormFields, AFormFileGivesItsFieldsAndSummary)
{
    const auto document = pdf::Document::fromBytes(pdf::testing::formPdf());
    ASSERT_TRUE(document);
    const std::vector<FormField> expected {
        { "Choice", "radio", 1, "Two", std::nullopt },
        { "Agree", "check", 1, "", std::nullopt },
        { "Color", "choice", 1, "Green", Options { { "Red", "Green", "Blue" } } },
        { "Sign", "sig", 1, "", std::nullopt },
        { "Name", "text", 2, "Ann", std::nullopt },
    };
    EXPECT_EQ(formFields(*document), expected);
    EXPECT_EQ(filledCount(formFields(*document)), 3);
    EXPECT_EQ(filledCount(formFields(*pdf::Document::fromBytes(pdf::testing::formPdf(true)))), 4) << "a ticked box counts";

    ikw::testing::TempHome home;
    const auto summary = [&](const std::string& name, const std::string& bytes) {
        return formSummary(ikw::testing::writeTestFile(home.file(name), bytes));
    };
    EXPECT_EQ(summary("form.pdf", pdf::testing::formPdf()), (Json {
        { "ok", true }, { "isForm", true }, { "count", 4 }, { "total", 5 },
        { "byKind", { { "radio", 1 }, { "check", 1 }, { "choice", 1 }, { "sig", 1 }, { "text", 1 } } } }));
    EXPECT_EQ(summary("sig.pdf", pdf::testing::signatureOnlyFormPdf()), (Json {
        { "ok", true }, { "isForm", false }, { "count", 0 }, { "total", 1 }, { "byKind", { { "sig", 1 } } } }));
    EXPECT_EQ(summary("plain.pdf", pdf::testing::numberedPdf(2)), (Json {
        { "ok", true }, { "isForm", false }, { "count", 0 }, { "total", 0 }, { "byKind", Json::object() } }));
    EXPECT_EQ(summary("notes.pdf", "not a PDF"), (Json { { "ok", false } }));
}

}
}
