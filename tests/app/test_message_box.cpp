// The About and Shortcut keys message box: its label, its button and its drag.

#include "custom_message_box.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

extern const QString shortcutKeysText;
extern const QString aboutText;

namespace {

void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button)
{
    // Moves carry the left button: Qt drops button-less moves without tracking.
    Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    if (type == QEvent::MouseMove) {
        button = Qt::NoButton;
        buttons = Qt::LeftButton;
    }
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

} // namespace

class TestMessageBox : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void labelShowsRichSelectableText();
    void shortcutTextHasEightLinesWithTheBoundZoomKeys();
    void aboutTextCreditsTheTeam();
    void okClosesTheModalBox();
    void dragFollowsTheLeftButtonAnchor();
    void paintsGreyRoundedRectangle();

private:
    QTemporaryDir settingsDir;
};

void TestMessageBox::initTestCase()
{
    QVERIFY(settingsDir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
}

void TestMessageBox::labelShowsRichSelectableText()
{
    CustomMessageBox box(QStringLiteral("See <a href=\"https://example.org\">here</a>"));
    auto* label = box.findChild<QLabel*>();
    QVERIFY(label);
    QCOMPARE(int(label->textInteractionFlags()), 13);
    QVERIFY(!(label->textInteractionFlags() & Qt::TextEditable));
    QCOMPARE(label->textFormat(), Qt::RichText);
    QVERIFY(label->openExternalLinks());

    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(box.testAttribute(Qt::WA_TranslucentBackground));
    // The shared tutorial style sheet was found in the resources.
    QVERIFY(box.styleSheet().contains(QStringLiteral("QPushButton:disabled")));

    auto* ok = box.findChild<QPushButton*>();
    QVERIFY(ok);
    QCOMPARE(ok->text(), QStringLiteral(" &OK "));
}

void TestMessageBox::shortcutTextHasEightLinesWithTheBoundZoomKeys()
{
    CustomMessageBox box(shortcutKeysText);
    const QStringList lines = box.findChild<QLabel*>()->text().split(QStringLiteral("<br/>"));
    const QStringList expected = {
        "Open file: Ctrl + O", "Save file: Ctrl + S", "Close file: Ctrl + W",
        "Zoom in: Ctrl+[",     "Zoom out: Ctrl+]",    "Run: Ctrl + R",
        "Undo: Ctrl + Z",      "Quit program: Ctrl + Q",
    };
    QCOMPARE(lines, expected);
    QCOMPARE(shortcutKeysText.size(), 173);
}

void TestMessageBox::aboutTextCreditsTheTeam()
{
    QVERIFY(aboutText.startsWith(QStringLiteral("<strong><font size = 5 >Vantrel version ")));
    QVERIFY(aboutText.contains(QStringLiteral("</font></strong><br/><font size = 3>")));
    QVERIFY(aboutText.contains(QStringLiteral(" release</font><br/><br/>")));
    QVERIFY(aboutText.endsWith(QStringLiteral("Algorithm Design: The Vantrel team<br/>"
                                              "Development: The Vantrel team<br/>"
                                              "User Interface: The Vantrel team")));
}

void TestMessageBox::okClosesTheModalBox()
{
    CustomMessageBox box(aboutText);
    bool clicked = false;
    QTimer::singleShot(0, &box, [&] {
        auto* ok = box.findChild<QPushButton*>();
        if (ok && box.isVisible()) {
            clicked = true;
            ok->click();
        }
    });
    QCOMPARE(box.exec(), int(QDialog::Accepted));
    QVERIFY(clicked);
    QVERIFY(!box.isVisible());
}

void TestMessageBox::dragFollowsTheLeftButtonAnchor()
{
    CustomMessageBox box(aboutText);
    box.move(100, 100);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QPoint start = box.pos();

    // A left press on the top-left pixel is no anchor: moves do nothing.
    sendMouse(&box, QEvent::MouseButtonPress, QPoint(0, 0), Qt::LeftButton);
    sendMouse(&box, QEvent::MouseMove, QPoint(30, 40), Qt::NoButton);
    QCOMPARE(box.pos(), start);
    sendMouse(&box, QEvent::MouseButtonRelease, QPoint(30, 40), Qt::LeftButton);

    // A right press records nothing.
    sendMouse(&box, QEvent::MouseButtonPress, QPoint(10, 10), Qt::RightButton);
    sendMouse(&box, QEvent::MouseMove, QPoint(30, 40), Qt::NoButton);
    QCOMPARE(box.pos(), start);

    // A left press anchors; the box follows by the offset from the anchor.
    sendMouse(&box, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
    sendMouse(&box, QEvent::MouseMove, QPoint(30, 25), Qt::NoButton);
    QCOMPARE(box.pos(), start + QPoint(20, 15));

    // Any release clears the anchor.
    sendMouse(&box, QEvent::MouseButtonRelease, QPoint(30, 25), Qt::RightButton);
    const QPoint afterDrag = box.pos();
    sendMouse(&box, QEvent::MouseMove, QPoint(50, 50), Qt::NoButton);
    QCOMPARE(box.pos(), afterDrag);
}

void TestMessageBox::paintsGreyRoundedRectangle()
{
    CustomMessageBox box(QStringLiteral("x"));
    box.resize(200, 120);
    QImage image(box.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    box.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    // Outside the rounded corner stays transparent; the outline is the darker
    // grey and the inside the lighter one, both opaque.
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(image.pixel(0, 60), qRgb(120, 120, 120));
    QCOMPARE(image.pixel(3, 60), qRgb(160, 160, 160));
}

QTEST_MAIN(TestMessageBox)
#include "test_message_box.moc"
