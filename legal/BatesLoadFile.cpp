#include "legal/BatesLoadFile.h"

#include "platform/core/Paths.h"

namespace ikw::legal::BatesStamper {

namespace {

// A file name as one CSV field: always quoted, inner quotes doubled.
std::string quotedName(std::string_view path)
{
    std::string out = "\"";
    for (const char c : lastPathComponent(path)) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

}

std::string csvPath(std::string_view dir)
{
    return std::string(dir) + "/" + std::string(csvName);
}

std::string loadFileText(const Manifest& manifest)
{
    std::string text = "BegBates,EndBates,Pages,OriginalFile,StampedFile\n";
    for (const ManifestRun& run : manifest.runs) {
        for (const ManifestDoc& doc : run.documents) {
            text += doc.beginLabel + "," + doc.endLabel + "," + std::to_string(doc.pages) + ","
                + quotedName(doc.source) + "," + quotedName(doc.output) + "\n";
        }
    }
    return text;
}

IoStatus writeCSV(const Manifest& manifest, std::string_view dir, FileSystem& files)
{
    return files.replaceFile(csvPath(dir), loadFileText(manifest));
}

}
