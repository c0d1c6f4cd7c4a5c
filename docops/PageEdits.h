#pragma once

#include "docops/ConfirmationGate.h"
#include "docops/PageOpRequest.h"
#include "platform/pdf/EditableDocument.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw::docops {

// Edits the file as it is on disk when the rewrite starts. None when the request names no page of
// that file or would leave it as it is: nothing is written then.
using PageTransform = std::function<std::optional<pdf::EditableDocument>(pdf::EditableDocument)>;

// One in-place page operation, ready to ask about and run.
struct PageEdit {
    std::string operation;  // the request's op word, sent back to the page
    FileOpQuestion question;
    std::string successToast;
    PageTransform transform;
};

// The in-place operations of a request on the file `name`; none when the request lacks usable
// input (nothing is asked or shown then).
// Rotation: the caller first refuses degrees that rotationDegrees does not accept.
std::optional<PageEdit> rotateEdit(const PageOpRequest& request, const std::string& name);
std::optional<PageEdit> deleteEdit(const PageOpRequest& request, const std::string& name);
std::optional<PageEdit> duplicateEdit(const PageOpRequest& request, const std::string& name);
PageEdit insertBlankEdit(const PageOpRequest& request, const std::string& name);
std::optional<PageEdit> reorderEdit(const PageOpRequest& request, const std::string& name);
// `pageCount` is the file's page count now; the rewrite checks it again.
std::optional<PageEdit> reorderFullEdit(const PageOpRequest& request, const std::string& name, int pageCount);
// Inserts the pages of `inserted` (shared so that the edit can be copied) before position `at`.
// The op word is "insertfile"; "Insert PDF" and dropped files both use it.
PageEdit insertDocumentEdit(std::shared_ptr<pdf::EditableDocument> inserted, int at, const std::string& name,
    const std::string& message);

// The request's degrees (90 when absent or no integer) when they are a multiple of 90, negative
// ones too; none for any other turn, which no page can show.
std::optional<int> rotationDegrees(const PageOpRequest& request);

// The quoted file name of the questions: “name”.
std::string quotedName(const std::string& name);

}
