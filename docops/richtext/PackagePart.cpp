#include "docops/richtext/PackagePart.h"

#include <string>

namespace ikw::richtext {

Failure partFailure(std::string_view name, PartStatus status, std::uint64_t maxBytes)
{
    const std::string part = "The package's part " + std::string(name);
    switch (status) {
    case PartStatus::Missing:
        return Failure { "The package has no part " + std::string(name) + ": it is not a Word document." };
    case PartStatus::TooLarge:
        return Failure { part + " is larger than " + std::to_string(maxBytes >> 20) + " MB, more than the editor opens." };
    case PartStatus::Damaged:
        return Failure { part + " is damaged: its data breaks off or fails its check." };
    case PartStatus::Malformed:
        return Failure { part + " is not well-formed XML." };
    case PartStatus::WithDocumentType:
        return Failure { part + " declares a document type, which Word documents never do." };
    case PartStatus::Read:
        break;
    }
    return Failure { part + " could not be read." };
}

}
