// The About and Shortcut keys message box: its label, its button and its drag.

#include "custom_message_box.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

extern const QString shortcutKeysText;

namespace {

// Moves carry the left button: Qt drops button-less moves without tracking.
void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton)
{
    Qt::MouseButtons held = type == QEvent::MouseMove ? Qt::LeftButton
                            : type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void shortcutBoxShowsEightSelectableLines();
    void okClosesTheModalBox();
    void dragFollowsTheLeftButtonAnchor();
};

void TestMessageBox::shortcutBoxShowsEightSelectableLines()
{
    CustomMessageBox box(shortcutKeysText);
    auto* label = box.findChild<QLabel*>();
    QVERIFY(label);
    QCOMPARE(int(label->textInteractionFlags()), 13);   // selectable, links by mouse and keyboard
    QCOMPARE(label->textFormat(), Qt::RichText);
    QVERIFY(label->openExternalLinks());
    // The zoom lines name the keys the actions are bound to.
    const QStringList expected = {
        "Open file: Ctrl + O", "Save file: Ctrl + S", "Close file: Ctrl + W", "Zoom in: Ctrl+[",
        "Zoom out: Ctrl+]",    "Run: Ctrl + R",       "Undo: Ctrl + Z",       "Quit program: Ctrl + Q",
    };
    QCOMPARE(label->text().split(QStringLiteral("<br/>")), expected);
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(box.styleSheet().contains(QStringLiteral("QPushButton:disabled")));
}

void TestMessageBox::okClosesTheModalBox()
{
    CustomMessageBox box(QStringLiteral("text"));
    auto* ok = box.findChild<QPushButton*>();
    QCOMPARE(ok->text(), QStringLiteral(" &OK "));
    QTimer::singleShot(0, ok, &QPushButton::click);
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QVERIFY(!box.isVisible());
}

void TestMessageBox::dragFollowsTheLeftButtonAnchor()
{
    CustomMessageBox box(QStringLiteral("text"));
    box.move(100, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint start = box.pos();

    // A left press on the top-left pixel is no anchor.
    sendMouse(&box, QEvent::MouseButtonPress, QPoint(0, 0), Qt::LeftButton);
    sendMouse(&box, QEvent::MouseMove, QPoint(30, 40));
    QCOMPARE(box.pos(), start);
    sendMouse(&box, QEvent::MouseButtonRelease, QPoint(30, 40), Qt::LeftButton);

    // A right press records nothing.
    sendMouse(&box, QEvent::MouseButtonPress, QPoint(10, 10), Qt::RightButton);
    sendMouse(&box, QEvent::MouseMove, QPoint(30, 40));
    QCOMPARE(box.pos(), start);

    // A left press anchors; the box follows by the offset from the anchor.
    sendMouse(&box, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    sendMouse(&box, QEvent::MouseMove, QPoint(30, 25));
    QCOMPARE(box.pos(), start + QPoint(20, 15));

    // Any release clears the anchor.
    sendMouse(&box, QEvent::MouseButtonRelease, QPoint(30, 25), Qt::RightButton);
    sendMouse(&box, QEvent::MouseMove, QPoint(50, 50));
    QCOMPARE(box.pos(), start + QPoint(20, 15));
}

QTEST_MAIN(TestMessageBox)
#include "test_message_box.moc"
