#include <QApplication>
#include <QStringList>

#include "BuildStamp.h"
#include "ui/TFormAbout.h"
#include "ui/TFormHlav.h"

int main(int argc, char* argv[]) {
    // The language word is the first argument as given: taken before QApplication removes
    // its own options, so that "velmor -reverse DEUTSCH" does not choose German.
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("velmor");
    // The stamp of this build, not of whenever the About window's source was last compiled.
    const QString stamp = QString::fromLatin1(kVelmorBuildStamp).section(QLatin1Char(' '), 1);
    TFormAbout::setBuildStamps(stamp.section(QLatin1Char('|'), 0, 0), stamp.section(QLatin1Char('|'), 1));
    TFormHlav window;
    window.FormCreate(arguments);
    window.show();
    return app.exec();
}
