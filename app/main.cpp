#include <QApplication>

#include "ui/TFormHlav.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("velmor");
    TFormHlav window;
    window.FormCreate();
    window.show();
    return app.exec();
}
