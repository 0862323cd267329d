#pragma once

// Shared by the window tests: the friend that reaches the window's inner state, settings kept apart.

#include <QtTest>
#include <QtWidgets>

#include "actions.h"
#include "image_view.h"
#include "main_window.h"

class DeblurWorker;
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

// Call before any QSettings exists: the user's own settings are never touched.
inline bool redirectSettings(const QTemporaryDir& dir)
{
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    return QSettings("VANTREL", "Tolvane").fileName().startsWith(dir.path());
}

// A known store for the next window: these options, and the first start over unless asked.
inline void resetSettings(const QVariantMap& options = {}, bool isFirst = false)
{
    QSettings store("VANTREL", "Tolvane");
    store.clear();
    for (auto it = options.begin(); it != options.end(); ++it) store.setValue("option/" + it.key(), it.value());
    store.setValue("flag/isFirst", isFirst);
    store.sync();
}

// By hand, as QTest reads (0, 0) as the centre; moves hold the left button, as Qt drops button-less ones.
inline void sendMouse(QWidget* widget, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::NoButton)
{
    Qt::MouseButtons held = type == QEvent::MouseMove ? Qt::LeftButton
                            : type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// The drag rules the window and the message box share: mouse steps and where the widget then stands.
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

// A file dropped on the picture, as the platform's drag session delivers it.
inline void dropFile(ImageView* view, const QString& file)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QWidget* target = view->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
}

// Types the name as a user would (selectFile() skips a focused name field); done() skips
// accept()'s checks against the file system model, which fills itself asynchronously.
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
