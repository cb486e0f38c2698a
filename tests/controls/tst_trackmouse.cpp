#include "controls/trackmouse/clstrackmouse.h"
#include "controls/trackmouse/modtrackmouse.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace zimbrel;

class TestTrackMouse : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void nothingToStopWhileIdle();
    void oneEntryPerWindowHoweverOftenTheMouseMoves();
    void restRaisesMouseOverAndEveryMoveRearmsIt();
    void leavingRaisesMouseOutOnce();
    void stoppingGivesTheWindowItsOwnHandlingBack();
    void switchingWindowsLeavesOnlyTheNewOne();
    void aSecondTrackerOnTheSameWindowTakesOver();
    void aDestroyedWindowLeavesTheRegistry();

private:
    void moveInside(QWidget *w, QPoint at);
    std::unique_ptr<QWidget> m_window;
    QWidget *m_a = nullptr;
    QWidget *m_b = nullptr;
};

void TestTrackMouse::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->setGeometry(100, 100, 300, 200);
    m_a = new QWidget(m_window.get());
    m_a->setGeometry(10, 10, 100, 50);
    m_b = new QWidget(m_window.get());
    m_b->setGeometry(150, 10, 100, 50);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCursor::setPos(m_window->mapToGlobal(QPoint(280, 180)));
}

void TestTrackMouse::cleanup()
{
    m_window.reset();
    QVERIFY(modTrackMouse::TrackerRegistry().isEmpty());
}

void TestTrackMouse::moveInside(QWidget *w, QPoint at)
{
    QCursor::setPos(w->mapToGlobal(at));
    QMouseEvent move(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(w, &move);
}

void TestTrackMouse::nothingToStopWhileIdle()
{
    clsTrackMouse tracker;
    tracker.setTrackObject(nullptr);
    QVERIFY(!tracker.StopTracking());
    QVERIFY(!tracker.StartTracking());
    QVERIFY(!tracker.IsTracking());
    QVERIFY(modTrackMouse::TrackerRegistry().isEmpty());
}

void TestTrackMouse::oneEntryPerWindowHoweverOftenTheMouseMoves()
{
    clsTrackMouse tracker;
    tracker.setTrackObject(m_a);
    QVERIFY(tracker.IsTracking());
    for (int i = 0; i < 5; ++i)
        moveInside(m_a, QPoint(10 + i, 10));
    QCOMPARE(modTrackMouse::TrackerRegistry().keys(), QStringList{modTrackMouse::trackerKey(m_a)});
    QVERIFY(modTrackMouse::trackerKey(m_a).startsWith(QStringLiteral("TM")));
    QVERIFY(modTrackMouse::isSubclassed(m_a));
    tracker.setTrackObject(nullptr);
}

void TestTrackMouse::restRaisesMouseOverAndEveryMoveRearmsIt()
{
    clsTrackMouse tracker;
    QSignalSpy over(&tracker, &clsTrackMouse::MouseOver);
    tracker.setTrackObject(m_a);
    moveInside(m_a, QPoint(20, 20));
    QTRY_COMPARE(over.count(), 1);
    QTest::qWait(30);
    QCOMPARE(over.count(), 1);
    // A new rest after a move.
    moveInside(m_a, QPoint(25, 22));
    QTRY_COMPARE(over.count(), 2);
    tracker.setTrackObject(nullptr);
}

void TestTrackMouse::leavingRaisesMouseOutOnce()
{
    clsTrackMouse tracker;
    QSignalSpy out(&tracker, &clsTrackMouse::MouseOut);
    tracker.setTrackObject(m_a);
    moveInside(m_a, QPoint(20, 20));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_a, &leave);
    QCOMPARE(out.count(), 1);
    QApplication::sendEvent(m_a, &leave);
    QCOMPARE(out.count(), 1);
    // Re-entering re-arms it.
    moveInside(m_a, QPoint(20, 20));
    QApplication::sendEvent(m_a, &leave);
    QCOMPARE(out.count(), 2);
    tracker.setTrackObject(nullptr);
}

void TestTrackMouse::stoppingGivesTheWindowItsOwnHandlingBack()
{
    QVERIFY(!m_a->hasMouseTracking());
    clsTrackMouse tracker;
    QSignalSpy over(&tracker, &clsTrackMouse::MouseOver);
    QSignalSpy out(&tracker, &clsTrackMouse::MouseOut);
    tracker.setTrackObject(m_a);
    QVERIFY(m_a->hasMouseTracking());
    moveInside(m_a, QPoint(20, 20));
    tracker.setTrackObject(nullptr);
    QVERIFY(!tracker.IsTracking());
    QVERIFY(!tracker.TrackObject());
    QVERIFY(!m_a->hasMouseTracking());
    QVERIFY(!modTrackMouse::isSubclassed(m_a));
    QVERIFY(modTrackMouse::TrackerRegistry().isEmpty());
    // Its events no longer reach the tracker.
    QTest::qWait(20);
    const int overs = over.count();
    moveInside(m_a, QPoint(30, 30));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(m_a, &leave);
    QTest::qWait(20);
    QCOMPARE(over.count(), overs);
    QCOMPARE(out.count(), 0);
}

void TestTrackMouse::switchingWindowsLeavesOnlyTheNewOne()
{
    m_b->setMouseTracking(true);
    clsTrackMouse tracker;
    tracker.setTrackObject(m_a);
    tracker.setTrackObject(m_b);
    QCOMPARE(tracker.TrackObject(), m_b);
    QVERIFY(!modTrackMouse::isSubclassed(m_a));
    QVERIFY(!m_a->hasMouseTracking());
    QCOMPARE(modTrackMouse::TrackerRegistry().keys(), QStringList{modTrackMouse::trackerKey(m_b)});
    tracker.setTrackObject(nullptr);
    // B had mouse tracking of its own before, and keeps it.
    QVERIFY(m_b->hasMouseTracking());
}

void TestTrackMouse::aSecondTrackerOnTheSameWindowTakesOver()
{
    clsTrackMouse first;
    clsTrackMouse second;
    first.setTrackObject(m_a);
    second.setTrackObject(m_a);
    QCOMPARE(modTrackMouse::TrackerRegistry().size(), 1);
    QCOMPARE(modTrackMouse::TrackerRegistry().value(modTrackMouse::trackerKey(m_a)), &second);
    QVERIFY(!first.IsTracking());
    second.setTrackObject(nullptr);
}

void TestTrackMouse::aDestroyedWindowLeavesTheRegistry()
{
    clsTrackMouse tracker;
    tracker.setTrackObject(m_a);
    delete m_a;
    m_a = nullptr;
    QVERIFY(modTrackMouse::TrackerRegistry().isEmpty());
    QVERIFY(!tracker.IsTracking());
    tracker.setTrackObject(nullptr);
}

QTEST_MAIN(TestTrackMouse)
#include "tst_trackmouse.moc"
