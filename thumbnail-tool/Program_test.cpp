// The qelthumb program end to end: its line protocol on real pipes.
#include "platform/core/Process.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gio.h>
#include <gtest/gtest.h>

namespace ikw {
namespace {

std::string savePng(const std::string& path, int width, int height)
{
    GdkPixbuf* image = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
    gdk_pixbuf_fill(image, 0x224488ff);
    gdk_pixbuf_save(image, path.c_str(), "png", nullptr, nullptr);
    g_object_unref(image);
    return path;
}

ProcessResult runQelthumb(const std::string& input)
{
    ProcessOptions options;
    options.argv = { QELTHUMB_BINARY };
    options.standardInput = input;
    options.timeoutSeconds = 60;
    return runProcess(options);
}

TEST(Qelthumb, AnswersEachAcceptedJobAndIgnoresTheRest)
{
    testing::TempHome home;
    const std::string source = savePng(home.file("a.png"), 1200, 600);
    const auto result = runQelthumb(source + "\t" + home.file("out.png") + "\t256\n\nno-tab\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardOutput, source + "\tOK\n");
    EXPECT_EQ(result.standardError, "");
    int width = 0, height = 0;
    ASSERT_TRUE(gdk_pixbuf_get_file_info(home.file("out.png").c_str(), &width, &height));
    EXPECT_EQ(width, 512);
    EXPECT_EQ(height, 256);

    const auto empty = runQelthumb("");
    EXPECT_EQ(empty.exitStatus, 0);
    EXPECT_EQ(empty.standardOutput, "");
}

TEST(Qelthumb, RendersAPdfAtTwiceTheSizeAndFailsWithoutLeavingAFile)
{
    testing::TempHome home;
    pdf::testing::writeFixture(home.file("a.pdf"), pdf::testing::numberedPdf(1));
    testing::writeTestFile(home.file("broken.pdf"), "%PDF-1.7 not really");
    const auto result = runQelthumb(home.file("a.pdf") + "\t" + home.file("a.png") + "\t256\n"
        + home.file("broken.pdf") + "\t" + home.file("broken.png") + "\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, "");
    EXPECT_NE(result.standardOutput.find(home.file("a.pdf") + "\tOK\n"), std::string::npos);
    EXPECT_NE(result.standardOutput.find(home.file("broken.pdf") + "\tFAIL\n"), std::string::npos);
    int width = 0, height = 0;
    ASSERT_TRUE(gdk_pixbuf_get_file_info(home.file("a.png").c_str(), &width, &height));
    EXPECT_EQ(height, 512);
    EXPECT_FALSE(g_file_test(home.file("broken.png").c_str(), G_FILE_TEST_EXISTS));
}

TEST(Qelthumb, EachAnswerArrivesBeforeTheNextJobIsSent)
{
    testing::TempHome home;
    const std::string source = savePng(home.file("b.png"), 64, 64);
    GError* error = nullptr;
    GSubprocess* process = g_subprocess_new(
        static_cast<GSubprocessFlags>(G_SUBPROCESS_FLAGS_STDIN_PIPE | G_SUBPROCESS_FLAGS_STDOUT_PIPE), &error, QELTHUMB_BINARY, nullptr);
    ASSERT_NE(process, nullptr);
    GOutputStream* in = g_subprocess_get_stdin_pipe(process);
    GDataInputStream* out = g_data_input_stream_new(g_subprocess_get_stdout_pipe(process));

    for (int i = 0; i < 3; ++i) {
        const std::string job = source + "\t" + home.file("o" + std::to_string(i) + ".png") + "\n";
        ASSERT_TRUE(g_output_stream_write_all(in, job.data(), job.size(), nullptr, nullptr, nullptr));
        ASSERT_TRUE(g_output_stream_flush(in, nullptr, nullptr));
        // Input stays open: the answer must come now, not at exit.
        gchar* line = g_data_input_stream_read_line(out, nullptr, nullptr, nullptr);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(std::string(line), source + "\tOK");
        g_free(line);
    }
    g_output_stream_close(in, nullptr, nullptr);
    EXPECT_TRUE(g_subprocess_wait_check(process, nullptr, nullptr));
    g_object_unref(out);
    g_object_unref(process);
}

}
}
