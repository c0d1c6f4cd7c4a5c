#include "docops/FilePanels.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"

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

std::string withPdfExtension(const std::string& path)
{
    return pathExtension(path).empty() ? path + ".pdf" : path;
}

void savePanelPDF(const std::shared_ptr<FileOpHost>& host, const std::string& suggested, std::function<void(std::optional<std::string>)> done)
{
    ui::FilePanelOptions panel;
    panel.suggestedName = suggested;
    panel.extensions = { "pdf" };
    host->dialogs().savePanel(host->sheetParent(), panel,
        [host, done = onceDone(std::move(done))](std::optional<std::string> path) mutable {
            if (!path || path->empty()) {
                done(std::nullopt);
                return;
            }
            const std::string chosen = withPdfExtension(*path);
            if (chosen == *path || !realFileSystem().exists(chosen)) {
                done(chosen);
                return;
            }
            ui::AlertContent question;
            question.message = "A file named \u201C" + lastPathComponent(chosen) + "\u201D already exists. Do you want to replace it?";
            question.informativeText = "The file already exists in \u201C" + lastPathComponent(parentPath(chosen))
                + "\u201D. Replacing it will overwrite its contents.";
            question.buttons = { "Cancel", "Replace" };
            question.style = ui::AlertContent::Style::Warning;
            host->dialogs().alert(host->sheetParent(), question, [chosen, done](ui::AlertAnswer answer) mutable {
                done(answer.button == 1 ? std::optional(chosen) : std::nullopt);
            });
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
