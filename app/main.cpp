#include <QApplication>
#include <QStringList>

#include "ui/TFormHlav.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("velmor");
    TFormHlav window;
    // Qt has taken its own options out; the first remaining argument may name the language.
    window.FormCreate(QApplication::arguments().mid(1));
    window.show();
    return app.exec();
}
