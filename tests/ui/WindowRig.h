#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

#include "FakeDialogs.h"
#include "FakePort.h"
#include "TempConfig.h"
#include "link/PortMapping.h"
#include "ui/TFormHlav.h"

// The main window as the window tests start it: a configuration folder and a files folder of
// its own, a port that is not a real device, file dialogs that never block, and Timer1 ticked
// by hand. prepare() in init(), start() where the window is wanted, stop() in cleanup().
class WindowRig {
public:
    struct Options {
        // What a message box does; unset: it fails the test.
        std::function<void(const QString&)> onBox = {};
        // COM1..COMn go to fake-1..fake-n; 0 leaves the mapping alone.
        int mappedPorts = 1;
        // Handed to FormCreate when set.
        std::optional<QStringList> arguments = {};
        // The test's own parts (printer, document opener...) before FormCreate.
        std::function<void(TFormHlav&)> beforeCreate = {};
        // Right after FormCreate, while Timer1 still runs.
        std::function<void(TFormHlav&)> afterCreate = {};
        bool stopTimer = true;
        bool show = true;
    };

    // Message boxes appended to a list the test reads.
    static std::function<void(const QString&)> recordInto(QStringList& boxes) {
        return [&boxes](const QString& text) { boxes.append(text); };
    }

    bool prepare() {
        if (!config) config = std::make_unique<TempConfig>();
        if (!files) files = std::make_unique<QTemporaryDir>();
        return config->isValid() && files->isValid();
    }

    // The window on a fake port; the port's pointer comes back (null when a step failed).
    template <typename Port = FakePort>
    Port* start(const Options& options = {}, std::unique_ptr<Port> backend = std::make_unique<Port>()) {
        if (!prepare()) {
            QTest::qFail("no temporary folder", __FILE__, __LINE__);
            return nullptr;
        }
        Port* raw = backend.get();
        if constexpr (std::is_same_v<Port, FakePort>) port = raw;
        window = std::make_unique<TFormHlav>(std::move(backend));
        auto fakeDialogs = std::make_unique<FakeDialogs>();
        dialogs = fakeDialogs.get();
        window->setFileDialogs(std::move(fakeDialogs));
        if (options.onBox) {
            window->setMessageBoxHandler(options.onBox);
        } else {
            window->setMessageBoxHandler([](const QString& text) { QFAIL(qPrintable(text)); });
        }
        for (int n = 1; n <= options.mappedPorts && n <= PortMapping::kPorts; ++n) {
            window->serialLink().mapping().setExplicit(n, QString("fake-%1").arg(n));
        }
        if (options.beforeCreate) options.beforeCreate(*window);
        if (options.arguments) {
            window->FormCreate(*options.arguments);
        } else {
            window->FormCreate();
        }
        if (options.afterCreate) options.afterCreate(*window);
        if (QTest::currentTestFailed()) return nullptr;
        if (options.stopTimer) window->timer1()->stop();
        if (options.show) {
            window->show();
            window->activateWindow();
            if (!QTest::qWaitForWindowActive(window.get())) {
                QTest::qFail("the window did not become active", __FILE__, __LINE__);
                return nullptr;
            }
        }
        return raw;
    }

    void stop() {
        window.reset();
        port = nullptr;
        dialogs = nullptr;
        files.reset();
        config.reset();
    }

    std::unique_ptr<TempConfig> config;
    std::unique_ptr<QTemporaryDir> files;
    std::unique_ptr<TFormHlav> window;
    FakePort* port = nullptr;        // when the window runs on a FakePort
    FakeDialogs* dialogs = nullptr;  // owned by the window
};
