#pragma once

#include <string>

namespace ikw::assistants {

// The share of the photo export done, in whole percent, truncated: 0 for a total below 1.
int photoProgressPercent(long long done, long long total);

// The page a photo sorting window shows while the export runs: a heading, "<done> of <total>" and
// a bar. No script and no link.
std::string photoProgressHTML(long long done, long long total);

// Replaces the page at `path` atomically; a failed write leaves the old page.
void writePhotoProgress(const std::string& path, long long done, long long total);

}
