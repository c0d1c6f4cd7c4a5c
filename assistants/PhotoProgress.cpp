#include "assistants/PhotoProgress.h"

#include "platform/core/FileSystem.h"

#include <algorithm>

namespace ikw::assistants {

namespace {

constexpr const char* kHead = "<!doctype html><html><head><meta charset=\"utf-8\"><title>Culmora Photos \u00b7 importing\u2026</title><style>"
                              "html,body{height:100%;margin:0}"
                              "body{background:#FBF7EE;color:#2B2722;font-family:Cambria,Georgia,serif;display:flex;align-items:center;justify-content:center}"
                              ".box{max-width:460px;padding:40px;text-align:center}"
                              "h1{font-size:21px;font-weight:normal;margin:0 0 10px}"
                              ".sub{font-size:13px;color:#6B6457;margin:0 0 22px}"
                              ".bar{height:8px;border-radius:99px;background:#F4EEDF;overflow:hidden}"
                              ".fill{height:100%;border-radius:99px;background:linear-gradient(90deg,#C8A872,#B8860B);transition:width .3s}"
                              "</style></head><body><div class=\"box\"><h1>Reading your Photos library\u2026</h1><p class=\"sub\">";
constexpr const char* kMiddle = " \u00b7 on your computer, nothing uploaded</p><div class=\"bar\"><div class=\"fill\" style=\"width:";
constexpr const char* kTail = "%\"></div></div></div></body></html>";

}

int photoProgressPercent(long long done, long long total)
{
    if (total < 1)
        return 0;
    // Whole numbers: 29 of 100 must read 29, which 29.0 / 100 * 100 in floating point does not.
    return static_cast<int>(std::clamp(done, 0LL, total) * 100 / total);
}

std::string photoProgressHTML(long long done, long long total)
{
    return kHead + std::to_string(done) + " of " + std::to_string(total) + kMiddle + std::to_string(photoProgressPercent(done, total)) + kTail;
}

void writePhotoProgress(const std::string& path, long long done, long long total)
{
    (void)realFileSystem().replaceFile(path, photoProgressHTML(done, total));
}

}
