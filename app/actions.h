#pragma once

#include <QObject>

class QAction;
class QActionGroup;
class QMainWindow;

namespace Ui {

// The hand-built actions of the main window. The window owns every action and
// group (they are its Qt children); this object only points to them.
class DeblurUIActions : public QObject
{
    Q_OBJECT

public:
    explicit DeblurUIActions(QObject* parent = nullptr) : QObject(parent) {}

    // Creates the actions and groups and connects them to the window's slots.
    void setupActions(QMainWindow* window);

    QAction* minimizeAction = nullptr;
    QAction* maximizeAction = nullptr;
    QAction* quitAction = nullptr;
    QAction* openAction = nullptr;
    QAction* saveAction = nullptr;
    QAction* saveAsAction = nullptr;
    QAction* closeFileAction = nullptr;
    QAction* startAction = nullptr;
    QAction* undoAction = nullptr;
    QAction* zoomInAction = nullptr;
    QAction* zoomOutAction = nullptr;
    QAction* showTutorialAction = nullptr;
    QActionGroup* processorGroup = nullptr;
    QAction* autoAction = nullptr;
    QAction* cpuAction = nullptr;
    QAction* gpuAction = nullptr;
    QActionGroup* qualityGroup = nullptr;
    QAction* lowAction = nullptr;
    QAction* mediumAction = nullptr;
    QAction* highAction = nullptr;
    QAction* aboutAction = nullptr;
    QAction* shortcutKeysAction = nullptr;
};

}  // namespace Ui
