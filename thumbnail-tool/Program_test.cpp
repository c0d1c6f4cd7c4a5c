// The qelthumb program end to end: its line protocol on real pipes.
#include "platform/core/Process.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"
#include "platform/imaging/thumbnails/testing/PngFixture.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

std::pair<int, int> pngSize(const std::string& path)
{
    int width = 0, height = 0;
    gdk_pixbuf_get_file_info(path.c_str(), &width, &height);
    return { width, height };
}

bool answered(const std::string& output, const std::string& source, const char* word)
{
    return output.find(source + "\t" + word + "\n") != std::string::npos;
}

TEST(Qelthumb, OddSourcesAndNamesEachGetTheirAnswer)
{
    testing::TempHome home;
    const std::string png = savePng(home.file("a.png"), 300, 150);
    const std::string fifo = home.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string link = home.file("link.png");
    ASSERT_EQ(::symlink(png.c_str(), link.c_str()), 0);
    const std::string latin1 = home.file("caf\xe9.png");
    savePng(latin1, 40, 20);
    std::string longName;
    for (int i = 0; i < 83; ++i)
        longName += "\u6587";
    longName += "ab.png"; // 255 bytes
    const std::string folder = home.file("");

    const auto result = runQelthumb(fifo + "\t" + home.file("pipe.png") + "\n" + folder + "\t" + home.file("folder.png") + "\n"
        + link + "\t" + home.file("link-out.png") + "\t64\n" + latin1 + "\t" + home.file("out-\xe9.png") + "\t64\n"
        + png + "\t" + home.file(longName) + "\t64\n" + home.file("missing.png") + "\t" + home.file("missing-out.png") + "\n");
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_FALSE(result.timedOut);
    EXPECT_TRUE(answered(result.standardOutput, fifo, "FAIL"));
    EXPECT_TRUE(answered(result.standardOutput, folder, "FAIL"));
    EXPECT_TRUE(answered(result.standardOutput, link, "OK"));
    EXPECT_TRUE(answered(result.standardOutput, latin1, "OK"));
    EXPECT_TRUE(answered(result.standardOutput, png, "OK"));
    EXPECT_TRUE(answered(result.standardOutput, home.file("missing.png"), "FAIL"));
    EXPECT_EQ(pngSize(home.file("link-out.png")), std::make_pair(128, 64));
    EXPECT_EQ(pngSize(home.file("out-\xe9.png")), std::make_pair(40, 20));
    EXPECT_EQ(pngSize(home.file(longName)), std::make_pair(128, 64));
    for (const std::string& name : testing::folderEntries(home.path()))
        EXPECT_FALSE(name.starts_with(".qelthumb-")) << name;
}

TEST(Qelthumb, SixHugePngsAtOnceStayWithinAFewHundredMegabytes)
{
    testing::TempHome home;
    // 12000 x 12000 pixels: 432 MB of RGB when decoded whole, about 0.4 MB of file.
    const std::string huge = home.file("huge.png");
    ASSERT_TRUE(testing::writeUniformPng(huge, 12000, 12000, 0x336699));
    std::string jobs;
    for (int i = 0; i < 6; ++i)
        jobs += huge + "\t" + home.file("huge" + std::to_string(i) + ".png") + "\t128\n";
    const auto result = runQelthumb(jobs);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(std::count(result.standardOutput.begin(), result.standardOutput.end(), '\n'), 6);
    EXPECT_EQ(result.standardOutput.find("FAIL"), std::string::npos);
    EXPECT_EQ(pngSize(home.file("huge5.png")), std::make_pair(256, 256));
    // The largest resident size of any child this test program waited for: the tool's runs here.
    struct rusage usage {};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 300L * 1024) << "kilobytes";
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
