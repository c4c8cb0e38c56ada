#include <QtTest>

#include "ui/Artwork.h"

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void artwork();
};

void TestAbout::artwork() {
    const QPixmap logo = velmorLogo(QSize(313, 49), 2.0);
    QCOMPARE(logo.size(), QSize(626, 98));
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
