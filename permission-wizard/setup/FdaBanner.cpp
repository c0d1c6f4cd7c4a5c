#include "permission-wizard/setup/FdaBanner.h"

#include "app/TemplateFill.h"
#include "platform/core/Json.h"

#include <glib.h>

namespace ikw::setup {

namespace {

constexpr std::string_view kBannerStyle =
    "position:fixed;left:14px;bottom:12px;z-index:99999;background:#262420;color:#F3EAD6;"
    "font:12.5px/1.35 -apple-system,sans-serif;padding:9px 14px 9px 11px;border-radius:13px;"
    "box-shadow:0 6px 22px rgba(0,0,0,.30);display:flex;align-items:center;gap:12px;"
    "border:1px solid rgba(200,168,114,.34)";

constexpr std::string_view kBannerBody =
    "<span>Open every folder at full speed<br><span style=\"opacity:.62;font-size:11px\">One switch in Settings</span></span>"
    "<a href=\"qeliz://fda\" style=\"color:#23262A;background:#C8A872;font-weight:600;text-decoration:none;"
    "padding:5px 12px;border-radius:8px;white-space:nowrap\">Turn on</a>"
    "<span id=\"__fdabx\" title=\"Dismiss\" style=\"cursor:pointer;opacity:.45;font-size:15px;padding:0 2px\">&times;</span>";

std::string fileUrl(std::string_view path)
{
    char* uri = g_filename_to_uri(std::string(path).c_str(), nullptr, nullptr);
    if (!uri)
        return {};
    std::string url(uri);
    g_free(uri);
    return url;
}

std::string iconFragment(std::string_view markPath)
{
    const std::string url = markPath.empty() ? std::string() : fileUrl(markPath);
    if (url.empty())
        return {};
    return "<img src=\"" + htmlEscape(url) + "\" style=\"width:22px;height:22px;border-radius:6px;flex:none\">";
}

}

std::string fdaBannerScript(std::string_view markPath)
{
    std::string script = "(function(){"
                         "if(document.getElementById('__fdab'))return;"
                         "if(!document.getElementById('grid')&&!document.getElementById('stage'))return;"
                         "if(!document.body)return;"
                         "var b=document.createElement('div');"
                         "b.id='__fdab';";
    script += "b.setAttribute('style'," + jsQuote(kBannerStyle) + ");";
    script += "b.innerHTML=" + jsQuote(iconFragment(markPath) + std::string(kBannerBody)) + ";";
    script += "b.querySelector('#__fdabx').addEventListener('click',function(){b.remove();});"
              "document.body.appendChild(b);"
              "})();";
    return script;
}

}
