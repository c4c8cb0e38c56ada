#pragma once

#include <QString>

// Where the settings file, the working image file and the test-mode marker live.
//
// On Windows, as the tool always kept them: the settings file under its bare name in the
// Windows directory, the working image "c:\windows\_velmor.ini" and the marker
// "c:\test_brinta.txt". Elsewhere all three sit in one folder, "velmor" under the user's
// configuration folder ($XDG_CONFIG_HOME, usually ~/.config), with the same file names.
class ConfigPaths {
public:
    static constexpr char kSettingsName[] = "velmor.ini";
    static constexpr char kWorkingImagePrefix[] = "_";
    static constexpr char kMarkerName[] = "test_brinta.txt";
    static constexpr char kFolderName[] = "velmor";

    static QString folder();
    static QString settingsFile();
    static QString workingImageFile();
    static QString markerFile();
    // Creates the folder when missing; the savers also do this themselves.
    static bool ensureFolder();
};
