#include "files/ConfigPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

QString name(const char* text) { return QString::fromLatin1(text); }

ConfigPaths::Folders platformFolders() {
    ConfigPaths::Folders folders;
#ifdef Q_OS_WIN
    // The application is named "velmor", so this is %APPDATA%\velmor.
    folders.folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    wchar_t buffer[MAX_PATH + 1];
    const UINT n = GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    folders.windowsFolder = n == 0 || n > MAX_PATH ? QStringLiteral("c:\\windows")
                                                   : QString::fromWCharArray(buffer, static_cast<qsizetype>(n));
#else
    folders.folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') +
                     name(ConfigPaths::kFolderName);
#endif
    return folders;
}

constexpr ConfigPaths::Platform kPlatform =
#ifdef Q_OS_WIN
    ConfigPaths::Platform::Windows;
#else
    ConfigPaths::Platform::Other;
#endif

}  // namespace

ConfigPaths::Paths ConfigPaths::choose(Platform platform, const Folders& folders) {
    Paths paths;
    paths.folder = folders.folder;
    paths.settings = folders.folder + QLatin1Char('/') + name(kSettingsName);
    paths.workingImage = folders.folder + QLatin1Char('/') + name(kWorkingImagePrefix) + name(kSettingsName);
    if (platform == Platform::Windows) {
        paths.marker = QStringLiteral("c:\\") + name(kMarkerName);
        // The settings went under their bare name into the Windows directory, the image
        // always to this fixed path.
        paths.oldSettings = folders.windowsFolder + QLatin1Char('\\') + name(kSettingsName);
        paths.oldWorkingImage = QStringLiteral("c:\\windows\\") + name(kWorkingImagePrefix) + name(kSettingsName);
    } else {
        paths.marker = folders.folder + QLatin1Char('/') + name(kMarkerName);
    }
    return paths;
}

ConfigPaths::Paths ConfigPaths::current() { return choose(kPlatform, platformFolders()); }

QString ConfigPaths::toRead(const QString& path, const QString& old) {
    if (QFileInfo(path).isFile() || old.isEmpty() || !QFileInfo(old).isFile()) return path;
    return old;
}

QString ConfigPaths::folder() { return current().folder; }
QString ConfigPaths::settingsFile() { return current().settings; }
QString ConfigPaths::workingImageFile() { return current().workingImage; }
QString ConfigPaths::markerFile() { return current().marker; }

QString ConfigPaths::settingsFileToRead() {
    const Paths paths = current();
    return toRead(paths.settings, paths.oldSettings);
}

QString ConfigPaths::workingImageFileToRead() {
    const Paths paths = current();
    return toRead(paths.workingImage, paths.oldWorkingImage);
}

bool ConfigPaths::ensureFolder() { return QDir().mkpath(folder()); }
