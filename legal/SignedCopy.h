#pragma once

#include "docops/ReviewPageOps.h"
#include "platform/core/FileSystem.h"

#include <string>
#include <string_view>

namespace ikw {
class ReviewWC;
struct UrlAction;
}

namespace ikw::legal {

inline constexpr std::string_view chooseSignatureImageMessage = "Choose an image of your signature \u2014 the white background comes off automatically.";
inline constexpr std::string_view unreadableSignedCopyMessage = "Could not read the signed document.";
inline constexpr std::string_view signedCopyAlertMessage = "The signed copy could not be saved";
inline constexpr std::string_view signedCopyAlertText =
    "Inkwarden built the signed document but could not hand it back for saving, so nothing was written and your original is "
    "untouched. Your signature is still placed on the page.\n\nOpening this document in its own window and signing there will "
    "work. Please report this if it happens again.";
inline constexpr std::string_view signPanelCancelledMessage = "Save cancelled \u2014 your signature is still placed.";
inline constexpr std::string_view signWriteFailedMessage = "Could not save the file.";
inline constexpr std::string_view unflattenedFormMessage =
    "Saved, but this document's form fields could not be flattened and are still editable. Do not send this as a final copy.";

// The signing page's native steps that go through panels: the signature image and the signed copy.
struct SignedCopyServices {
    // The panels, alerts and the reveal.
    docops::PageOpServices pageOps;
    // Where the signed copy is written; tests make it fail.
    FileSystem* files = &realFileSystem();
};

// What the user is told after a signed copy was written: `placements` the page made, `form` what
// happened to the form fields ("none", "flat" or "failed").
std::string signedCopySummary(long long placements, std::string_view form);

// "signimport": an image panel, then ikwSignImportNative with the image as a PNG data URL no
// wider than 1600 pixels (or a toast when it cannot be read).
void signImportImage(ReviewWC& window, const SignedCopyServices& services);
// "signsave" (items `name`, `n`, `form`): reads the page's signed PDF, asks where to save the copy,
// writes it atomically, reveals it and tells the page.
void signSave(const UrlAction& action, const SignedCopyServices& services);

}
