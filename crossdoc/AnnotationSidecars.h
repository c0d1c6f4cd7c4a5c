#pragma once

#include <string>
#include <vector>

// The annotated copies the reader keeps: one PDF per document path and per version of the file,
// in the annotations folder of the application's support folder, named by the path's stable hash,
// "__", the source signature ("nosrc" when there is none) and ".pdf". A copy whose name carries the
// document's present signature is current and shown in place of the document; the others are
// stale copies of earlier versions, never shown and never deleted. No state in memory: every
// call asks the file system.
namespace ikw::crossdoc {

// The folder, created (with its parents) on every call; a failure shows at the next write.
std::string annotSidecarDir();

// "<modification time in whole seconds since 1970>-<size in bytes>" ("999-512"); empty when the
// file's facts cannot be read.
std::string annotSourceSig(const std::string& document);

// The sidecar's file name for a signature (empty: "nosrc").
std::string annotSidecarName(const std::string& document, const std::string& signature);
// The full path of the document's sidecar for its present signature.
std::string annotSidecarPath(const std::string& document);
// Whether the document has a readable signature and a file exists at its sidecar path.
bool annotSidecarExists(const std::string& document);
// Every other sidecar of the path (the "nosrc" one too), sorted by name, as full paths.
std::vector<std::string> annotStaleSidecars(const std::string& document);

// The line logged when a document is shown itself while older sidecars of it exist.
std::string staleSidecarsLogLine(std::size_t count, const std::string& document);

}
