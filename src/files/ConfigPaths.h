#pragma once

#include <QString>

// Where the settings file, the working image file and the test-mode marker live.
//
// Settings and working image sit in a folder of the user's that is always writable: on
// Windows the application-data folder (%APPDATA%\velmor), elsewhere "velmor" under the
// configuration folder ($XDG_CONFIG_HOME, usually ~/.config). Earlier versions kept them on
// Windows in the Windows folder, where an ordinary user cannot write; those files are read
// while the new ones do not exist yet, and the next exit writes the new ones. The marker is
// only ever read and keeps its place, "c:\test_brinta.txt" on Windows.
class ConfigPaths {
public:
    static constexpr char kSettingsName[] = "velmor.ini";
    static constexpr char kWorkingImagePrefix[] = "_";
    static constexpr char kMarkerName[] = "test_brinta.txt";
    static constexpr char kFolderName[] = "velmor";

    enum class Platform { Windows, Other };
    // What the platform reports, the only inputs of the choice.
    struct Folders {
        QString folder;         // the folder of the user's that holds the files
        QString windowsFolder;  // Windows: the Windows directory of earlier versions
    };
    struct Paths {
        QString folder;
        QString settings;
        QString workingImage;
        QString marker;
        // Where earlier versions kept the files; empty where there is no such place.
        QString oldSettings;
        QString oldWorkingImage;
    };
    static Paths choose(Platform platform, const Folders& folders);
    // choose() for the platform the tool runs on, with its folders.
    static Paths current();
    // path when it is a plain file, else old when that is one, else path.
    static QString toRead(const QString& path, const QString& old);

    static QString folder();
    // Where the files are written.
    static QString settingsFile();
    static QString workingImageFile();
    // Where they are read from at start (see toRead).
    static QString settingsFileToRead();
    static QString workingImageFileToRead();
    static QString markerFile();
    // Creates the folder when missing; the savers also do this themselves.
    static bool ensureFolder();
};
