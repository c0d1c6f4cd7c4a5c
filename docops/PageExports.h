#pragma once

#include "docops/PageRewrite.h"

#include <string>
#include <vector>

// Page operations that leave the open PDF as it is and write new files: each asks for its
// destination with a panel, works and writes in the background, then toasts and shows the result
// in the file manager. A new file replaces an existing one only through an atomic rename, and when
// it replaces the window's own document the window is restamped and its reader reloaded.
namespace ikw::docops {

// The file name without its last extension ("Brief.v2.pdf" gives "Brief.v2").
std::string baseName(const std::string& name);

// The listed 1-based pages, in list order, into a new PDF.
void extractPages(const PageOpContext& context, const std::string& path, const std::vector<long long>& pageNumbers);
// One PDF per page into a chosen folder, under names not yet taken there.
void splitPages(const PageOpContext& context, const std::string& path);
// The open PDF followed by chosen PDFs, into a new PDF.
void mergePdfs(const PageOpContext& context, const std::string& path);

}
