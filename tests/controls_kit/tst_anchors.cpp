#include "anchors.h"

#include <QTest>
#include <QWidget>

class TestAnchors : public QObject
{
    Q_OBJECT

private slots:
    void neverAnchoredIsLeftTop();
    void placementOnResize_data();
    void placementOnResize();
    void hiddenParentPlacesOnShowOrRealign();
    void codeMoveBecomesReference();
    void codeMoveWhileHiddenBelongsToOldParentSize();
    void reparentStartsAfresh();
    void destroyedChildLeavesNothingBehind();
};

void TestAnchors::neverAnchoredIsLeftTop()
{
    QWidget parent;
    QWidget child(&parent);
    QCOMPARE(Anchoring::anchors(&child), Anchors::akLeft | Anchors::akTop);
    Anchoring::setAnchors(&child, Anchors::akRight | Anchors::akBottom);
    QCOMPARE(Anchoring::anchors(&child), Anchors::akRight | Anchors::akBottom);
    // Null is not a crash.
    Anchoring::setAnchors(nullptr, Anchors::akRight);
    QCOMPARE(Anchoring::anchors(nullptr), Anchors::akLeft | Anchors::akTop);
}

void TestAnchors::placementOnResize_data()
{
    QTest::addColumn<int>("anchors");
    QTest::addColumn<QRect>("expected");
    // Child at (10, 20) 50 x 30 in a 200 x 100 parent, which grows to 300 x 160.
    QTest::newRow("left top") << int(Anchors::akLeft | Anchors::akTop) << QRect(10, 20, 50, 30);
    QTest::newRow("stretch all four")
        << int(Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom)
        << QRect(10, 20, 150, 90);
    QTest::newRow("right only, centred vertically") << int(Anchors::akRight) << QRect(110, 41, 50, 30);
    QTest::newRow("right bottom") << int(Anchors::akRight | Anchors::akBottom) << QRect(110, 80, 50, 30);
    QTest::newRow("left right bottom")
        << int(Anchors::akLeft | Anchors::akRight | Anchors::akBottom) << QRect(10, 80, 150, 30);
    // Centre (35, 35) scales to (52.5, 56): 52.5 rounds away from zero to 53.
    QTest::newRow("neither") << 0 << QRect(28, 41, 50, 30);
}

void TestAnchors::placementOnResize()
{
    QFETCH(int, anchors);
    QFETCH(QRect, expected);
    QWidget parent;
    parent.resize(200, 100);
    QWidget child(&parent);
    child.setGeometry(10, 20, 50, 30);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    Anchoring::setAnchors(&child, TAnchors(anchors));
    parent.resize(300, 160);
    QCOMPARE(child.geometry(), expected);
    // Back to the first size: nothing has drifted.
    parent.resize(200, 100);
    QCOMPARE(child.geometry(), QRect(10, 20, 50, 30));
}

void TestAnchors::hiddenParentPlacesOnShowOrRealign()
{
    // The help window's case: a centred button anchored to the bottom, the window scaled up
    // while still hidden.
    QWidget window;
    window.resize(305, 138);
    QWidget button(&window);
    button.setGeometry((305 - 173) / 2, 100, 173, 25);
    Anchoring::setAnchors(&button, Anchors::akBottom);
    window.resize(390, 177);
    Anchoring::realign(&window);
    QCOMPARE(button.geometry(), QRect(108, 139, 173, 25));

    QWidget other;
    other.resize(305, 138);
    QWidget memo(&other);
    memo.setGeometry(0, 0, 305, 130);
    Anchoring::setAnchors(&memo, Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    other.resize(390, 177);
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&other));
    QCOMPARE(memo.geometry(), QRect(0, 0, 390, 169));
}

void TestAnchors::codeMoveBecomesReference()
{
    QWidget parent;
    parent.resize(200, 100);
    QWidget child(&parent);
    child.setGeometry(150, 70, 40, 20);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    Anchoring::setAnchors(&child, Anchors::akLeft | Anchors::akRight);
    parent.resize(300, 100);
    QCOMPARE(child.geometry(), QRect(150, 70, 140, 20));
    // Moved by code: the new place and the parent's present size are the reference now.
    child.setGeometry(20, 10, 100, 20);
    parent.resize(250, 100);
    QCOMPARE(child.geometry(), QRect(20, 10, 50, 20));
}

void TestAnchors::codeMoveWhileHiddenBelongsToOldParentSize()
{
    QWidget parent;
    parent.resize(200, 100);
    QWidget child(&parent);
    child.setGeometry(10, 10, 50, 20);
    Anchoring::setAnchors(&child, Anchors::akRight);
    child.hide(); // a hidden child gets its move events only when shown again
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    child.move(100, 10);
    parent.resize(260, 100);
    QCOMPARE(child.geometry(), QRect(160, 10, 50, 20));
}

void TestAnchors::reparentStartsAfresh()
{
    QWidget first;
    first.resize(200, 100);
    QWidget second;
    second.resize(400, 300);
    QWidget third;
    third.resize(100, 100);
    QWidget child(&first);
    child.setGeometry(10, 10, 50, 20);
    Anchoring::setAnchors(&child, Anchors::akLeft | Anchors::akRight);

    child.setParent(&second);
    child.move(0, 0);
    Anchoring::setAnchors(&child, Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    first.show();
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));

    // The old parent no longer moves it.
    first.resize(100, 100);
    QCOMPARE(child.geometry(), QRect(0, 0, 50, 20));
    // The new one does, from its place and size at re-parenting.
    second.resize(450, 310);
    QCOMPARE(child.geometry(), QRect(0, 0, 100, 30));

    // Without a new setAnchors the anchors go along and the new parent is the reference.
    child.setParent(&third);
    QCOMPARE(Anchoring::anchors(&child),
             Anchors::akLeft | Anchors::akTop | Anchors::akRight | Anchors::akBottom);
    third.show();
    QVERIFY(QTest::qWaitForWindowExposed(&third));
    third.resize(110, 105);
    QCOMPARE(child.geometry(), QRect(0, 0, 110, 35));
}

void TestAnchors::destroyedChildLeavesNothingBehind()
{
    QWidget parent;
    parent.resize(200, 100);
    auto *child = new QWidget(&parent);
    Anchoring::setAnchors(child, Anchors::akRight);
    auto *survivor = new QWidget(&parent);
    survivor->setGeometry(0, 0, 10, 10);
    Anchoring::setAnchors(survivor, Anchors::akRight);
    delete child;
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));
    parent.resize(250, 100);
    QCOMPARE(survivor->geometry(), QRect(50, 0, 10, 10));
}

QTEST_MAIN(TestAnchors)
#include "tst_anchors.moc"
