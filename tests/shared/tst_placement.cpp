#include "platform/twips.h"
#include "platform/userstore.h"
#include "shared/placement.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <memory>

using namespace zimbrel;

class TestPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void positionFromStore_data();
    void positionFromStore();
    void restoreCentresWithoutStoredPlace();
    void restoreUsesStoredPlace();
    void storeWritesTwipsXThenY();

private:
    std::unique_ptr<QTemporaryDir> m_config;
};

void TestPlacement::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", m_config->path().toUtf8());
}

void TestPlacement::positionFromStore_data()
{
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QPoint>("expected");
    const QSize window(403, 31);
    const QSize screen(1280, 1024);
    // (1280 - 403) / 2 = 438.5 and (1024 - 31) / 2 = 496.5: halves go to the even neighbour.
    QTest::newRow("nothing stored: centred") << QString() << QString() << window << screen << QPoint(438, 496);
    QTest::newRow("centred, even halves") << QString() << QString() << QSize(401, 29) << screen << QPoint(440, 498);
    QTest::newRow("centred, whole") << QString() << QString() << QSize(200, 100) << QSize(800, 600) << QPoint(300, 250);
    QTest::newRow("stored") << QStringLiteral("8070") << QStringLiteral("4215") << window << screen << QPoint(538, 281);
    QTest::newRow("partly off the left edge")
        << QStringLiteral("-600") << QStringLiteral("0") << window << screen << QPoint(-40, 0);
    QTest::newRow("x without y: top 0") << QStringLiteral("1500") << QString() << window << screen << QPoint(100, 0);
    QTest::newRow("not numbers read 0") << QStringLiteral("abc") << QStringLiteral("z9") << window << screen
                                        << QPoint(0, 0);
    QTest::newRow("leading numbers") << QStringLiteral("150px") << QStringLiteral(" 30.0 ") << window << screen
                                     << QPoint(10, 2);
    QTest::newRow("fractions of a pixel round to even")
        << QStringLiteral("22.5") << QStringLiteral("37.5") << window << screen << QPoint(2, 2);
    QTest::newRow("far away is pinned") << QStringLiteral("1e12") << QStringLiteral("-1e12") << window << screen
                                        << QPoint(32767, -32768);
}

void TestPlacement::positionFromStore()
{
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QSize, outer);
    QFETCH(QSize, screen);
    QFETCH(QPoint, expected);
    QCOMPARE(zimbrel::positionFromStore(x, y, outer, screen), expected);
}

void TestPlacement::restoreCentresWithoutStoredPlace()
{
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(200, 100);
    RestorePosition(&window);
    const QRect screen = primaryScreenPixels();
    QCOMPARE(window.pos(), screen.topLeft() + QPoint((screen.width() - 200) / 2, (screen.height() - 100) / 2));
}

void TestPlacement::restoreUsesStoredPlace()
{
    const QString app = QString::fromLatin1(kPositionApplication);
    const QString section = QString::fromLatin1(kPositionSection);
    SaveSetting(app, section, QStringLiteral("x"), QStringLiteral("-600"));
    SaveSetting(app, section, QStringLiteral("y"), QStringLiteral("1500"));
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(200, 100);
    RestorePosition(&window);
    QCOMPARE(window.pos(), primaryScreenPixels().topLeft() + QPoint(-40, 100));
}

void TestPlacement::storeWritesTwipsXThenY()
{
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setFixedSize(200, 100);
    window.move(primaryScreenPixels().topLeft() + QPoint(123, 45));
    storePosition(&window);
    const QString app = QString::fromLatin1(kPositionApplication);
    const QString section = QString::fromLatin1(kPositionSection);
    QCOMPARE(GetSetting(app, section, QStringLiteral("x")), QStringLiteral("1845"));
    QCOMPARE(GetSetting(app, section, QStringLiteral("y")), QStringLiteral("675"));

    // What was stored brings the window back to the same place.
    QWidget again(nullptr, Qt::Window | Qt::FramelessWindowHint);
    again.setFixedSize(200, 100);
    RestorePosition(&again);
    QCOMPARE(again.pos(), window.pos());
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
