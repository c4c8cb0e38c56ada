#include "files/ConfigPaths.h"

#include <QDir>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
QString name(const char* text) { return QString::fromLatin1(text); }
}  // namespace

#ifdef Q_OS_WIN

QString ConfigPaths::folder() {
    wchar_t buffer[MAX_PATH + 1];
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    if (n == 0 || n > MAX_PATH) return QStringLiteral("c:\\windows");
    return QString::fromWCharArray(buffer, static_cast<qsizetype>(n));
}

QString ConfigPaths::settingsFile() { return folder() + QLatin1Char('\\') + name(kSettingsName); }

// The working image and the marker have always had these fixed paths on Windows.
QString ConfigPaths::workingImageFile() {
    return QStringLiteral("c:\\windows\\") + name(kWorkingImagePrefix) + name(kSettingsName);
}

QString ConfigPaths::markerFile() { return QStringLiteral("c:\\") + name(kMarkerName); }

bool ConfigPaths::ensureFolder() { return true; }

#else

QString ConfigPaths::folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
           name(kFolderName);
}

QString ConfigPaths::settingsFile() { return folder() + QLatin1Char('/') + name(kSettingsName); }

QString ConfigPaths::workingImageFile() {
    return folder() + QLatin1Char('/') + name(kWorkingImagePrefix) + name(kSettingsName);
}

QString ConfigPaths::markerFile() { return folder() + QLatin1Char('/') + name(kMarkerName); }

bool ConfigPaths::ensureFolder() { return QDir().mkpath(folder()); }

#endif
