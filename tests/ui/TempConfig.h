#pragma once

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

#include "files/ConfigPaths.h"

// A configuration folder of its own for one test: XDG_CONFIG_HOME (and XDG_DATA_HOME, where
// the set history goes) point into a fresh temporary folder while the object lives, so the
// window's settings, working image, marker and history files never touch the user's own.
// The previous values come back at the end.
class TempConfig {
public:
    TempConfig()
        : hadPrevious_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")),
          hadPreviousData_(qEnvironmentVariableIsSet("XDG_DATA_HOME")) {
        previous_ = qgetenv("XDG_CONFIG_HOME");
        previousData_ = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
        qputenv("XDG_DATA_HOME", (dir_.path() + "/data").toUtf8());
    }
    ~TempConfig() {
        if (hadPrevious_) {
            qputenv("XDG_CONFIG_HOME", previous_);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
        if (hadPreviousData_) {
            qputenv("XDG_DATA_HOME", previousData_);
        } else {
            qunsetenv("XDG_DATA_HOME");
        }
    }
    TempConfig(const TempConfig&) = delete;
    TempConfig& operator=(const TempConfig&) = delete;

    bool isValid() const { return dir_.isValid(); }
    QString root() const { return dir_.path(); }
    // The folder the window uses: <root>/velmor.
    QString folder() const { return ConfigPaths::folder(); }
    bool makeFolder() const { return QDir().mkpath(folder()); }

private:
    QTemporaryDir dir_;
    bool hadPrevious_;
    bool hadPreviousData_;
    QByteArray previous_;
    QByteArray previousData_;
};
