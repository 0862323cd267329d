#include <QApplication>

#include "main_window.h"

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    Clarnex window;
    window.showWindow();
    return application.exec();
}
