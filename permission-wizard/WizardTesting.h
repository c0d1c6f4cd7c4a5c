#pragma once

// The controller's host for the tests of this folder: a temporary home, a manual main queue, a
// recording file system and a presenter that records the windows it makes.

#include "permission-wizard/KDPermissionWizard.h"
#include "permission-wizard/KDPermissionWizardView.h"
#include "permission-wizard/PermissionFixtures.h"
#include "permission-wizard/WizardPresenter.h"
#include "platform/core/Json.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/core/fake/ManualMainQueue.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw::wizard {

// What happened to one window the recording presenter made.
struct FakeWindowRecord {
    WizardWindowSpec spec;
    std::weak_ptr<KDPermissionWizardView> view;
    bool visible = true;
    int broughtForward = 0;
    bool destroyed = false;
};

class RecordingPresenter final : public WizardPresenter {
public:
    class Window final : public WizardWindow {
    public:
        explicit Window(std::shared_ptr<FakeWindowRecord> record) : m_record(std::move(record)) {}
        ~Window() override { m_record->destroyed = true; }
        void bringForward() override
        {
            m_record->visible = true;
            ++m_record->broughtForward;
        }

    private:
        std::shared_ptr<FakeWindowRecord> m_record;
    };

    std::unique_ptr<WizardWindow> makeWindow(std::shared_ptr<KDPermissionWizardView> view,
        const WizardWindowSpec& spec) override
    {
        windows.push_back(std::make_shared<FakeWindowRecord>(FakeWindowRecord { .spec = spec, .view = view }));
        return std::make_unique<Window>(windows.back());
    }

    // The user closes the newest window with its title-bar button: the window only hides.
    void closeFromTitleBar() { windows.back()->visible = false; }

    std::vector<std::shared_ptr<FakeWindowRecord>> windows;
};

inline KDWizardBrand plainBrand()
{
    const auto black = [](bool) { return Color {}; };
    return KDWizardBrand(black, black, black, std::nullopt, black, std::nullopt, KDWizardBrand::appIconMark());
}

// A permission whose probe answers what `granted` holds at the time, counting its calls.
struct ProbedPermission {
    std::shared_ptr<bool> granted = std::make_shared<bool>(false);
    std::shared_ptr<int> probes = std::make_shared<int>(0);
    KDPermission permission;

    explicit ProbedPermission(std::string id, bool isOptional = false, bool initiallyGranted = false)
        : permission(cleanPermission())
    {
        *granted = initiallyGranted;
        permission.id = id;
        permission.title = "Title of " + id;
        permission.isOptional = isOptional;
        if (isOptional)
            permission.costOfSkipping = "Works without it.";
        permission.probe = [granted = granted, probes = probes] {
            ++*probes;
            return *granted;
        };
    }
};

class WizardTest : public ::testing::Test {
protected:
    // Also called again by table tests, for a fresh wizard with no skipped set.
    void SetUp() override
    {
        KDPermissionWizard::reset();
        testing::removeTree(home.file("defaults.json"));
        KDPermissionWizard::setHost({
            .userDefaults = UserDefaults(home.file("defaults.json"), files),
            .identity = std::nullopt,
            .presenter = presenter,
            .subscribeBecameActive = {},
            .fileSystem = &files,
        });
    }
    void TearDown() override { KDPermissionWizard::reset(); }

    void configure(std::vector<KDPermission> permissions, bool writeState = false)
    {
        KDPermissionWizard::configure({ "Culmora", "culmora" }, plainBrand(), std::move(permissions), writeState);
    }

    std::string statePath() const { return home.file(".culmora/permissions.json"); }

    // How many times the state file was replaced so far.
    int stateWrites() const
    {
        const auto calls = files.calls();
        return static_cast<int>(std::count(calls.begin(), calls.end(), "replace " + statePath()));
    }

    Json readState(const std::string& path) const { return parseJson(testing::readTestFile(path)).value_or(Json()); }
    Json readState() const { return readState(statePath()); }

    testing::TempHome home;
    ManualMainQueue queue;
    FaultyFileSystem files;
    std::shared_ptr<RecordingPresenter> presenter = std::make_shared<RecordingPresenter>();
};

}
