#pragma once

// Small manifests for the tests of this folder.

#include "legal/BatesManifest.h"

namespace ikw::legal::BatesStamper::testing {

inline ManifestDoc stampedDoc(const BatesConfig& config, std::string source, std::string output, std::int64_t begin,
    std::int64_t pages)
{
    const std::int64_t end = begin + pages - 1;
    return { std::move(source), std::move(output), pages, begin, end, config.label(begin), config.label(end) };
}

// A folder after one default run over two documents of 3 and 2 pages.
inline Manifest oneRunManifest()
{
    const BatesConfig config;
    Manifest manifest;
    recordRun(manifest, config,
        { stampedDoc(config, "/in/b.pdf", "/out/ABC000001.pdf", 1, 3),
            stampedDoc(config, "/in/a.pdf", "/out/ABC000004.pdf", 4, 2) },
        "2026-12-10T13:45:07Z");
    manifest.sources = { { "/in/b.pdf", "ABC000001" }, { "/in/a.pdf", "ABC000004" } };
    return manifest;
}

}
