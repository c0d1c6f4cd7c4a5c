#include "app/Brand.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"

namespace ikw {

Brand Brand::fallback()
{
    return Brand {
        .name = "Inkwarden",
        .tagline = "One window, your whole library.",
        .endorsement = "by Norvale Studios",
        .domain = "inkwarden.app",
        .category = "Document Studio",
        .modules = { { "sort", true }, { "read", true }, { "compare", true } },
        .paletteAccent = std::nullopt,
    };
}

namespace {

void takeString(const Json& object, const char* key, std::string& field)
{
    if (auto it = object.find(key); it != object.end() && it->is_string())
        field = it->get<std::string>();
}

std::optional<std::map<std::string, bool>> moduleMap(const Json& object)
{
    auto it = object.find("modules");
    if (it == object.end() || !it->is_object())
        return std::nullopt;
    std::map<std::string, bool> modules;
    for (const auto& [name, value] : it->items()) {
        if (!value.is_boolean())
            return std::nullopt;
        modules[name] = value.get<bool>();
    }
    return modules;
}

}

Brand Brand::parse(std::string_view text)
{
    Brand brand = fallback();
    const auto parsed = parseJson(text);
    if (!parsed || !parsed->is_object())
        return brand;
    const Json& object = *parsed;
    takeString(object, "name", brand.name);
    takeString(object, "tagline", brand.tagline);
    takeString(object, "endorsement", brand.endorsement);
    takeString(object, "domain", brand.domain);
    takeString(object, "category", brand.category);
    if (auto modules = moduleMap(object))
        brand.modules = std::move(*modules);
    if (auto it = object.find("palette_accent"); it != object.end() && it->is_string())
        brand.paletteAccent = it->get<std::string>();
    return brand;
}

Brand Brand::load(const std::string& resourcesDir)
{
    const auto text = realFileSystem().readFile(joinPath(resourcesDir, "brand.json"));
    return text ? parse(*text) : fallback();
}

bool Brand::has(std::string_view module) const
{
    const auto it = modules.find(std::string(module));
    return it != modules.end() && it->second;
}

}
