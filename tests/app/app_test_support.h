#pragma once

// Shared by the main-window tests: the friend that reaches the window's inner
// state, and settings kept away from the user's own.

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include "actions.h"
#include "main_window.h"

class DeblurWorker;
class ImageView;
class ParameterBar;

struct ClarnexTestAccess
{
    static WorkState state(Clarnex& w) { return w.state; }
    static void setState(Clarnex& w, WorkState s) { w.setState(s); }
    static void setControlsEnabled(Clarnex& w, bool f) { w.setControlsEnabled(f); }
    static Ui::DeblurUIActions& actions(Clarnex& w) { return w.actions; }
    static ImageView* view(Clarnex& w) { return w.imageView; }
    static ParameterBar* bar(Clarnex& w) { return w.parameterBar; }
    static QProgressBar* progressBar(Clarnex& w) { return w.progressBar; }
    static QTimer* timer(Clarnex& w) { return w.progressTimer; }
    static int& progress(Clarnex& w) { return w.progress; }
    static int& ticks(Clarnex& w) { return w.progressTicks; }
    static QImage& input(Clarnex& w) { return w.inputImage; }
    static QImage& result(Clarnex& w) { return w.resultImage; }
    static unsigned quality(Clarnex& w) { return w.quality; }
    static bool isFirst(Clarnex& w) { return w.isFirst; }
    static bool tutorialRunning(Clarnex& w) { return w.tutorialRunning; }
    static void setTutorialRunning(Clarnex& w, bool on) { w.tutorialRunning = on; }
    static TutorialWizard* wizard(Clarnex& w) { return w.tutorialWizard; }
    static QPoint pressPosition(Clarnex& w) { return w.pressPosition; }
    static DeblurWorker* worker(Clarnex& w) { return w.worker; }
    static QString currentFile(Clarnex& w) { return w.currentFile; }
    static QString statusText(Clarnex& w) { return w.statusBar()->currentMessage(); }
    static QToolBar* toolBar(Clarnex& w) { return w.findChild<QToolBar*>("toolBar"); }
};

using Access = ClarnexTestAccess;

// Points the settings store at a temporary folder; call before any window
// (or other QSettings) exists. The user's real settings are never touched.
inline bool redirectSettings(const QTemporaryDir& dir)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    return QSettings("VANTREL", "Tolvane").fileName().startsWith(dir.path());
}

// Empties the store and writes the given option values (and isFirst false
// unless given), so every window starts from a known store.
inline void resetSettings(const QVariantMap& options = {}, bool isFirst = false)
{
    QSettings store("VANTREL", "Tolvane");
    store.clear();
    store.beginGroup("option");
    for (auto it = options.begin(); it != options.end(); ++it) store.setValue(it.key(), it.value());
    store.endGroup();
    store.setValue("flag/isFirst", isFirst);
    store.sync();
}

// Sends a mouse event by hand (QTest reads the point (0, 0) as the widget's
// centre). Moves carry the left button: Qt drops button-less moves without tracking.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton)
{
    Qt::MouseButtons held = type == QEvent::MouseMove ? Qt::LeftButton
                            : type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// The drag rules the window and the message box share, as mouse steps and
// where the widget then stands relative to its start.
inline void checkDragSteps(QWidget* widget)
{
    const QPoint start = widget->pos();
    const struct { QEvent::Type type; QPoint at; Qt::MouseButton button; QPoint moved; } steps[] = {
        // A left press on the top-left pixel is no anchor; a right press records nothing.
        {QEvent::MouseButtonPress, {0, 0}, Qt::LeftButton, {}},
        {QEvent::MouseMove, {30, 30}, Qt::NoButton, {}},
        {QEvent::MouseButtonRelease, {1, 1}, Qt::LeftButton, {}},
        {QEvent::MouseButtonPress, {10, 10}, Qt::RightButton, {}},
        {QEvent::MouseMove, {30, 40}, Qt::NoButton, {}},
        {QEvent::MouseButtonRelease, {10, 10}, Qt::RightButton, {}},
        // A left press anchors; the widget follows by the offset from the anchor.
        {QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton, {}},
        {QEvent::MouseMove, {30, 25}, Qt::NoButton, {20, 15}},
        // A release of any button clears the anchor.
        {QEvent::MouseButtonRelease, {30, 25}, Qt::MiddleButton, {20, 15}},
        {QEvent::MouseMove, {50, 50}, Qt::NoButton, {20, 15}},
    };
    for (const auto& step : steps) {
        sendMouse(widget, step.type, step.at, step.button);
        QCOMPARE(widget->pos(), start + step.moved);
    }
}

// Answers the next file dialog with the given file. The name is typed, as a
// user would (selectFile() leaves the name field alone while it has the
// focus); done() skips accept()'s checks against the file system model, which
// fills itself asynchronously.
inline void answerFileDialog(const QString& file)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, file] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        timer->stop();
        timer->deleteLater();
        if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
            edit->setText(file);
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    timer->start();
}
