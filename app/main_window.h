#pragma once

#include <QImage>
#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QSettings>
#include <QString>
#include <QUrl>

#include "actions.h"

namespace Ui {
class ClarnexClass;
}

class DeblurWorker;
class ImageView;
class ParameterBar;
class TutorialPage;
class TutorialWizard;
class QAction;
class QDragEnterEvent;
class QDropEvent;
class QEvent;
class QMouseEvent;
class QMoveEvent;
class QPaintEvent;
class QProgressBar;
class QThread;
class QTimer;

// The main window's work state; the values are powers of two on purpose.
enum class WorkState : int { NoImage = 2, ImageLoaded = 4, Running = 8, ResultShown = 16 };

// Rich texts of the About and Shortcut keys boxes (defined in about_messages.cpp).
extern const QString aboutText;
extern const QString shortcutKeysText;

// The frameless main window: form, actions, parameter bar, image view, status
// bar with progress, the work states, file handling, runs and the tutorial host.
class Clarnex : public QMainWindow
{
    Q_OBJECT

public:
    explicit Clarnex(QWidget* parent = nullptr);
    ~Clarnex() override;

    // Shows the window and starts the tutorial at the first start.
    void showWindow();

signals:
    void operate();

private slots:
    void minimizeWindow();
    void maximizeWindow();
    void closeWindow();
    void browseFiles();
    void saveAsFile();
    void saveFile();
    void closeFile();
    void startDeblur();
    void showAboutMessage();
    void showShortcutMessage();
    void zoomIn();
    void zoomOut();

public slots:
    void handleResults();
    void updateProgress();
    bool openFile(QUrl url);
    void qualityChanged(QAction* a);
    void startTutorial();
    void endTutorial();
    void undo();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Widget tests reach the window's inner state through this one friend.
    friend struct ClarnexTestAccess;

    void createMenus();
    void createParameterBar();
    void createImageView();
    void createToolBar();
    void createStatusBar();
    void createTutorial();
    void setState(WorkState s);
    void setControlsEnabled(bool enabled);
    void loadSettings();
    void saveSettings();
    // Writes the picture on show through a save file; true when it was written.
    bool writePicture(const QString& name);
    // Moves the tutorial pages along with the window, when a tutorial runs.
    void moveTutorialPages();
    // Under a tutorial, the Open page's Next follows a picture on show and the
    // Start page's Next a result on show, whatever page is on show.
    void followWorkStateOnTutorialPages();
    // Shows the percentage p and the time remaining on the progress bar.
    void showProgress(int p, float seconds);
    // Ends the thread of the latest run and deletes its worker (waits for a run).
    void finishRunThread();

    QPoint pressPosition;
    // The Designer form; held by pointer so that this header needs no
    // generated code (the program and the tests include it).
    Ui::ClarnexClass* ui;
    Ui::DeblurUIActions actions;
    ParameterBar* parameterBar = nullptr;
    QSettings settings;
    DeblurWorker* worker = nullptr;
    QString currentFile;
    QProgressBar* progressBar = nullptr;
    QTimer* progressTimer = nullptr;
    ImageView* imageView = nullptr;
    TutorialWizard* tutorialWizard = nullptr;
    int progress = 0;
    int progressTicks = 0;
    QImage inputImage;
    QImage resultImage;
    unsigned quality = 1;
    WorkState state = WorkState::NoImage;
    bool tutorialRunning = false;
    bool isFirst = true;

    // The file whose picture was last read successfully; Save names its file
    // after it, so a failed read cannot redirect the picture on show.
    QString loadedFile;
    // The thread of the latest run while it exists.
    QPointer<QThread> runThread;
    // Pages of the latest tutorial; deleted when a new tutorial is built.
    QList<QPointer<QWidget>> tutorialPages;
    QPointer<TutorialPage> openFilePage;
    QPointer<TutorialPage> startUpPage;
};
