#include "finder/FinderServices.h"

namespace ikw::finder {

void exportServices(ui::Application& application, std::function<std::shared_ptr<FinderIntake>()> intake)
{
    for (const auto& entry : kServiceEntries) {
        application.exportAction(std::string(entry.name), [intake, handle = entry.handle](const std::vector<std::string>& uris) {
            if (const auto target = intake ? intake() : nullptr)
                (target.get()->*handle)(uris);
        });
    }
}

}
