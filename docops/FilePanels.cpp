#include "docops/FilePanels.h"

namespace ikw::docops {

namespace {

// Holds a done function so that a panel answering twice, or not answering before it goes away,
// still calls it exactly once.
template<typename Answer>
class OnceDone {
public:
    explicit OnceDone(std::function<void(Answer)> done) : m_done(std::move(done)) {}
    ~OnceDone()
    {
        if (m_done)
            m_done(Answer {});
    }
    void operator()(Answer answer)
    {
        if (auto done = std::move(m_done)) {
            m_done = nullptr;
            done(std::move(answer));
        }
    }

private:
    std::function<void(Answer)> m_done;
};

template<typename Answer>
auto onceDone(std::function<void(Answer)> done)
{
    return [once = std::make_shared<OnceDone<Answer>>(std::move(done))](Answer answer) { (*once)(std::move(answer)); };
}

}

void pickPDFs(FileOpHost& host, const std::string& prompt, std::function<void(std::vector<std::string>)> done)
{
    ui::FilePanelOptions panel;
    panel.title = prompt;
    panel.extensions = { "pdf" };
    panel.chooseFiles = true;
    panel.allowsMultiple = true;
    host.dialogs().openPanel(host.sheetParent(), panel,
        [done = onceDone(std::move(done))](std::optional<std::vector<std::string>> paths) mutable {
            std::vector<std::string> chosen;
            for (auto& path : paths.value_or(std::vector<std::string> {})) {
                if (!path.empty())
                    chosen.push_back(std::move(path));
            }
            done(std::move(chosen));
        });
}

void savePanelPDF(FileOpHost& host, const std::string& suggested, std::function<void(std::optional<std::string>)> done)
{
    ui::FilePanelOptions panel;
    panel.suggestedName = suggested;
    panel.extensions = { "pdf" };
    host.dialogs().savePanel(host.sheetParent(), panel,
        [done = onceDone(std::move(done))](std::optional<std::string> path) mutable {
            done(path && !path->empty() ? path : std::nullopt);
        });
}

void chooseDir(FileOpHost& host, const std::string& prompt, std::function<void(std::optional<std::string>)> done)
{
    ui::FilePanelOptions panel;
    panel.title = prompt;
    panel.chooseFiles = false;
    panel.chooseDirectories = true;
    host.dialogs().openPanel(host.sheetParent(), panel,
        [done = onceDone(std::move(done))](std::optional<std::vector<std::string>> paths) mutable {
            done(paths && !paths->empty() ? std::optional(paths->front()) : std::nullopt);
        });
}

}
